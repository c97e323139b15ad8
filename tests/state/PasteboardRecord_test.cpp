#include "state/PasteboardRecord.h"

#include <QStringList>

#include <gtest/gtest.h>

TEST(PasteboardFiles, APicturesTwoFilesNameEachOtherWhateverItsFolderIsCalled)
{
    const QStringList folders {
        QStringLiteral("/data"),
        QStringLiteral("/home/a_thumbnail/data"),
        QStringLiteral("/my%20data/x_thumbnail"),
    };
    for (const QString& folder : folders) {
        const QString full
            = folder + QStringLiteral("/") + pasteboardImageFileName(QStringLiteral("AbC123xyZ9"));
        const QString thumbnail = pasteboardThumbnailPath(full);
        EXPECT_EQ(thumbnail, folder + QStringLiteral("/pasteboard-AbC123xyZ9_thumbnail.png"));
        EXPECT_EQ(pasteboardFullSizeFile(thumbnail), full) << "the folder keeps its name";
        EXPECT_EQ(pasteboardFullSizeFile(full), full);
    }
    EXPECT_EQ(pasteboardThumbnailPath(QStringLiteral("/data/picture.jpg")), QString());
    EXPECT_EQ(
        pasteboardAppIconFileName(QStringLiteral("xterm")), QStringLiteral("pasteboard-app-icon-xterm.png"));
}

TEST(PasteboardText, LineBreaksOfEveryKindStayAndWideSpacesGo)
{
    const std::vector<std::pair<QString, QString>> cases {
        { "x\r\n", "x\r\n" },
        { " \r\n x \r\n ", "\r\n x \r\n" },
        { QString::fromUtf8("\u2028x\u2029"), QString::fromUtf8("\u2028x\u2029") },
        { QString::fromUtf8("\u3000x\u2003"), "x" },
    };
    for (const auto& [copied, kept] : cases)
        EXPECT_EQ(trimmedPasteboardText(copied), kept) << copied.toStdString();
}
