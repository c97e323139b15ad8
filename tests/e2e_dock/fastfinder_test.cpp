// The folder browser in the real orbitShelf: the FastFinder tile opens it
// over a home folder of the test's own, a folder click enters the folder, and
// a file click opens the file with its default application and closes it.
#include "tests/support/X11TestTools.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

void writeFile(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

TEST(FastFinder, TheTileListsHomeEntersAFolderAndOpensAFile)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    writeFile(home.filePath("Projects/notes.txt"), "notes");
    writeFile(home.filePath(".hidden"), "never listed");
    // The opener script lives in home too; it is hidden so home lists one entry.
    const QString marker = home.filePath(".opened.marker");

    DockRun run;
    // The default application of plain text writes the path it was given.
    const QString opener = home.filePath(".opener.sh");
    writeFile(opener, "#!/bin/sh\nprintf %s \"$1\" > \"" + marker.toUtf8() + "\"\n");
    QFile(opener).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    writeFile(run.dataHome() + "/applications/org.example.Marker.desktop",
        "[Desktop Entry]\nType=Application\nName=Marker\nMimeType=text/plain;\nExec=" + opener.toUtf8()
            + " %f\n");
    writeFile(run.configHome() + "/mimeapps.list",
        "[Default Applications]\ntext/plain=org.example.Marker.desktop\n");
    run.setEnvironment("HOME", home.path());
    run.setEnvironment(
        "QT_LOGGING_RULES", "orbitshelf.dock=true;orbitshelf.settings=true;orbitshelf.tools.fastfinder=true");
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(installTools(run, { "FastFinder" }, true)) << run.log().toStdString();

    std::optional<LoggedBarItem> tile;
    ASSERT_TRUE(waitUntil([&] {
        for (const LoggedBarItem& item : loggedBar(run.log()))
            if (item.kind == LoggedBarItem::tool)
                tile = item;
        return tile.has_value();
    })) << run.log().toStdString();
    click(tile->rect.center());

    ASSERT_TRUE(waitUntil([&] { return run.log().contains("listed 1 entries of \"" + home.path() + "\""); }))
        << "the home folder was not listed, or listed its hidden entry\n"
        << run.log().toStdString();
    EXPECT_FALSE(waitForWindow("Folder Browser").isEmpty());
    std::optional<QRect> cell;
    ASSERT_TRUE(waitUntil([&] {
        return (cell = run.loggedRect("first grid cell Projects at ")).has_value();
    })) << run.log().toStdString();
    click(cell->center());

    ASSERT_TRUE(waitUntil([&] {
        return (cell = run.loggedRect("first grid cell notes.txt at ")).has_value();
    })) << "the folder click did not enter Projects\n"
        << run.log().toStdString();
    // The file's cell lies where the folder's was: a click on the very spot
    // within the double-click time would be the second press of a
    // double-click, which enters nothing. A user's click lands elsewhere on
    // the cell.
    click(cell->center() + QPoint(cell->width() / 4, 0));

    EXPECT_TRUE(waitUntil([&] {
        QFile written(marker);
        return written.open(QIODevice::ReadOnly)
            && written.readAll() == home.filePath("Projects/notes.txt").toUtf8();
    })) << "the text file was not opened by its default application\n"
        << run.log().toStdString();
    EXPECT_TRUE(waitUntil([] { return visibleWindowsNamed("Folder Browser").isEmpty(); }))
        << "the sheet stayed open after the file opened";
}
