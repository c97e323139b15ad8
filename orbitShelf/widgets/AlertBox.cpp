#include "widgets/AlertBox.h"

#include "state/Alerts.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QMetaObject>
#include <QSpacerItem>
#include <QThread>

#include <algorithm>

static Q_LOGGING_CATEGORY(lcAlert, "orbitshelf.alert")

namespace {
void presentMessageBox(const QString& message, const QString& informative)
{
    // The log tells what the user was shown, also to the end-to-end tests.
    qCInfo(lcAlert).noquote() << "alert:" << message << "/" << informative;
    QMessageBox box;
    box.setText(message);
    box.setInformativeText(informative);
    box.addButton(QStringLiteral("ok"), QMessageBox::AcceptRole);
    const QString title
        = box.windowTitle().isEmpty() ? QGuiApplication::applicationDisplayName() : box.windowTitle();
    // A message box sizes itself to its text alone; the title in the
    // window manager's frame is cut when the box is narrower than it.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(alertMinimumWidth(title, message, box.fontMetrics()), 0,
                          QSizePolicy::Minimum, QSizePolicy::Minimum),
            grid->rowCount(), 0, 1, grid->columnCount());
    box.exec();
}
} // namespace

int alertMinimumWidth(const QString& title, const QString& message, const QFontMetrics& metrics)
{
    constexpr int frameRoom = 120;
    constexpr int widestLine = 480;
    return std::max(metrics.horizontalAdvance(title) + frameRoom,
        std::min(metrics.horizontalAdvance(message), widestLine));
}

void installMessageBoxAlerts()
{
    setDefaultAlertPresenter([](const QString& message, const QString& informative) {
        if (QThread::currentThread() != qApp->thread()) {
            QMetaObject::invokeMethod(
                qApp, [message, informative] { presentMessageBox(message, informative); },
                Qt::QueuedConnection);
            return;
        }
        presentMessageBox(message, informative);
    });
}
