#pragma once

#include <QRect>
#include <QWidget>

// The window class of the shell's own windows (settings, quit, toast, the
// switcher). It always accepts keyboard focus, borderless or not, so these
// windows can hold text fields.
class CustomWindow : public QWidget {
    Q_OBJECT
public:
    // The style bits the window code passes, with the values the rest of the
    // code uses for them.
    enum StyleMask : unsigned {
        Borderless = 0,
        Titled = 1,
        Closable = 2,
        Miniaturizable = 4,
        Resizable = 8,
        FullSizeContentView = 32768,
    };

    CustomWindow(const QRect& contentRect, unsigned styleMask, QWidget* parent = nullptr);

    bool canBecomeKeyWindow() const { return true; }
    bool acceptsFirstResponder() const { return true; }

    unsigned styleMask() const { return m_styleMask; }

    // Window flags for a style mask: no title bit means no decorations.
    static Qt::WindowFlags windowFlagsFor(unsigned styleMask);

private:
    unsigned m_styleMask;
};
