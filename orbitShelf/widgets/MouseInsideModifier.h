#pragma once

#include <QObject>

#include <functional>
#include <optional>

class QWidget;

// Reports the pointer entering (true) and leaving (false) a widget. Part of
// the shell's toolkit; nothing in the program installs one.
class MouseInsideModifier final {
public:
    // The object that hears the widget's events. Without a callback it does
    // nothing.
    class Coordinator final : public QObject {
    public:
        explicit Coordinator(QObject* parent = nullptr);
        std::optional<std::function<void(bool)>> mouseIsInside;

    protected:
        bool eventFilter(QObject* watched, QEvent* event) override;
    };

    // A coordinator owned by `view`, reporting to `onChange`.
    static Coordinator* install(QWidget* view, std::function<void(bool)> onChange);
};
