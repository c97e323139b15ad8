#pragma once

#include "tools/PasteBoardModel.h"

#include <QRect>
#include <QWidget>

#include <optional>

class AppState;
class QScrollArea;
class QVBoxLayout;
class ToastOverlayPresenter;

// The clipboard history panel: "Mark" and the day tabs beside a grid of
// cards. The grid is lazy: a card widget is made only once its row scrolls
// into view. Loads on show, empties itself on hide.
class PasteBoardView final : public QWidget {
    Q_OBJECT
public:
    PasteBoardView(AppState& state, std::optional<int> column, int limit,
        PersistenceController& store = PersistenceController::shared(), QWidget* parent = nullptr);

    PasteBoardModel& model() { return m_model; }
    int columnCount() const { return m_columns; }
    // The columns the grid shows: as many of columnCount as its width holds.
    int shownColumnCount() const { return m_shownColumns; }
    // Card widgets made so far (the lazy grid's count).
    int cardsMade() const;
    // The tab labels in order, "Mark" first.
    QStringList tabTexts() const;

    // What a tap does; public for the card widgets and for tests.
    void copyItem(int index);
    void toggleMark(int index);
    void togglePin();
    void showMarked();
    void showDay(const QString& name);

    ToastOverlayPresenter* toast() const { return m_toast; }
    void setWriter(PasteboardWriter writer) { m_writer = std::move(writer); }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rebuildTabs();
    void rebuildGrid();
    void makeVisibleCards();

    AppState& m_state;
    PasteBoardModel m_model;
    int m_columns;
    int m_shownColumns = 1;
    int m_limit;
    PasteboardWriter m_writer = systemPasteboardWriter();
    QVBoxLayout* m_tabs = nullptr;
    QScrollArea* m_gridArea = nullptr;
    QWidget* m_grid = nullptr;
    std::vector<QWidget*> m_cards; // per item; null until made
    ToastOverlayPresenter* m_toast = nullptr;
};

inline constexpr int kPasteboardCardWidth = 230;
inline constexpr int kPasteboardColumnSpacing = 8;
// How many of `columns` cards fit side by side in `width`: at least one.
int pasteboardColumnsThatFit(int columns, int width);
// Where a card draws a picture of size `picture`: its shape kept, as large as
// `box` allows, centred there.
QRect pasteboardPictureRect(const QSize& picture, const QRect& box);
// The source a card names: `appName`, or "Unknown source" when there is none.
QString pasteboardSourceName(const QString& appName);

// The view each host shows (the clipboard window, the bar's sheets, the tool
// hub).
QWidget* makePasteBoardView(AppState& state, std::optional<int> column, int limit);
