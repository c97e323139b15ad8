#pragma once

#include "state/Persistence.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <map>
#include <optional>
#include <vector>

class AppState;
class QListWidget;
class QStackedWidget;

// One entry of the tool hub's sidebar.
struct ToolHubEntry {
    int tag = 0;
    // The shown title, before translation.
    QString title;
    bool operator==(const ToolHubEntry&) const = default;
};

// The sidebar: "Favorite" always, then each built-in tool that has a
// `Plugins` record of exactly its name, once, in a fixed order.
std::vector<ToolHubEntry> toolHubEntries(const std::vector<Record>& plugins);

// The entry highlighted for a selection: its tag when that entry is listed.
// None means the favourites list is shown with nothing highlighted.
std::optional<int> toolHubHighlighted(const std::vector<ToolHubEntry>& entries, std::optional<int> selection);

// The page a host shows for a tag; the hub owns what it returns.
using ToolHubPages = std::function<QWidget*(int tag)>;
ToolHubPages defaultToolHubPages(AppState& state);

// The tool hub: a sidebar of the favourites and the installed tools beside
// the chosen one's page. The chosen entry is kept in `persistSelection`.
class SettingView final : public QWidget {
    Q_OBJECT
public:
    SettingView(AppState& state, PersistenceController& store, ToolHubPages pages, QWidget* parent = nullptr);

    const std::vector<ToolHubEntry>& entries() const { return m_entries; }
    std::optional<int> selection() const { return m_selection; }
    // What the detail column shows: an entry's tag (1 for the favourites).
    int shownPage() const { return m_shownTag; }
    QWidget* page(int tag) const;
    QListWidget* sidebar() const { return m_sidebar; }

    // A choice in the sidebar; none when the choice was cleared.
    void choose(std::optional<int> tag);

    // 800 by 450; a screen too small for that (a scaled one's) gets the hub
    // narrower or lower, down to what the sidebar and the pages need.
    QSize sizeHint() const override { return { 800, 450 }; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void rebuildSidebar();
    void highlight();
    void showDetail();
    void logEntries() const;

    AppState& m_state;
    PersistenceController& m_store;
    ToolHubPages m_pages;
    std::vector<ToolHubEntry> m_entries;
    std::optional<int> m_selection = 1;
    int m_shownTag = 0;
    QListWidget* m_sidebar;
    QStackedWidget* m_detail;
    std::map<int, QWidget*> m_madePages;
};

// The hub for the bar's main button, or a label saying why there is none
// when the store is not open.
QWidget* makeSettingView(AppState& state);
