// The web client's transport is a module loaded by path at the first request.
#include "network/HttpPoster.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(HttpPosterModule, TheFirstPathThatLoadsGivesThePosterAndAFailureSaysWhy)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath(QStringLiteral("missing.so"));
    const QString notALibrary = dir.filePath(QStringLiteral("text.so"));
    QFile text(notALibrary);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a shared object\n");
    text.close();
    const QString module = QStringLiteral(ORBITSHELF_TEST_HTTP_MODULE);

    const struct {
        const char* name;
        QStringList paths;
        bool loads;
        const char* errorHas;
    } rows[] = {
        { "nothing there", { missing }, false, "not installed" },
        { "not a library", { notALibrary }, false, "text.so" },
        { "a missing path is passed over", { missing, module }, true, "" },
        { "a broken one too", { notALibrary, module }, true, "" },
    };
    for (const auto& row : rows) {
        QString error;
        const std::unique_ptr<HttpPoster> poster = loadHttpPosterFrom(row.paths, &error);
        EXPECT_EQ(poster != nullptr, row.loads) << row.name << ": " << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(row.errorHas)))
            << row.name << ": " << error.toStdString();
    }
}
