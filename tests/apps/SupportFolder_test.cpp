#include "apps/SupportFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Points the XDG data directory at a fresh folder for one test, or at a
// file standing where that folder must go.
class ScopedDataHome final {
public:
    explicit ScopedDataHome(bool blocked = false)
        : m_old(qgetenv("XDG_DATA_HOME"))
    {
        if (blocked) {
            QDir().mkpath(QFileInfo(path()).path());
            QFile(path()).open(QIODevice::WriteOnly);
        }
        qputenv("XDG_DATA_HOME", path().toUtf8());
    }
    ~ScopedDataHome() { qputenv("XDG_DATA_HOME", m_old); }
    QString path() const { return m_dir.filePath("deep/data/home"); }

private:
    QTemporaryDir m_dir;
    QByteArray m_old;
};

} // namespace

TEST(SupportFolder, CreatesTheFolderWithItsParentsAndNamesFilesInIt)
{
    ScopedDataHome home;
    const auto url = appSupportDirectory("Firefox.png");
    ASSERT_TRUE(url.has_value());
    const QFileInfo file(url->toLocalFile());
    EXPECT_EQ(file.fileName(), "Firefox.png");
    EXPECT_EQ(file.dir().dirName(), "io.orbitshelf.OrbitShelf");
    EXPECT_TRUE(file.dir().exists());
    EXPECT_FALSE(file.exists()) << "the file itself is not created";
    EXPECT_EQ(appSupportDirectory("Other.png")->toLocalFile(), QDir(file.dir()).filePath("Other.png"));
}

TEST(SupportFolder, AnUncreatableFolderGivesNoUrl)
{
    ScopedDataHome blocked(true);
    EXPECT_FALSE(appSupportDirectory("x.png").has_value());
}

TEST(SupportFolder, FileNamesNeverLeaveTheFolder)
{
    struct Row {
        const char* name;
        const char* expected;
    } rows[] = {
        { "Firefox", "Firefox" },
        { "app icon.png", "app icon.png" },
        { "../../.bashrc", "____.bashrc" },
        { "a/b", "a_b" },
        { "..", "_" },
        { "", "_" },
        { "tab\there", "tabhere" },
    };
    for (const Row& row : rows)
        EXPECT_EQ(safeSupportFileName(QString::fromUtf8(row.name)), QString::fromUtf8(row.expected))
            << row.name;

    ScopedDataHome home;
    const auto url = appSupportDirectory("../../escape.png");
    ASSERT_TRUE(url);
    EXPECT_EQ(QFileInfo(url->toLocalFile()).dir().dirName(), "io.orbitshelf.OrbitShelf");
}

TEST(SupportFolder, StoredPathsKeepEscapesAndDecodeFully)
{
    const QUrl url = QUrl::fromLocalFile("/home/ann/.local/share/io.orbitshelf.OrbitShelf/My App 100%é.png");
    const QString stored = storedPathOf(url);
    EXPECT_EQ(stored, "/home/ann/.local/share/io.orbitshelf.OrbitShelf/My%20App%20100%25%C3%A9.png");
    EXPECT_EQ(localPathFromStored(stored), url.toLocalFile());
    EXPECT_EQ(localPathFromStored("file://" + stored), url.toLocalFile());
}
