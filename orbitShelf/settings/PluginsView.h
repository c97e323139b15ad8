#pragma once

// The "Plugins" settings page: the five built-in tools in a grid, the
// selected one beside it with its install button, pin switch and, for the
// folder browser, "Replace Finder". The rules are PluginsController's.

#include <QWidget>

class AppState;
class PersistenceController;
class PluginsController;
class QCheckBox;
class QLabel;
class QPushButton;
class QWidget;

class PluginsView final : public QWidget {
    Q_OBJECT
public:
    // Over the shared state and the program's store.
    explicit PluginsView(QWidget* parent = nullptr);
    PluginsView(AppState& state, PersistenceController& store, QWidget* parent = nullptr);

    PluginsController& controller() { return *m_controller; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build();
    // Redraws the detail pane from the controller.
    void refresh();
    void logPlaces();

    PluginsController* m_controller;
    QLabel* m_icon = nullptr;
    QLabel* m_name = nullptr;
    QPushButton* m_install = nullptr;
    QLabel* m_waiting = nullptr;
    QCheckBox* m_pin = nullptr;
    QWidget* m_replaceFinderRow = nullptr;
    QCheckBox* m_replaceFinder = nullptr;
    QLabel* m_keyRefused = nullptr;
    QList<QWidget*> m_cells;
};

// The page, or a note that says why there is none (no store open).
QWidget* makePluginsPage();
