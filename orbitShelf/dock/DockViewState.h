#pragma once

#include <QMap>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class Windows;

// The state one dock keeps for its screen, apart from its widget. The bar
// views read and write it; the widget paints from it.
class DockViewState final {
public:
    DockViewState(bool enableListener, double screenWidth, double screenHeight, QString screenID);

    // Inputs, fixed for the dock's life.
    const bool enableListener;
    const double screenWidth;
    const double screenHeight;
    const QString screenID;

    // Kept by the bar views.
    std::shared_ptr<Windows> hoveredWindow; // null: no window under the pointer
    QMap<qint32, bool> stackLayoutApp;
    // The current tool's tile on screen when it was clicked; empty when
    // the tool was opened elsewhere.
    QRectF currentPluginFrame;
    bool showTagEditor = false;

    // Lets a step queued for this dock (the tag editor's) tell whether the
    // dock is still there when it runs: a rebuild of the dock windows
    // (screens, wake) drops the state it would reach.
    std::weak_ptr<const void> lifetime() const { return m_lifetime; }

private:
    std::shared_ptr<const void> m_lifetime = std::make_shared<int>(0);
};

// Walks the hot keys in order and leaves in slot the last one bound to the
// window number; slot keeps its value when none is.
void findWindowKeyForHotkey(const QStringList& keys, quint32 windowNumber,
    const QMap<QString, QString>& windowHotkeyCache, QString& slot);

// Whether the data refresh registers the tool hot keys: only the listening
// dock does, and only with the clipboard tool installed. Nameless records are
// skipped.
bool needsToolHotKeys(bool enableListener, const std::vector<std::optional<QString>>& installedPluginNames);
