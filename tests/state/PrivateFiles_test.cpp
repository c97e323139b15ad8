#include "state/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

mode_t modeOf(const QString& path)
{
    struct stat info { };
    lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

} // namespace

TEST(PrivateFiles, AFolderLeftOpenIsClosedOnceAndNewFilesArePrivate)
{
    QTemporaryDir root;
    const QString folder = root.filePath("data/orbitshelf");
    ASSERT_TRUE(QDir().mkpath(folder));
    chmod(QFile::encodeName(folder).constData(), 0755);
    for (const char* name : { "Favorite.sqlite", "pasteboard-a.png", "pasteboard-a_thumbnail.png" }) {
        QFile file(QDir(folder).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
        file.close();
        chmod(QFile::encodeName(file.fileName()).constData(), 0644);
    }
    // Something that is not ours to change: a link out of the folder.
    QFile outside(root.filePath("outside.txt"));
    ASSERT_TRUE(outside.open(QIODevice::WriteOnly));
    outside.close();
    chmod(QFile::encodeName(outside.fileName()).constData(), 0644);
    ASSERT_TRUE(QFile::link(outside.fileName(), QDir(folder).filePath("link")));

    EXPECT_EQ(tightenPrivateFolder(folder), 4);
    EXPECT_EQ(modeOf(folder), mode_t(0700));
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::NoSymLinks))
        EXPECT_EQ(modeOf(QDir(folder).filePath(name)), mode_t(0600)) << name.toStdString();
    EXPECT_EQ(modeOf(outside.fileName()), mode_t(0644)) << "a link is not followed";
    EXPECT_EQ(tightenPrivateFolder(folder), 0) << "nothing left to say the second time";
    EXPECT_EQ(tightenPrivateFolder(root.filePath("not made yet")), 0);

    // New ones: a folder 0700, a file written or created 0600.
    const QString fresh = root.filePath("fresh/deeper");
    ASSERT_TRUE(makePrivateFolder(fresh));
    EXPECT_EQ(modeOf(fresh), mode_t(0700));
    const QString written = QDir(fresh).filePath("picture.png");
    ASSERT_TRUE(savePrivateFile("bytes", written));
    EXPECT_EQ(modeOf(written), mode_t(0600));
    const QString store = QDir(fresh).filePath("store.sqlite");
    ASSERT_TRUE(createPrivateFile(store));
    EXPECT_EQ(modeOf(store), mode_t(0600));
    ASSERT_TRUE(savePrivateFile("more", store));
    EXPECT_TRUE(createPrivateFile(store)) << "an existing file is left as it is";
    QFile kept(store);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "more");
}
