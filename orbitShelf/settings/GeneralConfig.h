#pragma once

// The settings window's content: six tabs, each with its own page, starting
// on "General" whenever it is made.

#include <QString>
#include <QTabWidget>

#include <functional>
#include <vector>

class QWidget;

struct SettingsTab {
    QString title; // shown through tr()
    QString iconName; // freedesktop icon-theme name
    int leadingMargin; // points between the tab's edge and its page
    std::function<QWidget*()> makePage;
};
// The tabs, in order.
const std::vector<SettingsTab>& settingsTabs();

class GeneralConfig final : public QTabWidget {
    Q_OBJECT
public:
    explicit GeneralConfig(QWidget* parent = nullptr);

    // Logs where the tabs stand (debug on "orbitshelf.settings"), once laid
    // out; the end-to-end tests click there.
    void logTabPlaces();

protected:
    void showEvent(QShowEvent* event) override;
};
