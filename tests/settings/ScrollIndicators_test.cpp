// The settings pages' scroll indicators, drawn offscreen: the thumb is what
// stands out from its track, and it stands where the page is scrolled to.
#include "settings/GeneralConfig.h"

#include "state/Persistence.h"
#include "tests/support/TempStores.h"

#include <QImage>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

QRect thumbOf(const QScrollBar* bar)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.pageStep = bar->pageStep();
    option.singleStep = bar->singleStep();
    option.upsideDown = bar->invertedAppearance();
    option.subControls = QStyle::SC_All;
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar);
}

// The rows of the bar, as the page shows it, drawn darker than the track
// beside the thumb: first and last, or nothing.
std::optional<std::pair<int, int>> darkerRows(QWidget* page, const QScrollBar* bar)
{
    const QImage shown = page->grab(QRect(bar->mapTo(page, QPoint(0, 0)), bar->size())).toImage();
    const int x = shown.width() / 2;
    int track = 0;
    for (int y = 0; y < shown.height(); ++y)
        track = std::max(track, qGray(shown.pixel(x, y)));
    std::optional<std::pair<int, int>> rows;
    for (int y = 0; y < shown.height(); ++y) {
        if (qGray(shown.pixel(x, y)) > track - 24)
            continue;
        if (!rows)
            rows = std::pair { y, y };
        rows->second = y;
    }
    return rows;
}

} // namespace

TEST(ScrollIndicators, ASettingsPageShowsItsThumbWhereThePageIsScrolledToAtTopMiddleAndEnd)
{
    TempUserDefaults defaults;
    if (!PersistenceController::hasShared()) {
        ASSERT_FALSE(PersistenceController::openShared());
    }
    GeneralConfig config;
    // Short enough that the General and Themes pages scroll.
    config.resize(780, 420);
    config.show();
    for (const int tab : { 0, 1 }) {
        config.setCurrentIndex(tab);
        QWidget* page = config.widget(tab);
        auto* area = page->findChild<QScrollArea*>();
        ASSERT_NE(area, nullptr);
        QScrollBar* bar = area->verticalScrollBar();
        ASSERT_GT(bar->maximum(), 0) << config.tabText(tab).toStdString() << " does not scroll";
        SCOPED_TRACE(config.tabText(tab).toStdString());
        EXPECT_EQ(bar->value(), 0) << "the page opens at its top";

        for (const int value : { 0, bar->maximum() / 2, bar->maximum() }) {
            SCOPED_TRACE(value);
            bar->setValue(value);
            const QRect thumb = thumbOf(bar);
            ASSERT_TRUE(thumb.isValid());
            if (value == 0)
                EXPECT_LE(thumb.top(), 2);
            else if (value == bar->maximum())
                EXPECT_GE(thumb.bottom(), bar->height() - 3);
            else
                EXPECT_NEAR(thumb.center().y(), bar->height() / 2, 2);
            const std::optional<std::pair<int, int>> rows = darkerRows(page, bar);
            ASSERT_TRUE(rows) << "no thumb stands out from the track";
            // The rounded corners are lighter at the thumb's very ends.
            EXPECT_NEAR(rows->first, thumb.top(), 3) << "what stands out is the thumb";
            EXPECT_NEAR(rows->second, thumb.bottom(), 3);
        }
        bar->setValue(0);
    }
}
