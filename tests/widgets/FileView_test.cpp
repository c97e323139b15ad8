#include "widgets/FileView.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(FileView, ThePickerOffersPngAndJpegImagesTogether)
{
    QTemporaryDir dir;
    for (const char* name : { "icon.png", "photo.jpg", "notes.txt" }) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    FileView view([](const QString&) {});
    view.click();
    auto* dialog = view.findChild<QFileDialog*>();
    ASSERT_TRUE(dialog);

    // The filter the dialog opens with shows both kinds; text files stay out.
    const QString filter = dialog->selectedNameFilter();
    for (const char* pattern : { "*.png", "*.jpg", "*.jpeg" })
        EXPECT_TRUE(filter.contains(QLatin1String(pattern))) << filter.toStdString();
    EXPECT_FALSE(filter.contains(QLatin1String("*.txt")));
    // "Images (*.png *.jpg …)": the folder as the dialog lists it.
    const QStringList patterns = filter.section('(', 1).section(')', 0, 0).split(' ', Qt::SkipEmptyParts);
    const QStringList shown = QDir(dir.path()).entryList(patterns, QDir::Files, QDir::Name);
    EXPECT_EQ(shown, QStringList({ "icon.png", "photo.jpg" }));
}

} // namespace
