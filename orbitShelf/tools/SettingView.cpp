#include "tools/SettingView.h"

#include "state/AppState.h"
#include "state/ToolTable.h"
#include "tools/FavoriteView.h"
#include "tools/ToolArtwork.h"
#include "tools/ToolPages.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QLoggingCategory>
#include <QPainter>
#include <QPalette>
#include <QStackedWidget>
#include <QTimer>

#include <algorithm>

static Q_LOGGING_CATEGORY(lcToolHub, "orbitshelf.tools.hub", QtInfoMsg)

namespace {

constexpr int favoriteTag = 1;
constexpr int iconSide = 18;
const QColor sidebarColor(0x1e, 0x27, 0x2e);

// The tools' rows in the sidebar's order: ascending hub tag.
std::vector<const ToolRow*> rowsByTag()
{
    std::vector<const ToolRow*> rows;
    for (const ToolRow& row : toolTable)
        rows.push_back(&row);
    std::sort(
        rows.begin(), rows.end(), [](const ToolRow* a, const ToolRow* b) { return a->hubTag < b->hubTag; });
    return rows;
}

const ToolRow* rowTagged(int tag)
{
    for (const ToolRow& row : toolTable)
        if (row.hubTag == tag)
            return &row;
    return nullptr;
}

QPixmap tinted(const QPixmap& source, const QColor& color)
{
    QPixmap out = source;
    QPainter painter(&out);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(out.rect(), color);
    return out;
}

QIcon entryIcon(int tag)
{
    if (tag == favoriteTag) {
        QImage star(iconSide * 2, iconSide * 2, QImage::Format_ARGB32_Premultiplied);
        star.fill(Qt::transparent);
        QPainter painter(&star);
        painter.setRenderHint(QPainter::Antialiasing);
        paintStar(painter, QRectF(2, 2, iconSide * 2 - 4, iconSide * 2 - 4), Qt::white);
        painter.end();
        return QIcon(QPixmap::fromImage(star));
    }
    const ToolRow* row = rowTagged(tag);
    if (!row)
        return {};
    if (const auto drawing = toolPages(row->tool).drawing)
        return QIcon(QPixmap::fromImage(drawing(iconSide * 2, Qt::white)));
    for (const QString& name : iconNames(row->hubIcons)) {
        const QIcon themed = QIcon::fromTheme(name);
        if (!themed.isNull())
            return QIcon(tinted(themed.pixmap(iconSide * 2), Qt::white));
    }
    return {};
}

QPalette darkPalette()
{
    QPalette dark;
    const QColor text(Qt::white);
    const QColor base(0x25, 0x2f, 0x38);
    const QColor button(0x34, 0x40, 0x4b);
    dark.setColor(QPalette::Window, sidebarColor);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, sidebarColor);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, button);
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::BrightText, text);
    dark.setColor(QPalette::ToolTipBase, base);
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::PlaceholderText, QColor(0x8a, 0x95, 0x9e));
    dark.setColor(QPalette::Highlight, QColor(0x3a, 0x78, 0xc8));
    dark.setColor(QPalette::HighlightedText, text);
    dark.setColor(QPalette::Light, button.lighter(130));
    dark.setColor(QPalette::Midlight, button.lighter(115));
    dark.setColor(QPalette::Mid, button.darker(120));
    dark.setColor(QPalette::Dark, button.darker(150));
    dark.setColor(QPalette::Shadow, Qt::black);
    for (QPalette::ColorRole role : { QPalette::WindowText, QPalette::Text, QPalette::ButtonText })
        dark.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    return dark;
}

} // namespace

std::vector<ToolHubEntry> toolHubEntries(const std::vector<Record>& plugins)
{
    std::vector<ToolHubEntry> entries { { favoriteTag, QStringLiteral("Favorite") } };
    for (const ToolRow* tool : rowsByTag()) {
        const bool installed = std::any_of(plugins.begin(), plugins.end(), [&](const Record& record) {
            const std::optional<QString> name = record.text(QStringLiteral("name"));
            return name && *name == QLatin1String(tool->name);
        });
        if (installed)
            entries.push_back({ tool->hubTag, QString::fromLatin1(tool->hubTitle) });
    }
    return entries;
}

std::optional<int> toolHubHighlighted(const std::vector<ToolHubEntry>& entries, std::optional<int> selection)
{
    if (!selection)
        return std::nullopt;
    const bool listed = std::any_of(
        entries.begin(), entries.end(), [&](const ToolHubEntry& entry) { return entry.tag == *selection; });
    return listed ? selection : std::nullopt;
}

ToolHubPages defaultToolHubPages(AppState& state)
{
    return [&state](int tag) -> QWidget* {
        if (const ToolRow* row = rowTagged(tag))
            return toolPages(row->tool).hubPage(state);
        return new FavoriteView(PersistenceController::shared(), defaultFavoriteServices());
    };
}

SettingView::SettingView(AppState& state, PersistenceController& store, ToolHubPages pages, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
    , m_store(store)
    , m_pages(std::move(pages))
{
    setObjectName(QStringLiteral("SettingView"));
    resize(sizeHint());
    // Dark whatever the desktop's scheme: the hosted pages draw light text.
    setPalette(darkPalette());
    setAutoFillBackground(true);
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);

    m_sidebar = new QListWidget(this);
    m_sidebar->setFixedWidth(200);
    m_sidebar->setFrameShape(QFrame::NoFrame);
    m_sidebar->setIconSize(QSize(iconSide, iconSide));
    m_sidebar->setSelectionMode(QAbstractItemView::SingleSelection);
    m_sidebar->setStyleSheet(
        QStringLiteral("QListWidget { background: %1; color: white; padding: 6px; outline: 0; }"
                       "QListWidget::item { padding: 5px; border-radius: 5px; }"
                       "QListWidget::item:selected { background: rgba(255, 255, 255, 46); }")
            .arg(sidebarColor.name()));
    columns->addWidget(m_sidebar);

    m_detail = new QStackedWidget(this);
    columns->addWidget(m_detail, 1);

    connect(m_sidebar, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> chosen = m_sidebar->selectedItems();
        choose(
            chosen.isEmpty() ? std::nullopt : std::optional<int>(chosen.front()->data(Qt::UserRole).toInt()));
    });
    // Installing or removing a tool in the tools list while the hub is open
    // adds or removes its entry at once.
    connect(&m_store, &PersistenceController::entityChanged, this, [this](Entity entity) {
        if (entity == Entity::Plugins)
            rebuildSidebar();
    });
    rebuildSidebar();
}

QWidget* SettingView::page(int tag) const
{
    const auto it = m_madePages.find(tag);
    return it == m_madePages.end() ? nullptr : it->second;
}

void SettingView::choose(std::optional<int> tag)
{
    m_selection = tag;
    // Kept in the user defaults only: no stamp, no change notice.
    m_state.settings.setPersistSelection(tag.value_or(favoriteTag));
    highlight();
    showDetail();
}

void SettingView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    choose(m_state.settings.persistSelection());
    if (lcToolHub().isDebugEnabled())
        QTimer::singleShot(0, this, &SettingView::logEntries);
}

void SettingView::rebuildSidebar()
{
    m_entries = toolHubEntries(m_store.fetchAll(Entity::Plugins));
    {
        const QSignalBlocker quiet(m_sidebar);
        m_sidebar->clear();
        for (const ToolHubEntry& entry : m_entries) {
            auto* item = new QListWidgetItem(
                entryIcon(entry.tag), tr(entry.title.toLatin1().constData()), m_sidebar);
            item->setData(Qt::UserRole, entry.tag);
        }
    }
    highlight();
    showDetail();
}

void SettingView::highlight()
{
    const std::optional<int> highlighted = toolHubHighlighted(m_entries, m_selection);
    const QSignalBlocker quiet(m_sidebar);
    for (int row = 0; row < m_sidebar->count(); ++row) {
        QListWidgetItem* item = m_sidebar->item(row);
        item->setSelected(highlighted == item->data(Qt::UserRole).toInt());
    }
}

void SettingView::showDetail()
{
    const int tag = toolHubHighlighted(m_entries, m_selection).value_or(favoriteTag);
    if (tag == m_shownTag)
        return;
    QWidget* shown = page(tag);
    if (!shown) {
        shown = m_pages(tag);
        m_madePages[tag] = shown;
        m_detail->addWidget(shown);
    }
    m_shownTag = tag;
    m_detail->setCurrentWidget(shown);
}

void SettingView::logEntries() const
{
    for (int row = 0; row < m_sidebar->count(); ++row) {
        const QRect item = m_sidebar->visualItemRect(m_sidebar->item(row));
        const QPoint at = m_sidebar->viewport()->mapToGlobal(item.topLeft());
        qCDebug(lcToolHub).noquote() << QStringLiteral("hub entry %1 at %2,%3 %4x%5")
                                            .arg(m_sidebar->item(row)->text())
                                            .arg(at.x())
                                            .arg(at.y())
                                            .arg(item.width())
                                            .arg(item.height());
    }
}

QWidget* makeSettingView(AppState& state)
{
    if (!PersistenceController::hasShared()) {
        auto* label = new QLabel(SettingView::tr("The tools cannot be shown: their store is not open."));
        label->setAlignment(Qt::AlignCenter);
        label->setStyleSheet(QStringLiteral("color: white;"));
        return label;
    }
    return new SettingView(state, PersistenceController::shared(), defaultToolHubPages(state));
}
