#include "settings/PluginsView.h"

#include "dock/tiles/DockTilePainting.h"
#include "network/NewUpdateTag.h"
#include "settings/PageParts.h"
#include "settings/PluginList.h"
#include "state/AppState.h"
#include "state/Persistence.h"
#include "state/ToolTable.h"
#include "widgets/ScrollIndicators.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

static Q_LOGGING_CATEGORY(lcPluginsView, "orbitshelf.settings")

namespace {

const QColor kInstallGreen = QColor::fromRgb(16, 172, 132);

QPixmap toolIcon(const QString& name, int side, qreal ratio)
{
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    paintToolTile(painter, QRectF(0, 0, side, side), name);
    return pixmap;
}

// A white rounded outline behind its content.
class OutlinedBox : public QWidget {
public:
    OutlinedBox(qreal radius, qreal lineWidth, QWidget* parent = nullptr)
        : QWidget(parent)
        , m_radius(radius)
        , m_lineWidth(lineWidth)
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::white, m_lineWidth));
        const qreal inset = m_lineWidth / 2;
        painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), m_radius, m_radius);
    }

private:
    qreal m_radius;
    qreal m_lineWidth;
};

// One tool of the grid: icon and name; a click selects it.
class PluginCell final : public OutlinedBox {
public:
    PluginCell(const Plugin& plugin, std::function<void()> onClick)
        : OutlinedBox(5, 2)
        , m_onClick(std::move(onClick))
    {
        setObjectName(QStringLiteral("plugin-") + plugin.name);
        setFixedSize(100, 100);
        auto* column = new QVBoxLayout(this);
        // The tile is small: a name as long as "Folder Browser" needs nearly
        // all of its width, and a longer one wraps rather than being cut.
        column->setContentsMargins(4, 4, 4, 4);
        column->setSpacing(10);
        column->setAlignment(Qt::AlignCenter);
        auto* icon = new QLabel;
        icon->setFixedSize(44, 44);
        icon->setPixmap(toolIcon(plugin.icon, 44, devicePixelRatioF()));
        column->addWidget(icon, 0, Qt::AlignHCenter);
        auto* name = new QLabel(tr(qUtf8Printable(plugin.name)));
        name->setObjectName(QStringLiteral("pluginName"));
        name->setWordWrap(true);
        name->setAlignment(Qt::AlignHCenter);
        column->addWidget(name, 0, Qt::AlignHCenter);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            m_onClick();
    }

private:
    std::function<void()> m_onClick;
};

QScrollArea* scrollColumn(QWidget* content, int width)
{
    auto* scroll = new QScrollArea;
    scroll->setFixedWidth(width);
    scroll->setFrameShape(QFrame::NoFrame);
    // A scroll bar only when the column does not fit: a window of the usual
    // size shows all of both.
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    showScrollIndicators(scroll);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return scroll;
}

} // namespace

PluginsView::PluginsView(QWidget* parent)
    : PluginsView(AppState::shared(), PersistenceController::shared(), parent)
{
}

PluginsView::PluginsView(AppState& state, PersistenceController& store, QWidget* parent)
    : QWidget(parent)
    , m_controller(new PluginsController(state, store, this))
{
    setObjectName(QStringLiteral("PluginsView"));
    build();
    connect(m_controller, &PluginsController::changed, this, &PluginsView::refresh);
    refresh();
}

void PluginsView::build()
{
    auto* row = new QHBoxLayout(this);
    row->setAlignment(Qt::AlignVCenter);

    auto* grid = new QWidget;
    auto* cells = new QGridLayout(grid);
    // The cells keep together, centred, however tall the page is.
    cells->setAlignment(Qt::AlignCenter);
    int index = 0;
    for (const Plugin& plugin : pluginList()) {
        auto* cell = new PluginCell(plugin, [this, name = plugin.name] { m_controller->selectPlugin(name); });
        m_cells.append(cell);
        cells->addWidget(cell, index / 2, index % 2, Qt::AlignCenter);
        ++index;
    }
    row->addWidget(scrollColumn(grid, 250));

    auto* detail = new OutlinedBox(10, 4);
    // As tall as the page allows, up to 600: the controls stay at its top,
    // and a fixed 600 would overflow the settings window's page.
    detail->setFixedWidth(450);
    detail->setMaximumHeight(600);
    auto* column = new QVBoxLayout(detail);
    column->setContentsMargins(0, 20, 0, 0);
    column->setSpacing(10);
    m_icon = new QLabel;
    m_icon->setFixedSize(44, 44);
    column->addWidget(m_icon, 0, Qt::AlignHCenter);
    m_name = new QLabel;
    column->addWidget(m_name, 0, Qt::AlignHCenter);

    m_install = new QPushButton;
    m_install->setObjectName(QStringLiteral("installButton"));
    connect(m_install, &QPushButton::clicked, this,
        [this] { m_controller->toggleInstall(m_controller->currentPlugin().name); });
    column->addWidget(m_install, 0, Qt::AlignHCenter);
    m_waiting = new QLabel(tr("waiting"));
    column->addWidget(m_waiting, 0, Qt::AlignHCenter);

    m_pin = new QCheckBox;
    m_pin->setObjectName(QStringLiteral("pinSwitch"));
    // Only the user's clicks: the page's own updates store nothing.
    connect(m_pin, &QCheckBox::clicked, this, [this](bool on) { m_controller->applyPinChange(on); });
    column->addWidget(m_pin, 0, Qt::AlignHCenter);

    m_replaceFinderRow = new QWidget;
    auto* finderRow = new QHBoxLayout(m_replaceFinderRow);
    finderRow->setContentsMargins(0, 0, 0, 0);
    m_replaceFinder = new QCheckBox(tr("Replace Finder"));
    m_replaceFinder->setObjectName(QStringLiteral("replaceFinder"));
    connect(m_replaceFinder, &QCheckBox::clicked, this,
        [this](bool on) { m_controller->applyReplaceFinderChange(on); });
    finderRow->addWidget(m_replaceFinder, 0, Qt::AlignVCenter);
    finderRow->addWidget(new NewUpdateTag, 0, Qt::AlignVCenter);
    column->addWidget(m_replaceFinderRow, 0, Qt::AlignHCenter);

    m_keyRefused = new QLabel;
    m_keyRefused->setObjectName(QStringLiteral("keyRefused"));
    m_keyRefused->setWordWrap(true);
    m_keyRefused->setAlignment(Qt::AlignCenter);
    m_keyRefused->setStyleSheet(QStringLiteral("color: #d63031;"));
    column->addWidget(m_keyRefused);
    column->addStretch();

    auto* detailHolder = new QWidget;
    auto* holderLayout = new QVBoxLayout(detailHolder);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    holderLayout->addWidget(detail);
    row->addWidget(scrollColumn(detailHolder, 450 + 16));
}

void PluginsView::refresh()
{
    const Plugin& plugin = m_controller->currentPlugin();
    m_icon->setPixmap(toolIcon(plugin.icon, 44, devicePixelRatioF()));
    m_name->setText(tr(qUtf8Printable(plugin.name)));

    const bool installed = m_controller->isInstalled(plugin.name);
    m_install->setText(tr(qUtf8Printable(m_controller->installButtonTitle())));
    const QColor colour = installed ? QColor(Qt::red) : kInstallGreen;
    m_install->setProperty("backgroundColor", colour);
    m_install->setStyleSheet(
        QStringLiteral("QPushButton { color: white; background: %1; border-radius: 10px; "
                       "padding: 2px 8px; }")
            .arg(colour.name()));
    m_install->setVisible(plugin.active);
    m_waiting->setVisible(!plugin.active);

    const PinSwitchLook pin = m_controller->pinSwitch();
    m_pin->setText(tr(qUtf8Printable(pin.title)));
    m_pin->setChecked(pin.checked);
    m_pin->setEnabled(pin.enabled);

    m_replaceFinderRow->setVisible(plugin.name == toolName(Tool::FastFinder));
    m_replaceFinder->setChecked(AppState::shared().settings.replaceFinder());
    // The key the Shortcut page chose, which the install asked for.
    m_keyRefused->setText(tr("%1 is taken by another program; it is not registered.")
                              .arg(PluginsController::pasteboardKeyName()));
    m_keyRefused->setVisible(
        m_controller->pasteboardKeyRefused() && plugin.name == toolName(Tool::Pasteboard));
    if (placesLogged())
        QTimer::singleShot(0, this, [this] { logPlaces(); });
}

void PluginsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_controller->appear();
}

void PluginsView::logPlaces()
{
    // Where the controls stand, for the log the end-to-end tests read.
    for (QWidget* cell : std::as_const(m_cells))
        logPlace(cell, QStringLiteral("plugins cell %1").arg(cell->objectName().mid(7)));
    // Which tool the detail shows: a click on a cell is followed by the
    // lines of the tool it chose, not those of the one before.
    const QString shown = m_controller->currentPlugin().name;
    logPlace(m_install, QStringLiteral("plugins install button %1 for %2").arg(m_install->text(), shown));
    logPlace(m_pin,
        QStringLiteral("plugins pin switch %1 for %2")
            .arg(QLatin1String(m_pin->isChecked() ? "on" : "off"), shown));
    if (m_pin->isVisible())
        qCDebug(lcPluginsView).noquote()
            << QStringLiteral("plugins pin switch of %1 %2: %3")
                   .arg(shown, QLatin1String(m_pin->isEnabled() ? "enabled" : "disabled"), m_pin->text());
    if (m_keyRefused->isVisible())
        qCDebug(lcPluginsView).noquote() << "plugins key refused:" << m_keyRefused->text();
}

QWidget* makePluginsPage()
{
    if (PersistenceController::hasShared())
        return new PluginsView;
    auto* note = new QLabel(QObject::tr("The tools cannot be listed: the data store is not open."));
    note->setAlignment(Qt::AlignCenter);
    return note;
}
