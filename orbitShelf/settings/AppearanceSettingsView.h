#pragma once

#include "settings/AppearancePage.h"

#include <QScrollArea>

#include <functional>
#include <memory>
#include <optional>

class PictureTile;
class QLineEdit;
class QSlider;
class QLabel;

// The "Themes" page: the sections of AppearancePage as controls, top to
// bottom. What each control stores, and when, is AppearancePage's; this
// class only lays them out and routes their signals.
class AppearanceSettingsView final : public QScrollArea {
    Q_OBJECT
public:
    // Without services, the program's own (standardAppearanceServices over
    // this view).
    explicit AppearanceSettingsView(
        std::optional<AppearanceServices> services = std::nullopt, QWidget* parent = nullptr);
    ~AppearanceSettingsView() override;

    AppearancePage& page() { return *m_page; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* stackSection();
    QWidget* styleSection();
    QWidget* themeSection();
    struct HeightControls {
        QSlider* slider = nullptr;
        QWidget* box = nullptr;
        QLabel* note = nullptr;
        QString prefix;
        int step = 1;
        double* value = nullptr;
    };
    QWidget* heightSection(const QString& prefix, int minimum, int maximum, int step, double& value,
        void (AppearancePage::*apply)(), HeightControls& controls);
    QWidget* colorRow(ColorRow row);
    QWidget* dockIconSection();
    // After a height was stored: both sliders and titles show what holds, and
    // the stored section's note says when the other height was changed.
    void showHeights(HeightControls& stored);
    // The stored theme and dock icon are the marked tiles.
    void markChoices();

    std::unique_ptr<AppearancePage> m_page;
    HeightControls m_dockHeight;
    HeightControls m_iconHeight;
    std::vector<std::pair<PictureTile*, QString>> m_themeTiles;
    std::vector<std::pair<PictureTile*, QString>> m_iconTiles;
    PictureTile* m_uploadedTile = nullptr;
    std::vector<std::function<void()>> m_onFirstShow;
    bool m_shown = false;
};

// A rounded 40×20 colour swatch at opacity 0.65; clickable when given an action.
class ColorSwatch final : public QWidget {
    Q_OBJECT
public:
    explicit ColorSwatch(uint32_t rgb, std::function<void()> onClick = {}, QWidget* parent = nullptr);
    void setRgb(uint32_t rgb);
    uint32_t rgb() const { return m_rgb; }
    QSize sizeHint() const override { return { 40, 20 }; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    uint32_t m_rgb;
    std::function<void()> m_onClick;
};

// A picture tile (60×60 icons, 40 high themes): rounded corners of 10 over
// a soft shadow, running `onClick` on a click.
class PictureTile final : public QWidget {
    Q_OBJECT
public:
    PictureTile(QImage image, QSize size, std::function<void()> onClick, QWidget* parent = nullptr);
    void setImage(QImage image);
    // The current choice carries a ring in the highlight colour.
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }
    QSize sizeHint() const override { return m_size; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage m_image;
    QSize m_size;
    std::function<void()> m_onClick;
    bool m_selected = false;
};
