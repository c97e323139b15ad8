#pragma once

#include <QPushButton>

#include <functional>

// A "Select File" button that lets the user pick one PNG or JPEG image and
// hands its path to onPick; a cancelled dialog does nothing.
class FileView final : public QPushButton {
    Q_OBJECT
public:
    explicit FileView(std::function<void(const QString&)> onPick, QWidget* parent = nullptr);

private:
    void openPicker();

    std::function<void(const QString&)> m_onPick;
};
