#pragma once

#include <QImage>
#include <QLocale>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AppState;

// What the appearance page needs from outside: usage reports, questions and
// alerts, the relaunch and where uploaded icons go. Tests script them.
struct AppearanceServices {
    std::function<void(const QString& feature)> trackFeature;
    // A question with the buttons in order. It returns at once; `answered`
    // runs later with the index of the button taken, -1 when the question
    // was dismissed.
    std::function<void(const QString& message, const QStringList& buttons, std::function<void(int)> answered)>
        ask;
    std::function<void(const QString& message, const QString& informative)> alert;
    std::function<bool()> relaunch;
    std::function<std::optional<QUrl>(const QString& fileName)> supportFile;
    std::function<QString(int length)> randomName;
};
class QWidget;
// The program's own: the web client, message boxes (a question modal to
// `owner`'s window alone), the shell's relaunch hook and the support folder.
AppearanceServices standardAppearanceServices(QWidget* owner = nullptr);

// The four colour rows, in the order the page shows them.
enum class ColorRow { openIndicator, previousIndicator, dock, dockTitle };

struct ColorRowSpec {
    ColorRow row;
    QString group; // the group box's title; empty for the indicator rows
    QString label;
    int fieldWidth;
    QString settingKey;
    uint32_t fallback; // what the row's swatch shows for a text that does not parse
    bool titlePalette; // defaultTitleColors instead of defaultColors
};
const std::vector<ColorRowSpec>& colorRowSpecs();
const ColorRowSpec& colorRowSpec(ColorRow row);

// The themes the page offers, in order: the picture and the stored value.
struct ButtonThemeChoice {
    QString picture;
    QString theme;
};
const std::vector<ButtonThemeChoice>& buttonThemeChoices();

// "[ Dock Height  ] : 50": the label with the height's whole part.
QString heightLabel(const QString& prefix, double height);

// The "Themes" page's state and every change it makes. Each field is read
// from the settings once, when the page is made; every apply is one write to
// the user defaults and, where the page says so, one publish of `state`
// (stamp and change notice) so the bars redraw at once.
class AppearancePage final {
public:
    AppearancePage(AppState& state, AppearanceServices services);

    static const QStringList& defaultColors();
    static const QStringList& defaultTitleColors();

    double height;
    double iconHeight;
    QString bgColor;
    QString titleColor;
    QString openIndicatorColor;
    QString previousIndicatorColor;
    int stackMode;
    bool fullscreenDock;
    QString uploadedUrl;
    double windowWidth = 600;

    // The page text of a colour row (bgColor for the dock row, …).
    QString& colorText(ColorRow row);
    QStringList palette(ColorRow row) const;
    // The colour of the row's stored setting, as its swatch shows it.
    uint32_t swatchRgb(ColorRow row) const;

    void applyFullScreenDock(bool on);
    // Each stores its height, and the other one too where the icon would no
    // longer fit the dock: a lower dock lowers the icon height, a taller
    // icon raises the dock height. fitNote then says so, else it is empty.
    void applyDockHeight();
    void applyIconHeight();
    QString fitNote;
    // Stores a colour text exactly as given and publishes. A text that is
    // not a colour (see isColorText) stores nothing, keeps the row's previous
    // text and gives false.
    bool applyColorText(ColorRow row, const QString& text);
    // Why `text` was not taken, shown under the row.
    static QString notAColorMessage(const QString& text);
    // The stack row's commit: a text that reads as a whole number in
    // `locale` (its grouping allowed) becomes the limit, below 2 stored as 2;
    // other text, or the limit it already holds, stores nothing. True when
    // it stored.
    bool commitStackText(const QString& text, const QLocale& locale);

    // Reports the choice, asks whether to restart; on "oK" stores the theme
    // (not published: the new process draws it) and relaunches. A failed
    // relaunch leaves this process running with the theme stored. `answered`
    // runs once the answer is handled; an answer that comes after the page
    // is gone changes nothing.
    void applyButtonTheme(const QString& theme, std::function<void()> answered = {});

    void selectBuiltinDockIcon(const QString& name);
    void selectUploadedDockIcon();
    // Copies the picked image as a 128×128 PNG with a random 16-character
    // name into the support folder and makes it the dock icon. An unreadable
    // image, a missing folder or a failed write is answered with an alert and
    // changes nothing. True when the icon was set.
    bool uploadCustomDockIcon(const QString& path);
    // The uploaded tile's picture: the stored file, else "Finder".
    QImage uploadedTileImage(const QSize& size) const;

private:
    void publish();

    AppState& m_state;
    AppearanceServices m_services;
    // Expires with the page: a question's answer may come later.
    std::shared_ptr<void> m_alive = std::make_shared<int>(0);
};
