#pragma once

#include "state/Persistence.h"

#include <QScrollArea>

#include <functional>
#include <optional>
#include <vector>

class QAbstractButton;
class QGridLayout;
class ToastOverlayPresenter;

// What one cell of the favourites list shows and opens.
struct FavoriteCell {
    Record record;
    QString name; // appName, or "Not found"
    // The icon file, escapes decoded; nothing: the "Finder" picture.
    std::optional<QString> iconPath;
    QString bundleIdentifier;
};

// The cells for the stored favourites, in the store's order.
std::vector<FavoriteCell> favoriteCells(const std::vector<Record>& records);

// The grid has five columns of 100 each.
constexpr int kFavoriteColumns = 5;

// What the list asks of the desktop; the defaults open through the session's
// launcher, refresh the running applications and wait on Qt's timers. Tests
// replace them (runAfter with a virtual clock).
struct FavoriteServices {
    std::function<bool(const QString& bundleIdentifier)> openApplication;
    std::function<void()> refreshRunningApps;
    std::function<void(double seconds, std::function<void()> work)> runAfter;
    // The bar's icon-button look, lent by the host; none: Qt's own.
    std::function<void(QAbstractButton*)> styleButton;
};
FavoriteServices defaultFavoriteServices();

// The favourite applications as a grid of icons and names: a click opens the
// application (or brings it forward) and says "Opening!"; "Remove" in the
// cell's menu deletes the record, never the icon file that pinned
// applications may share. Follows the store's changes.
class FavoriteView final : public QScrollArea {
    Q_OBJECT
public:
    FavoriteView(PersistenceController& store, FavoriteServices services, QWidget* parent = nullptr);

    const std::vector<FavoriteCell>& cells() const { return m_cells; }
    QGridLayout* grid() const { return m_grid; }
    ToastOverlayPresenter* openingToast() const { return m_opening; }
    ToastOverlayPresenter* messageToast() const { return m_message; }
    const QString& lastMessage() const { return m_messageText; }

    void open(const FavoriteCell& cell);
    void remove(const FavoriteCell& cell);

private:
    void reload();

    PersistenceController& m_store;
    FavoriteServices m_services;
    std::vector<FavoriteCell> m_cells;
    QGridLayout* m_grid;
    ToastOverlayPresenter* m_opening;
    ToastOverlayPresenter* m_message;
    QString m_messageText;
};
