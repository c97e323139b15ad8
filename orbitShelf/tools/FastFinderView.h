#pragma once

#include "tools/FastFinderModel.h"

#include <QAbstractListModel>
#include <QHash>
#include <QIcon>
#include <QListView>
#include <QWidget>

class AppState;
class QLabel;
class QScrollArea;
class QVBoxLayout;
class ToastOverlayPresenter;

// The grid's rows: one per entry of the folder shown. The type icon of an
// entry comes at once (made here, on the main thread, once per type); its
// thumbnail replaces it when it arrives.
class FastFinderGridModel final : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { PathRole = Qt::UserRole + 1, HighlightedRole };

    explicit FastFinderGridModel(const FastFinderModel& finder, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // The icon shown for a MIME icon name; our folder or page drawing when
    // the theme has none.
    QIcon typeIcon(const QString& iconName) const;

private:
    void rebuild();
    void thumbnailArrived(const QString& path);
    void highlightChanged();

    const FastFinderModel& m_finder;
    QHash<QString, int> m_rowOfPath;
    QString m_highlighted;
    mutable QHash<QString, QIcon> m_icons;
};

// The browser: favourites, the home row and the folder chain on the left; the
// folder's path, "Open in Finder" and the grid of its entries on the right.
class FastFinderView final : public QWidget {
    Q_OBJECT
public:
    FastFinderView(AppState& state, const FastFinderPlacement& placement, FastFinderServices services,
        QWidget* parent = nullptr);

    FastFinderModel& model() { return *m_model; }
    QListView* grid() const { return m_grid; }
    QScrollArea* favoritesArea() const { return m_favoritesArea; }
    // The sidebar rows as built: favourites first, then home and the chain.
    QList<QWidget*> sidebarRows() const;
    QLabel* pathLabel() const { return m_path; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void rebuildSidebar();
    void showMessage(const QString& text, const QString& reason);
    void logFirstCell() const;

    FastFinderModel* m_model;
    FastFinderGridModel* m_gridModel;
    QListView* m_grid;
    QLabel* m_path;
    QScrollArea* m_favoritesArea;
    QVBoxLayout* m_favoriteRows;
    QVBoxLayout* m_chainRows;
    ToastOverlayPresenter* m_toast;
    QString m_toastText;
    QString m_toastReason;
    bool m_shownBefore = false;
};

// A new browser for a host (the bar's sheet, the tool hub), opening through
// the session's launcher.
FastFinderView* makeFastFinderView(AppState& state, const FastFinderPlacement& placement);
