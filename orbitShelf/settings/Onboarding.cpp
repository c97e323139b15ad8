#include "settings/Onboarding.h"

#include "network/ServiceRequests.h"
#include "platform/Accessibility.h"
#include "platform/Platform.h"
#include "settings/FeatureTour.h"
#include "settings/PageParts.h"
#include "state/AppState.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QThreadPool>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

static Q_LOGGING_CATEGORY(lcOnboarding, "orbitshelf.settings")

namespace {

// The title-2 style: 17 points over a 13-point body.
QFont title2(QFont f)
{
    f.setPointSizeF(f.pointSizeF() * 17 / 13);
    return f;
}

const char* const kGreen = "#2fa84f";
const char* const kRed = "#e0443e";

// The page scrolls only up and down, so every text beside a step wraps
// within its column instead of widening the page.
QLabel* wrapped(const QString& text, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setAlignment(alignment);
    return label;
}

// The step button: white title with 20/8 padding on a rounded background
// (clear, or the permission's colour), centred in a 450 by 50 slot.
QWidget* stepButton(const QString& title, QPushButton** made, const std::function<void()>& action)
{
    auto* slot = new QWidget;
    slot->setFixedSize(450, 50);
    auto* layout = new QHBoxLayout(slot);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* button = new QPushButton(title);
    button->setObjectName(title);
    button->setProperty("statusColor", QStringLiteral("clear"));
    button->setStyleSheet(QStringLiteral(
        "QPushButton { color: white; background: #7f7f7f; border-radius: 8px; padding: 8px 20px; }"));
    QObject::connect(button, &QPushButton::clicked, button, action);
    layout->addWidget(button, 0, Qt::AlignCenter);
    *made = button;
    return slot;
}

// The least of the tour the page keeps in view: a picture row and a title.
constexpr int kTourMinimumHeight = 160;

// Holds the tour at its full 880 points where the page has room, and at the
// page's width with its pictures scaled down where it has not, so nothing of
// it (its scroll bar included) is cut off by a narrower window. Its height
// is what the steps leave: the tour scrolls within itself, and the page
// itself scrolls only in a window too small for the steps and this least
// of the tour, so a window of the usual size has one scroll bar, not two.
class TourSlot final : public QWidget {
public:
    TourSlot()
        : m_tour(makeFeatureTour())
    {
        m_tour->setParent(this);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
        setMaximumHeight(kTourHeight);
    }

    // The page asks its parts for their heights to decide whether it must
    // scroll: the tour asks for its least and takes whatever is left.
    QSize sizeHint() const override { return { 0, kTourMinimumHeight }; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void resizeEvent(QResizeEvent*) override
    {
        const int wanted = std::min(width(), kTourWidth);
        if (m_tour->width() != wanted) {
            delete m_tour;
            m_tour = makeFeatureTour(wanted);
            m_tour->setParent(this);
            m_tour->show();
        }
        m_tour->setFixedHeight(std::min(height(), kTourHeight));
        m_tour->move((width() - m_tour->width()) / 2, 0);
    }

private:
    QWidget* m_tour;
};

// The edges the bars stand on: the main one's and each screen's own.
std::vector<platform::ReservedEdge::Side> barSides()
{
    using Side = platform::ReservedEdge::Side;
    std::vector<Side> sides;
    auto add = [&sides](const QString& position) {
        const Side side = position == QLatin1String("left") ? Side::left
            : position == QLatin1String("right")            ? Side::right
                                                            : Side::bottom;
        if (std::find(sides.begin(), sides.end(), side) == sides.end())
            sides.push_back(side);
    };
    const CustomSettings settings;
    add(settings.mainDockPosition());
    for (const QString& position : settings.spaceDockPosition())
        add(position);
    return sides;
}

// What step 3 would do, and to which docks: those it would set to hide
// named first, then those that hide already; the stock sentence (that there
// is nothing to do) only where no other dock runs at all.
QString step3Explanation(const platform::OtherDocksFound& docks)
{
    const QString comma = QStringLiteral(", ");
    if (docks.empty())
        return Onboarding::tr(OnboardingTexts::step3Explanation);
    if (docks.toHide.isEmpty())
        return Onboarding::tr(
            docks.hiding.size() == 1 ? OnboardingTexts::step3HidingOne : OnboardingTexts::step3HidingMany)
            .arg(docks.hiding.join(comma));
    QString text = Onboarding::tr(
        docks.toHide.size() == 1 ? OnboardingTexts::step3FoundOne : OnboardingTexts::step3FoundMany)
                       .arg(docks.toHide.join(comma));
    if (!docks.hiding.isEmpty())
        text += QLatin1Char(' ')
            + Onboarding::tr(OnboardingTexts::step3AlreadyHiding).arg(docks.hiding.join(comma));
    return text;
}

} // namespace

OnboardingServices standardOnboardingServices()
{
    OnboardingServices s;
    s.accessibilityTrustedWithPrompt = [] {
        return !platform::hasCurrent() || platform::current().accessibility().isProcessTrusted(true);
    };
    // This desktop has no capture gate: there is nothing to ask for.
    s.requestScreenCapture = [] {};
    s.trackFeature = [](const QString& feature) { trackFeature(feature); };
    s.otherDocks = [](const std::vector<platform::ReservedEdge::Side>& sides) {
        return platform::hasCurrent() ? platform::current().scripts().otherDocks(sides)
                                      : platform::OtherDocksFound();
    };
    s.hideSystemDock = [](const std::vector<platform::ReservedEdge::Side>& sides) {
        return platform::hasCurrent() ? platform::current().scripts().hideSystemDock(sides)
                                      : platform::HideDocksReport();
    };
    return s;
}

Onboarding::Onboarding(AppState& state, PermissionChecks checks, OnboardingServices services, QWidget* parent)
    : QWidget(parent)
    , m_appState(state)
    , m_services(std::move(services))
{
    setObjectName(QStringLiteral("Onboarding"));
    // Whether this desktop gates window access at all, asked once, quietly.
    const bool noGate = checks.accessibilityTrusted && checks.accessibilityTrusted();
    m_onboarding = new OnboardingState(state, std::move(checks), this);
    m_onboarding->setObjectName(QStringLiteral("OnboardingState"));

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("onboardingPage"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The tour fits the page's width; the steps' rows do not shrink below
    // theirs, and a window narrower than them (a small screen scaled)
    // scrolls sideways to reach their ends.
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    outer->addWidget(scroll);
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->addWidget(new TourSlot, 1);
    column->addWidget(wrapped(tr(OnboardingTexts::hint), Qt::AlignHCenter));
    column->addWidget(horizontalDivider());

    auto* steps = new QVBoxLayout;
    // Step 1.
    {
        auto* row = new QHBoxLayout;
        auto* left = new QVBoxLayout;
        left->addWidget(
            stepButton(tr(OnboardingTexts::step1), &m_step1, [this] { requestAccessibilityPermission(); }), 0,
            Qt::AlignHCenter);
        auto* necessary = new QLabel(tr(OnboardingTexts::necessary));
        necessary->setFont(title2(necessary->font()));
        necessary->setStyleSheet(QStringLiteral("color: red;"));
        left->addWidget(necessary, 0, Qt::AlignHCenter);
        row->addLayout(left);
        auto* right = new QVBoxLayout;
        right->addWidget(wrapped(tr(OnboardingTexts::step1Explanation)));
        if (noGate) {
            auto* note = wrapped(QStringLiteral("No permission is needed on this desktop."));
            note->setObjectName(QStringLiteral("noPermissionNote"));
            right->addWidget(note);
        }
        row->addLayout(right, 1);
        row->setContentsMargins(0, 0, 0, 10);
        steps->addLayout(row);
    }
    steps->addWidget(horizontalDivider());
    // Step 2.
    {
        auto* row = new QHBoxLayout;
        m_step2 = new QCheckBox(tr(OnboardingTexts::step2));
        m_step2->setObjectName(QStringLiteral("step2"));
        m_step2->setFont(title2(m_step2->font()));
        m_step2->setChecked(m_onboarding->disablePreview);
        connect(m_step2, &QCheckBox::toggled, this, [this](bool on) {
            m_onboarding->disablePreview = on;
            applyOnboardingPreviewChoice(on);
        });
        row->addWidget(m_step2);
        auto* explanation = wrapped(tr(OnboardingTexts::step2Explanation));
        // Room for a few words a line beside the large toggle.
        explanation->setMinimumWidth(180);
        row->addWidget(explanation, 1);
        row->setContentsMargins(60, 0, 0, 20);
        steps->addLayout(row);
    }
    steps->addWidget(horizontalDivider());
    // Step 3.
    {
        auto* row = new QHBoxLayout;
        row->addWidget(stepButton(tr(OnboardingTexts::step3), &m_step3, [this] { hideSystemDock(); }));
        auto* right = new QVBoxLayout;
        m_step3Explanation = wrapped(step3Explanation(
            m_services.otherDocks ? m_services.otherDocks(barSides()) : platform::OtherDocksFound()));
        m_step3Explanation->setObjectName(QStringLiteral("step3Explanation"));
        qCInfo(lcOnboarding).noquote() << "onboarding step 3 says:" << m_step3Explanation->text();
        right->addWidget(m_step3Explanation);
        m_step3Note = wrapped(QString());
        m_step3Note->setObjectName(QStringLiteral("step3Note"));
        m_step3Note->hide();
        right->addWidget(m_step3Note);
        row->addLayout(right, 1);
        row->setContentsMargins(0, 0, 0, 10);
        steps->addLayout(row);
    }
    steps->addWidget(horizontalDivider());
    // Step 4.
    steps->addWidget(stepButton(tr(OnboardingTexts::step4), &m_step4, [this] { closeOnboardingWindow(); }), 0,
        Qt::AlignHCenter);
    column->addLayout(steps);
    scroll->setWidget(page);
    connect(scroll->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { logStepPlaces(); });

    connect(m_onboarding, &OnboardingState::changed, this, [this] {
        // The first-launch default turns the toggle on; that runs its action.
        if (m_step2->isChecked() != m_onboarding->disablePreview)
            m_step2->setChecked(m_onboarding->disablePreview);
        refreshColors();
    });
    m_onboarding->attach(this);
    refreshColors();
}

void Onboarding::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The window manager places the window after it is shown: the place
    // logged then is logged again once the window has moved.
    if (placesLogged() && !m_watchingWindow) {
        m_watchingWindow = true;
        window()->installEventFilter(this);
    }
    QTimer::singleShot(0, this, [this] { logStepPlaces(); });
}

bool Onboarding::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window() && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        QTimer::singleShot(0, this, [this] { logStepPlaces(); });
    return QWidget::eventFilter(watched, event);
}

void Onboarding::logStepPlaces()
{
    logPlace(m_step3, QStringLiteral("onboarding step 3"));
    logPlace(m_step4, QStringLiteral("onboarding step 4"));
    if (!placesLogged() || !isVisible())
        return;
    int bars = 0;
    for (const QScrollBar* bar : findChildren<QScrollBar*>())
        bars += bar->orientation() == Qt::Vertical && bar->isVisible() ? 1 : 0;
    qCDebug(lcOnboarding).noquote() << "onboarding scroll bars shown:" << bars;
}

void Onboarding::refreshColors()
{
    const char* access = m_onboarding->checkAccessPerm ? kGreen : kRed;
    m_step1->setProperty("statusColor", QString::fromLatin1(access));
    m_step1->setStyleSheet(
        QStringLiteral("QPushButton { color: white; background: %1; border-radius: 8px; padding: 8px 20px; }")
            .arg(QLatin1String(access)));
    const char* capture = m_onboarding->checkScreenRecordPerm ? kGreen : kRed;
    m_step2->setProperty("statusColor", QString::fromLatin1(capture));
    m_step2->setStyleSheet(QStringLiteral("QCheckBox { color: %1; }").arg(QLatin1String(capture)));
    qCDebug(lcOnboarding).noquote() << "onboarding steps: access"
                                    << (m_onboarding->checkAccessPerm ? "green" : "red") << "capture"
                                    << (m_onboarding->checkScreenRecordPerm ? "green" : "red");
}

void Onboarding::requestAccessibilityPermission()
{
    // The answer shows at the next activation, like a grant made elsewhere.
    if (m_services.accessibilityTrustedWithPrompt)
        m_services.accessibilityTrustedWithPrompt();
    if (m_services.trackFeature)
        m_services.trackFeature(QStringLiteral("Onboard-Request Accessability Permissions"));
}

void Onboarding::applyOnboardingPreviewChoice(bool disablePreview)
{
    if (m_services.trackFeature)
        m_services.trackFeature(QStringLiteral("Onboard-Disable Window Preview"));
    CustomSettings().setDisablePreview(disablePreview);
    if (!CustomSettings().disablePreview() && m_services.requestScreenCapture)
        m_services.requestScreenCapture();
    m_appState.publish();
}

void Onboarding::hideSystemDock()
{
    if (!m_services.hideSystemDock) {
        showStep3Report({});
        return;
    }
    // The other docks' settings services may be slow to answer: the page
    // and the bar go on meanwhile. The sides are read here, where the
    // settings live.
    QThreadPool::globalInstance()->start(
        [hide = m_services.hideSystemDock, sides = barSides(), view = QPointer<Onboarding>(this)] {
            const platform::HideDocksReport report = hide(sides);
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [view, report] {
                    if (view)
                        view->showStep3Report(report);
                },
                Qt::QueuedConnection);
        });
}

void Onboarding::showStep3Report(const platform::HideDocksReport& report)
{
    QStringList said;
    if (!report.hidden.isEmpty())
        said << tr(OnboardingTexts::step3Done).arg(report.hidden.join(QStringLiteral(", ")));
    if (!report.failed.isEmpty())
        said << tr(OnboardingTexts::step3Failed).arg(report.failed.join(QStringLiteral(", ")));
    if (!report.hidingAlready.isEmpty())
        said << tr(OnboardingTexts::step3AlreadyHiding).arg(report.hidingAlready.join(QStringLiteral(", ")));
    if (said.isEmpty())
        said << tr(OnboardingTexts::step3NoDock);
    const QString note = said.join(QLatin1Char(' '));
    qCInfo(lcOnboarding).noquote() << "hide system dock:" << note;
    m_step3Note->setText(note);
    m_step3Note->show();
    // The outcome takes the explanation's place: here both can say that
    // there is no dock to hide, and the page would say it twice.
    m_step3Explanation->hide();
}

QString Onboarding::step3Note() const
{
    return m_step3Note->isHidden() ? QString() : m_step3Note->text();
}

void Onboarding::closeOnboardingWindow()
{
    window()->close();
}

std::unique_ptr<QWidget> makeOnboardingView()
{
    return std::make_unique<Onboarding>(
        AppState::shared(), standardPermissionChecks(), standardOnboardingServices());
}
