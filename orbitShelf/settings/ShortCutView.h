#pragma once

// The "Shortcut" settings page: which modifier goes with Tab, P, H and W,
// or none. A choice is stored and applied at once.

#include <QWidget>

class ShortCutView final : public QWidget {
    Q_OBJECT
public:
    explicit ShortCutView(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void logChoices();
};
