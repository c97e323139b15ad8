#pragma once

// The rules of the "Screens" settings page and its calibration dialog, over
// plain screen descriptions so that no QScreen is needed to test them.

#include <QLocale>
#include <QRect>
#include <QString>

#include <optional>
#include <vector>

class QScreen;

// One connected screen as the page shows it.
struct ScreenDescription {
    QString name;
    QString key; // "Optional(<id>)" or "nil", the per-screen settings' key
    QRect frame;
    QRect visibleFrame;
};
ScreenDescription describeScreen(const QScreen* screen);
// Every connected screen, in the desktop's order.
std::vector<ScreenDescription> connectedScreens();

// The texts of one card, as shown.
struct ScreenCard {
    QString name;
    QString identifier; // the key without "Optional", "(" and ")"
    QString frameLine; // "W:1920   H: 1080 "
    QString visibleLine;
    QString calibrationLine; // the stored calibration, else the visible size
    bool operator==(const ScreenCard&) const = default;
};
ScreenCard screenCard(const ScreenDescription& screen);

// What an edit of a field of the dialog came to.
struct CalibrationEdit {
    int value; // the accepted number, or the value kept
    QString refusal; // why the text was not taken; empty when it was
};

// The dialog's two numbers for one screen, from the stored calibration (or
// the visible size) until "Save" writes them.
class CalibrationDraft final {
public:
    explicit CalibrationDraft(const ScreenDescription& screen, const QLocale& locale = QLocale());

    int width() const { return m_width; }
    int height() const { return m_height; }
    // The numbers as the fields show them ("1,440" in English).
    QString widthText() const { return m_locale.toString(m_width); }
    QString heightText() const { return m_locale.toString(m_height); }

    // A committed field: a whole number from 1 to the screen's frame size in
    // the locale's format is taken; anything else keeps the old value.
    CalibrationEdit editWidth(const QString& text);
    CalibrationEdit editHeight(const QString& text);

    // Writes both numbers under the screen's key, keeping other screens'.
    void save() const;

private:
    CalibrationEdit edit(const QString& text, int& value, int limit) const;

    QString m_key;
    QSize m_frameSize;
    QLocale m_locale;
    int m_width = 0;
    int m_height = 0;
};
