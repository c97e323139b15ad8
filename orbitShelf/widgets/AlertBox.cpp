#include "widgets/AlertBox.h"

#include "app/Utilities.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

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
    box.exec();
}
} // namespace

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
