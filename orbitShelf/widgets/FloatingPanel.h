#pragma once

#include <QWidget>

#include <functional>

// A frameless panel that floats above other windows, hosts one view, can be
// dragged by its background and closes itself once it stops being the
// active window. Every close, by its owner, the user or the loss of
// activation, reports false through setPresented, so the owner's flag always
// follows the panel.
class FloatingPanel final : public QWidget {
    Q_OBJECT
public:
    FloatingPanel(QWidget* content, const QRect& contentRect, std::function<void(bool)> setPresented);

    // The panel that hosts `view`, or null for a view elsewhere.
    static FloatingPanel* floatingPanel(const QWidget* view);

    QWidget* content() const { return m_content; }

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QWidget* m_content;
    std::function<void(bool)> m_setPresented;
};
