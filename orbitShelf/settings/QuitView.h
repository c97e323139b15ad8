#pragma once

#include "settings/QuitForm.h"

#include <QWidget>

#include <optional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The quit window's content: why the user leaves, an e-mail field, the
// feedback text and one button. QuitForm holds the state and the action.
class QuitView final : public QWidget {
    Q_OBJECT
public:
    // Without services, the program's own (standardQuitServices over this
    // view). An empty contact address or chat link hides its line.
    explicit QuitView(std::optional<QuitServices> services = std::nullopt, QString contactEmail = {},
        QString chatLink = {}, QWidget* parent = nullptr);

    QuitForm& form() { return m_form; }

private:
    void refresh();

    QuitForm m_form;
    QLineEdit* m_email = nullptr;
    QPlainTextEdit* m_editor = nullptr;
    QComboBox* m_reasons = nullptr;
    QPushButton* m_quit = nullptr;
};
