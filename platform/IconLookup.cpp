#include "platform/IconLookup.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

namespace {
    // Largest first: the dock scales icons down, never up. The index.theme of a
    // theme could list further folders; these are the ones applications install to.
    const char* const kSizeDirs[] = { "scalable", "512x512", "256x256", "192x192", "128x128", "96x96",
        "72x72", "64x64", "48x48", "36x36", "32x32", "24x24", "22x22", "16x16" };
    const char* const kExtensions[] = { ".svg", ".png", ".xpm" };

    std::optional<QString> firstExisting(const QString& stem)
    {
        for (const char* ext : kExtensions) {
            const QString path = stem + QLatin1String(ext);
            if (QFileInfo(path).isFile())
                return path;
        }
        return std::nullopt;
    }
} // namespace

std::optional<QString> iconFilePath(
    const QString& icon, const QStringList& dataDirs, const QStringList& themes)
{
    QString name = icon.trimmed();
    if (name.isEmpty())
        return std::nullopt;
    if (QDir::isAbsolutePath(name))
        return QFileInfo(name).isFile() ? std::optional<QString>(name) : std::nullopt;
    for (const char* ext : kExtensions)
        if (name.endsWith(QLatin1String(ext)))
            name.chop(int(qstrlen(ext)));
    // A name is a file name, never a path: "../x" must not walk out of a theme.
    if (name.contains(u'/'))
        return std::nullopt;

    QStringList bases { QDir::homePath() + QStringLiteral("/.icons") };
    for (const QString& d : dataDirs)
        bases << d + QStringLiteral("/icons");
    QStringList allThemes = themes;
    allThemes.removeAll(QString());
    if (!allThemes.contains(QStringLiteral("hicolor")))
        allThemes << QStringLiteral("hicolor");

    for (const QString& theme : allThemes) {
        for (const QString& base : bases) {
            const QString themeDir = base + u'/' + theme;
            if (!QFileInfo(themeDir).isDir())
                continue;
            for (const char* size : kSizeDirs)
                if (auto path
                    = firstExisting(themeDir + u'/' + QLatin1String(size) + QStringLiteral("/apps/") + name))
                    return path;
        }
    }
    for (const QString& d : dataDirs)
        if (auto path = firstExisting(d + QStringLiteral("/pixmaps/") + name))
            return path;
    return std::nullopt;
}

} // namespace platform
