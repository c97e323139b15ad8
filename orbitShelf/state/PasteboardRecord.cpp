#include "state/PasteboardRecord.h"

namespace {

const QString kThumbnailTag = QStringLiteral("_thumbnail");
const QString kPng = QStringLiteral(".png");

bool isHorizontalSpace(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

} // namespace

QString pasteboardImageFileName(const QString& name)
{
    return QStringLiteral("pasteboard-") + name + kPng;
}

QString pasteboardThumbnailPath(const QString& fullSizePath)
{
    if (!fullSizePath.endsWith(kPng))
        return {};
    return fullSizePath.chopped(kPng.size()) + kThumbnailTag + kPng;
}

QString pasteboardFullSizeFile(const QString& path)
{
    // The file's name only: a folder on the way (a home folder, a data
    // folder moved by XDG_DATA_HOME) may hold the tag and is no picture.
    const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    return path.left(nameStart) + path.mid(nameStart).remove(kThumbnailTag);
}

QString pasteboardAppIconFileName(const QString& iconName)
{
    return QStringLiteral("pasteboard-app-icon-") + iconName + kPng;
}

QString trimmedPasteboardText(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isHorizontalSpace(text.at(begin)))
        ++begin;
    while (end > begin && isHorizontalSpace(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}
