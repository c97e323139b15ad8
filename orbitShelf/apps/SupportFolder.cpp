#include "apps/SupportFolder.h"

#include "state/AppIdentity.h"
#include "state/AppState.h"
#include "state/PrivateFiles.h"

#include <QDir>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcSupportFolder, "orbitshelf.apps.files")

std::optional<QString> appSupportFolderPath()
{
    const QString folder = applicationSupportFolder();
    if (folder.isEmpty() || !makePrivateFolder(folder)) {
        qCWarning(lcSupportFolder).noquote() << "An error occured"
                                             << "creating" << folder;
        return std::nullopt;
    }
    return folder;
}

std::optional<QUrl> appSupportDirectory(const QString& fileName)
{
    const auto folder = appSupportFolderPath();
    if (!folder)
        return std::nullopt;
    return QUrl::fromLocalFile(QDir(*folder).filePath(safeSupportFileName(fileName)));
}

QString safeSupportFileName(const QString& name)
{
    QString safe;
    safe.reserve(name.size());
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control)
            continue;
        safe.append(c == u'/' ? QChar(u'_') : c);
    }
    safe.replace(QStringLiteral(".."), QStringLiteral("_"));
    return safe.isEmpty() ? QStringLiteral("_") : safe;
}

QString storedPathOf(const QUrl& fileUrl)
{
    return fileUrl.toString(QUrl::FullyEncoded).replace(QStringLiteral("file://"), QString());
}

QString localPathFromStored(const QString& stored)
{
    QString text = stored;
    if (text.startsWith(QStringLiteral("file://")))
        text.remove(0, 7);
    return QUrl::fromPercentEncoding(text.toUtf8());
}

QStringList hotKeyChoices()
{
    QStringList keys;
    for (char c = '1'; c <= '9'; ++c)
        keys << QString(QLatin1Char(c));
    keys << QStringLiteral("0");
    // Option+H and Option+P belong to the bar and the clipboard window.
    for (char c = 'a'; c <= 'z'; ++c) {
        if (c != 'h' && c != 'p')
            keys << QString(QLatin1Char(c));
    }
    keys << QStringLiteral("disable");
    return keys;
}
