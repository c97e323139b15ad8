#include "widgets/FileView.h"

#include <QFileDialog>
#include <QMimeDatabase>

FileView::FileView(std::function<void(const QString&)> onPick, QWidget* parent)
    : QPushButton(tr("Select File"), parent)
    , m_onPick(std::move(onPick))
{
    connect(this, &QPushButton::clicked, this, &FileView::openPicker);
}

void FileView::openPicker()
{
    auto* dialog = new QFileDialog(this, tr("Select File"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setLabelText(QFileDialog::Accept, tr("Select File"));
    dialog->setFileMode(QFileDialog::ExistingFile);
    // One filter for both kinds: with one filter per kind the dialog opens
    // on the first, and JPEG files stay hidden until the user switches.
    QStringList patterns;
    const QMimeDatabase mimeTypes;
    for (const char* name : { "image/png", "image/jpeg" })
        patterns += mimeTypes.mimeTypeForName(QString::fromLatin1(name)).globPatterns();
    dialog->setNameFilter(tr("Images (%1)").arg(patterns.join(QLatin1Char(' '))));
    connect(dialog, &QFileDialog::accepted, this, [this, dialog] {
        const QStringList files = dialog->selectedFiles();
        if (!files.isEmpty() && m_onPick)
            m_onPick(files.first());
    });
    // Not modal: the rest of the window stays usable while it is open.
    dialog->show();
}
