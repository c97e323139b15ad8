#pragma once

#include <QColor>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class QHBoxLayout;
class QPushButton;
class QStackedLayout;

// What a tab button shows: its background and its title's colour.
struct TabButtonLook {
    QColor background;
    QColor foreground;
};
// The selected tab takes its own colour at 0.8 with a white title; the others
// a pale blue-gray at 0.5 with black at 0.4.
TabButtonLook tabButtonLook(const QColor& tabColor, bool selected);

// A self-drawn tab container: a row of wide tab buttons, centred, above or
// below one content area that shows the chosen tab's view.
class CustomTabView final : public QWidget {
    Q_OBJECT
public:
    enum class TabBarPosition { top, bottom };

    struct Tab {
        QString title; // shown verbatim
        QString iconName; // carried, not drawn
        QColor color; // the button's background while selected
        QWidget* view = nullptr; // taken over by the container
    };

    static constexpr QSize buttonSize { 150, 50 };

    CustomTabView(TabBarPosition position, const QList<Tab>& tabs, QWidget* parent = nullptr);

    TabBarPosition tabBarPosition() const { return m_position; }
    const QStringList& tabText() const { return m_titles; }
    const QStringList& tabIconNames() const { return m_iconNames; }
    const QList<QColor>& tabBgColor() const { return m_colors; }
    int selection() const { return m_selection; }
    void setSelection(int index);

    QWidget* tabBar() const { return m_bar; }
    QList<QPushButton*> tabButtons() const { return m_buttons; }
    // The view shown now: the selected tab's, or an empty placeholder when
    // there are no tabs.
    QWidget* currentView() const;

private:
    void restyle();

    TabBarPosition m_position;
    QStringList m_titles;
    QStringList m_iconNames;
    QList<QColor> m_colors;
    int m_selection = 0;
    QWidget* m_bar;
    QList<QPushButton*> m_buttons;
    QStackedLayout* m_content;
};
