#pragma once

#include <QMap>
#include <QPointF>
#include <QRectF>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class ActiveApp;
class Windows;

// The state one dock keeps for its screen, apart from its widget. The bar
// views read and write it; the widget paints from it.
class DockViewState final {
public:
    DockViewState(bool enableListener, double screenWidth, double screenHeight, QString screenID,
        bool settingPopup = false, bool generalConfigWindow = false, bool pluginPopup = false,
        QString currentPlugin = {}, bool showFirst = false, bool showTagEditor = false);

    // Inputs, fixed for the dock's life.
    const bool enableListener;
    const double screenWidth;
    const double screenHeight;
    const QString screenID;

    // Kept by the bar views.
    QSet<qint32> openApps;
    QSet<qint32> bouncingWindows;
    std::shared_ptr<Windows> hoveredWindow; // null: no window under the pointer
    std::shared_ptr<Windows> currentWindow; // null: no tag being edited
    QMap<qint32, bool> stackLayoutApp;
    QMap<qint32, QRectF> appIconFrames;
    bool settingPopup;
    bool generalConfigWindow;
    bool pluginPopup;
    QString currentPlugin;
    // The current tool's tile on screen when it was clicked; empty when
    // the tool was opened elsewhere.
    QRectF currentPluginFrame;
    bool showFirst;
    bool showTagEditor;
    double width = 0;
    double height = 0;
    int windowsCount = 0;
    QString buttonTag = QStringLiteral("Work");
    bool isHovering = false;
    bool isAnimatingHover = false;
    QPointF mouseLocation;
    bool isFirstTime = true;
    std::shared_ptr<ActiveApp> draggedApp;
};

// Walks the hot keys in order and leaves in slot the last one bound to the
// window number; slot keeps its value when none is.
void findWindowKeyForHotkey(const QStringList& keys, quint32 windowNumber,
    const QMap<QString, QString>& windowHotkeyCache, QString& slot);

// Whether the data refresh registers the tool hot keys: only the listening
// dock does, and only with the clipboard tool installed. Nameless records are
// skipped.
bool needsToolHotKeys(bool enableListener, const std::vector<std::optional<QString>>& installedPluginNames);
