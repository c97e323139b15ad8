#include "widgets/AlertBox.h"

#include "state/Alerts.h"

#include <QApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QList>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>
#include <QSet>
#include <QSpacerItem>
#include <QThread>

#include <algorithm>
#include <functional>

static Q_LOGGING_CATEGORY(lcAlert, "orbitshelf.alert")

namespace {

// Every box shown and not yet deleted, oldest first.
QList<QPointer<QMessageBox>>& shownBoxes()
{
    static QList<QPointer<QMessageBox>> boxes;
    return boxes;
}

// A closed box lingers hidden until it is deleted; it no longer counts.
bool isOpen(const QMessageBox* box)
{
    return box && box->isVisible();
}

bool anyBoxOpen()
{
    const QList<QPointer<QMessageBox>>& boxes = shownBoxes();
    return std::any_of(
        boxes.begin(), boxes.end(), [](const QPointer<QMessageBox>& box) { return isOpen(box); });
}

QMessageBox* openBoxWith(const QString& message, const QString& informative, const QWidget* ownerWindow)
{
    QList<QPointer<QMessageBox>>& boxes = shownBoxes();
    boxes.removeIf([](const QPointer<QMessageBox>& box) { return !box; });
    for (const QPointer<QMessageBox>& box : std::as_const(boxes))
        if (isOpen(box) && box->parentWidget() == ownerWindow && box->text() == message
            && box->informativeText() == informative)
            return box;
    return nullptr;
}

void bringForward(QMessageBox* box)
{
    // Window managers let a dialog be minimised, and Qt keeps dialogs off
    // the task bar: asked for again, a minimised box comes back instead of
    // staying where nothing shows it.
    if (box->isMinimized())
        box->showNormal();
    else
        box->show();
    box->raise();
    box->activateWindow();
}

} // namespace

QMessageBox* openAlertBox(const QString& message, const QString& informative, QWidget* owner)
{
    // The log tells what the user was shown, also to the end-to-end tests.
    qCInfo(lcAlert).noquote() << "alert:" << message << "/" << informative;
    QWidget* ownerWindow = owner ? owner->window() : nullptr;
    if (QMessageBox* open = openBoxWith(message, informative, ownerWindow)) {
        qCDebug(lcAlert) << "the same alert is open: brought forward";
        bringForward(open);
        return open;
    }
    auto* box = new QMessageBox(ownerWindow);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setText(message);
    box->setInformativeText(informative);
    box->addButton(QStringLiteral("ok"), QMessageBox::AcceptRole);
    if (ownerWindow) {
        // Modal to its own window alone: an application-modal box (what
        // exec() makes) takes every click meant for the bar as well.
        box->setWindowModality(Qt::WindowModal);
    } else {
        box->setWindowModality(Qt::NonModal);
        // Without a window of ours behind it the box is transient for the
        // program's group only, and openbox lowers it under any window the
        // user clicks: kept above normal windows it stays in sight until it
        // is answered. Set before the box is first shown, which is when Qt
        // writes the window manager's hints.
        box->setWindowFlag(Qt::WindowStaysOnTopHint);
    }
    const QString title
        = box->windowTitle().isEmpty() ? QGuiApplication::applicationDisplayName() : box->windowTitle();
    // A message box sizes itself to its text alone; the title in the
    // window manager's frame is cut when the box is narrower than it.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addItem(new QSpacerItem(alertMinimumWidth(title, message, box->fontMetrics()), 0,
                          QSizePolicy::Minimum, QSizePolicy::Minimum),
            grid->rowCount(), 0, 1, grid->columnCount());
    shownBoxes().append(box);
    bringForward(box);
    return box;
}

void waitUntilAlertsClosed()
{
    if (!anyBoxOpen())
        return;
    QEventLoop loop;
    // Each box closed looks again, also at a box opened meanwhile.
    QSet<const QMessageBox*> watched;
    std::function<void()> look = [&] {
        if (!anyBoxOpen()) {
            loop.quit();
            return;
        }
        for (const QPointer<QMessageBox>& box : std::as_const(shownBoxes()))
            if (box && !watched.contains(box)) {
                watched.insert(box);
                QObject::connect(
                    box, &QDialog::finished, &loop, [&look] { look(); }, Qt::QueuedConnection);
            }
    };
    look();
    loop.exec();
}

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
                qApp, [message, informative] { openAlertBox(message, informative); }, Qt::QueuedConnection);
            return;
        }
        openAlertBox(message, informative);
    });
}
