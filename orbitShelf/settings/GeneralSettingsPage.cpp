#include "settings/GeneralSettingsPage.h"

#include "state/AppState.h"
#include "state/Queues.h"
#include "state/VendorAddresses.h"
#include "apps/ActiveApp.h"
#include "apps/RunningApps.h"
#include "dock/windows/DockWindows.h"
#include "settings/LaunchAtLogin.h"
#include "widgets/ScrollIndicators.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <csignal>
#include <unistd.h>

static Q_LOGGING_CATEGORY(lcGeneral, "orbitshelf.settings")

namespace {

int indexOf(GeneralSwitch which)
{
    return int(which);
}

bool stored(const CustomSettings& s, GeneralSwitch which)
{
    switch (which) {
    case GeneralSwitch::mouseInWindow:
        return s.mouseMoveToWindowCenter();
    case GeneralSwitch::showBadge:
        return s.dockBadge();
    case GeneralSwitch::disablePreview:
        return s.disablePreview();
    case GeneralSwitch::enableAutoHideWhenFullScreen:
        return s.enableAutoHideWhenFullScreen();
    case GeneralSwitch::restartDockWhenWake:
        return s.restartDockWhenWake();
    case GeneralSwitch::showProcessInfo:
        return s.showProcessInfo();
    case GeneralSwitch::showLunchpadButton:
        return s.showLunchpadButton();
    case GeneralSwitch::supportMultiScreens:
        return s.supportMultiScreens();
    case GeneralSwitch::hideMainButton:
        return s.hideMainButton();
    }
    return false;
}

void store(GeneralSwitch which, bool on)
{
    // A record of its own: AppState's would send a change notice per write,
    // and the rows that stamp publish exactly once after storing.
    CustomSettings s;
    switch (which) {
    case GeneralSwitch::mouseInWindow:
        return s.setMouseMoveToWindowCenter(on);
    case GeneralSwitch::showBadge:
        return s.setDockBadge(on);
    case GeneralSwitch::disablePreview:
        return s.setDisablePreview(on);
    case GeneralSwitch::enableAutoHideWhenFullScreen:
        return s.setEnableAutoHideWhenFullScreen(on);
    case GeneralSwitch::restartDockWhenWake:
        return s.setRestartDockWhenWake(on);
    case GeneralSwitch::showProcessInfo:
        return s.setShowProcessInfo(on);
    case GeneralSwitch::showLunchpadButton:
        return s.setShowLunchpadButton(on);
    case GeneralSwitch::supportMultiScreens:
        return s.setSupportMultiScreens(on);
    case GeneralSwitch::hideMainButton:
        return s.setHideMainButton(on);
    }
}

void call(const std::function<void()>& f, const char* what)
{
    if (f)
        f();
    else
        qCWarning(lcGeneral) << "general settings: nothing installed to" << what;
}

// Our own artwork for the badge row: a rounded tile with, or without, a red
// count in its corner.
QPixmap badgeExamplePicture(bool withBadge, const QSize& size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const int tile = size.height() - 8;
    for (int i = 0; i < 3; ++i) {
        const QRectF r(10 + i * (tile + 16), 6, tile, tile);
        QPainterPath path;
        path.addRoundedRect(r, 8, 8);
        p.fillPath(path, QColor::fromHsv(200 + i * 40, 120, 230));
        if (withBadge && i != 1) {
            const QRectF dot(r.right() - 12, r.top() - 5, 17, 17);
            p.setBrush(QColor(0xe5, 0x3b, 0x35));
            p.setPen(Qt::NoPen);
            p.drawEllipse(dot);
            p.setPen(Qt::white);
            QFont f = p.font();
            f.setPixelSize(11);
            f.setBold(true);
            p.setFont(f);
            p.drawText(dot, Qt::AlignCenter, QString::number(i + 2));
        }
    }
    return pixmap;
}

} // namespace

GeneralSettingsServices standardGeneralSettingsServices()
{
    GeneralSettingsServices s;
    // This desktop has no capture gate: the answer is always yes.
    s.screenCaptureAllowed = [] { return true; };
    s.requestScreenCapture = [] {};
    s.createDockWindows = [] { createDockWindows(); };
    s.closeDockWindows = [] { closeScreenDockWindows(); };
    s.quitPlaceholderApp = [] {
        const std::shared_ptr<ActiveApp>& own = placeholderApp();
        if (!own || !own->app)
            return;
        const int32_t pid = own->app->pid;
        // Only another process: this one quits through its event loop.
        if (pid > 0 && pid != int32_t(::getpid()))
            ::kill(pid, SIGTERM);
    };
    s.quitApplication = [] { QCoreApplication::quit(); };
    s.needUpdate = [] { return AppState::shared().needUpdate; };
    s.siteUrl = vendorSiteAddress();
    s.siteName = QUrl(s.siteUrl).host();
    return s;
}

const std::vector<GeneralSwitchSpec>& generalSwitchSpecs()
{
    static const std::vector<GeneralSwitchSpec> specs {
        { GeneralSwitch::mouseInWindow, QStringLiteral("Move the mouse to the center of the window"), {},
            QStringLiteral("mouseMoveToWindowCenter"), true },
        { GeneralSwitch::showBadge, QStringLiteral("Show Badge"), {}, QStringLiteral("dockBadge"), true },
        { GeneralSwitch::disablePreview, QStringLiteral("Don't show Preview"), {},
            QStringLiteral("disablePreview"), true },
        { GeneralSwitch::enableAutoHideWhenFullScreen, QStringLiteral("Enable Auto Hide When Full Screen"),
            {}, QStringLiteral("enableAutoHideWhenFullScreen"), true },
        { GeneralSwitch::restartDockWhenWake,
            QStringLiteral("Enable Restart Dock On Wake or On Monitor Change"),
            QStringLiteral("(Being used for a long time, it helps release resources)"),
            QStringLiteral("restartDockWhenWake"), false },
        { GeneralSwitch::showProcessInfo, QStringLiteral("Show Process Info in preview"), {},
            QStringLiteral("showProcessInfo"), true },
        { GeneralSwitch::showLunchpadButton, QStringLiteral("Add Launchpad Button"), {},
            QStringLiteral("showLunchpadButton"), true },
        { GeneralSwitch::supportMultiScreens, QStringLiteral("💫 Supports multiple screens"), {},
            QStringLiteral("everyScreen"), false },
        { GeneralSwitch::hideMainButton, QStringLiteral("💫 Hide orbitShelf Launchpad Button"), {},
            QStringLiteral("hideMainButton"), true },
    };
    return specs;
}

GeneralSettingsPage::GeneralSettingsPage(
    AppState& state, SerialQueue& queue, GeneralSettingsServices services)
    : m_state(state)
    , m_queue(queue)
    , m_services(std::move(services))
{
    for (const GeneralSwitchSpec& spec : generalSwitchSpecs())
        m_values[indexOf(spec.which)] = stored(m_state.settings, spec.which);
}

bool GeneralSettingsPage::value(GeneralSwitch which) const
{
    return m_values[indexOf(which)];
}

void GeneralSettingsPage::change(GeneralSwitch which, bool on)
{
    if (m_values[indexOf(which)] == on)
        return;
    m_values[indexOf(which)] = on;
    store(which, on);
    if (which == GeneralSwitch::disablePreview && !on && m_services.screenCaptureAllowed
        && !m_services.screenCaptureAllowed()) {
        // Only when previews come back on: hiding them needs no capture.
        call(m_services.requestScreenCapture, "request screen capture");
    }
    if (which == GeneralSwitch::supportMultiScreens) {
        // Each change carries its own value; quick flips run in order.
        m_queue.asyncAfter(0.15, [services = m_services, on] {
            if (on)
                call(services.createDockWindows, "create the dock windows");
            else
                call(services.closeDockWindows, "close the dock windows");
        });
    }
    for (const GeneralSwitchSpec& spec : generalSwitchSpecs()) {
        if (spec.which == which && spec.stamps)
            m_state.publish();
    }
}

QString GeneralSettingsPage::badgePicture() const
{
    return value(GeneralSwitch::showBadge) ? QStringLiteral("BadgeExample")
                                           : QStringLiteral("BadgeExampleNone");
}

QString GeneralSettingsPage::updateLinkLabel() const
{
    if (!m_services.needUpdate || !m_services.needUpdate() || m_services.siteUrl.isEmpty())
        return {};
    const QString name = m_services.siteName.isEmpty() ? m_services.siteUrl : m_services.siteName;
    return QStringLiteral("💫 ⭐️ 🌟 Go to ") + name + QStringLiteral(" to get the newest update.");
}

void GeneralSettingsPage::quit()
{
    if (m_services.quitPlaceholderApp)
        m_services.quitPlaceholderApp();
    call(m_services.quitApplication, "quit");
}

GeneralSettingsView::GeneralSettingsView(QWidget* parent)
    : GeneralSettingsView(AppState::shared(), Queues::main(), standardGeneralSettingsServices(), parent)
{
}

GeneralSettingsView::GeneralSettingsView(
    AppState& state, SerialQueue& queue, GeneralSettingsServices services, QWidget* parent)
    : QWidget(parent)
    , m_page(state, queue, std::move(services))
{
    build();
}

void GeneralSettingsView::build()
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(20, 20, 20, 20);
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    showScrollIndicators(scroll);
    outer->addWidget(scroll);
    connect(scroll->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { logPlaces(); });
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    scroll->setWidget(content);

    auto divider = [column] {
        auto* line = new QFrame;
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        column->addWidget(line);
    };

    divider();
    column->addWidget(new LaunchAtLogin::Toggle(QStringLiteral("🦄 Launch at startup ")));

    for (const GeneralSwitchSpec& spec : generalSwitchSpecs()) {
        divider();
        auto* row = new QWidget;
        row->setFixedHeight(50);
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        auto* box = new QCheckBox(tr(qUtf8Printable(spec.title)), row);
        box->setObjectName(spec.key);
        box->setChecked(m_page.value(spec.which));
        line->addWidget(box, 0, Qt::AlignVCenter);
        if (!spec.note.isEmpty())
            line->addWidget(new QLabel(tr(qUtf8Printable(spec.note)), row), 0, Qt::AlignVCenter);
        line->addStretch();
        QLabel* picture = nullptr;
        if (spec.which == GeneralSwitch::showBadge) {
            picture = new QLabel(row);
            picture->setObjectName(QStringLiteral("badgePicture"));
            picture->setFixedSize(180, 50);
            picture->setPixmap(badgeExamplePicture(m_page.value(spec.which), QSize(180, 50)));
            picture->setProperty("pictureName", m_page.badgePicture());
            line->addWidget(picture);
        }
        connect(box, &QCheckBox::toggled, this, [this, which = spec.which, picture](bool on) {
            m_page.change(which, on);
            if (picture) {
                picture->setPixmap(badgeExamplePicture(on, QSize(180, 50)));
                picture->setProperty("pictureName", m_page.badgePicture());
            }
        });
        column->addWidget(row);
    }

    divider();
    auto* quit = new QPushButton(tr("Quit Dock"));
    quit->setObjectName(QStringLiteral("quitDock"));
    quit->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(quit, &QPushButton::clicked, this, [this] { m_page.quit(); });
    column->addWidget(quit);

    const QString link = m_page.updateLinkLabel();
    if (!link.isEmpty()) {
        auto* label = new QLabel(QStringLiteral("<a href=\"%1\">%2</a>")
                                     .arg(m_page.services().siteUrl.toHtmlEscaped(), link.toHtmlEscaped()));
        label->setObjectName(QStringLiteral("updateLink"));
        label->setOpenExternalLinks(true);
        column->addWidget(label);
    }
}

void GeneralSettingsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    logPlaces();
}

void GeneralSettingsView::logPlaces()
{
    if (!lcGeneral().isDebugEnabled())
        return;
    // Where the switches stand once laid out (again after a scroll), for the
    // log a test reads.
    QTimer::singleShot(0, this, [this] {
        for (const GeneralSwitchSpec& spec : generalSwitchSpecs()) {
            const auto* box = findChild<QCheckBox*>(spec.key);
            if (!box || !box->isVisible())
                continue;
            const QPoint at = box->mapToGlobal(QPoint(0, 0));
            qCDebug(lcGeneral).noquote()
                << QStringLiteral("general page switch %1 %2 at %3,%4 %5x%6")
                       .arg(spec.key, box->isChecked() ? QStringLiteral("on") : QStringLiteral("off"))
                       .arg(at.x())
                       .arg(at.y())
                       .arg(box->width())
                       .arg(box->height());
        }
        if (auto* quit = findChild<QPushButton*>(QStringLiteral("quitDock")); quit && quit->isVisible()) {
            const QPoint at = quit->mapToGlobal(QPoint(0, 0));
            qCDebug(lcGeneral).noquote() << QStringLiteral("general page button quitDock at %1,%2 %3x%4")
                                                .arg(at.x())
                                                .arg(at.y())
                                                .arg(quit->width())
                                                .arg(quit->height());
        }
        if (auto* box = findChild<QCheckBox*>(QStringLiteral("LaunchAtLoginToggle"))) {
            const QPoint at = box->mapToGlobal(QPoint(0, 0));
            qCDebug(lcGeneral).noquote()
                << QStringLiteral("general page shown: launch at startup %1 at %2,%3 %4x%5")
                       .arg(box->isChecked() ? QStringLiteral("on") : QStringLiteral("off"))
                       .arg(at.x())
                       .arg(at.y())
                       .arg(box->width())
                       .arg(box->height());
        }
    });
}
