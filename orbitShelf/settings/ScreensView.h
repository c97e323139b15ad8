#pragma once

// The "Screens" settings page: a card per connected screen with its sizes
// and a "Calibration" button, and the dialog that stores a screen's usable
// width and height.

#include "settings/ScreenCalibrationPage.h"

#include <QDialog>
#include <QPointer>
#include <QWidget>

class QGridLayout;
class QLabel;
class QLineEdit;
class QScreen;

class CalibrationDialog final : public QDialog {
    Q_OBJECT
public:
    // Works on `screen` for as long as it is connected.
    explicit CalibrationDialog(QScreen* screen, QWidget* parent = nullptr);

    QLineEdit* widthField() const { return m_width; }
    QLineEdit* heightField() const { return m_height; }
    QString message() const;
    // "Save": stores both numbers and closes; with the screen gone, stores
    // nothing and says so. After a refused edit the first "Save" only shows
    // why (the field is back at its old value), the next one stores.
    void save();

signals:
    void saved();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void commit(QLineEdit* field);

    QPointer<QScreen> m_screen;
    CalibrationDraft m_draft;
    QLineEdit* m_width;
    QLineEdit* m_height;
    QLabel* m_message;
    bool m_refusedSinceSave = false;
};

class ScreensView final : public QWidget {
    Q_OBJECT
public:
    explicit ScreensView(QWidget* parent = nullptr);

    // The dialog open now, if any.
    CalibrationDialog* dialog() const { return m_dialog; }
    void openCalibration(QScreen* screen);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The cards again, from the screens connected now.
    void rebuild();
    void logPlaces();

    QGridLayout* m_grid;
    // What the cards show now; the state's frequent change notices redraw
    // them only when this changes.
    std::vector<ScreenCard> m_shown;
    QPointer<CalibrationDialog> m_dialog;
};
