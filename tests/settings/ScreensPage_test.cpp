// The "Screens" page's cards and the calibration dialog's numbers.
#include "settings/ScreenCalibrationPage.h"
#include "settings/ScreensView.h"

#include "state/AppState.h"
#include "state/UserDefaults.h"
#include "tests/support/TempStores.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

const ScreenDescription second { QStringLiteral("DUMMY1"), QStringLiteral("Optional(AB-12)"),
    QRect(1400, 0, 1920, 1080), QRect(1400, 0, 1920, 1040) };

class ScreensPage : public ::testing::Test {
protected:
    TempUserDefaults defaults;
};

} // namespace

TEST_F(ScreensPage, CardShowsSizesAndTheVisibleSizeUntilCalibrated)
{
    ScreenCard card = screenCard(second);
    EXPECT_EQ(card.name, QStringLiteral("DUMMY1"));
    EXPECT_EQ(card.identifier, QStringLiteral("AB-12"));
    EXPECT_EQ(card.frameLine, QStringLiteral("W:1920   H: 1080 "));
    EXPECT_EQ(card.visibleLine, QStringLiteral("Visible W:1920   H: 1040 "));
    EXPECT_EQ(card.calibrationLine, QStringLiteral("Calibration W:1920 H: 1040 "));

    CustomSettings().setSpaceWidth({ { "Optional(AB-12)", "1440" } });
    CustomSettings().setSpaceHeight({ { "Optional(AB-12)", "900" } });
    EXPECT_EQ(screenCard(second).calibrationLine, QStringLiteral("Calibration W:1440 H: 900 "));
    EXPECT_EQ(screenCard({ {}, QStringLiteral("nil"), {}, {} }).identifier, QStringLiteral("nil"));
}

TEST_F(ScreensPage, FieldsTakeWholeNumbersWithinTheScreenInTheLocalesFormat)
{
    CalibrationDraft draft(second, QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(draft.widthText(), QStringLiteral("1,920"));
    const struct {
        const char* text;
        int kept;
        bool refused;
    } rows[] = {
        { "1,440", 1440, false },
        { "1440", 1440, false },
        { "abc", 1440, true },
        { "0", 1440, true },
        { "-5", 1440, true },
        { "1,921", 1440, true }, // wider than the screen
        { "1", 1, false },
        { "", 1, true },
        { "1,920", 1920, false },
    };
    for (const auto& row : rows) {
        const CalibrationEdit edit = draft.editWidth(QString::fromUtf8(row.text));
        EXPECT_EQ(edit.value, row.kept) << row.text;
        EXPECT_EQ(draft.width(), row.kept) << row.text;
        EXPECT_EQ(!edit.refusal.isEmpty(), row.refused) << row.text;
    }
    EXPECT_TRUE(draft.editHeight(QStringLiteral("1,081")).refusal.contains(QStringLiteral("1,080")));
    EXPECT_EQ(draft.height(), 1040);
}

TEST_F(ScreensPage, SaveWritesPlainNumbersUnderTheScreensKeyAndKeepsOtherScreens)
{
    CustomSettings().setSpaceWidth({ { "Optional(OTHER)", "800" } });
    CustomSettings().setSpaceHeight({ { "Optional(OTHER)", "600" }, { "Optional(AB-12)", "1" } });
    CalibrationDraft draft(second, QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(draft.height(), 1) << "starts from the stored calibration";
    draft.editWidth(QStringLiteral("1,440"));
    draft.editHeight(QStringLiteral("900"));
    draft.save();
    EXPECT_EQ(UserDefaults::value(QStringLiteral("spaceWidth")).toString(),
        QStringLiteral(R"j({"Optional(AB-12)":"1440","Optional(OTHER)":"800"})j"));
    EXPECT_EQ(CustomSettings().spaceHeight(),
        StringMap({ { "Optional(OTHER)", "600" }, { "Optional(AB-12)", "900" } }));
}

TEST_F(ScreensPage, DialogCloseStoresNothingAndAGoneScreenIsSaidSo)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    {
        CalibrationDialog dialog(screen);
        dialog.widthField()->setText(QStringLiteral("7"));
        dialog.widthField()->setModified(true);
        dialog.findChild<QPushButton*>(QStringLiteral("close"))->click();
        EXPECT_TRUE(CustomSettings().spaceWidth().isEmpty());
    }
    {
        CalibrationDialog dialog(screen);
        dialog.widthField()->setText(QStringLiteral("-5"));
        dialog.widthField()->setModified(true);
        dialog.save();
        EXPECT_TRUE(CustomSettings().spaceWidth().isEmpty()) << "a refused number is not saved";
        EXPECT_FALSE(dialog.message().isEmpty());
        EXPECT_EQ(dialog.widthField()->text(), QLocale().toString(screen->availableGeometry().width()));
        dialog.save();
        EXPECT_EQ(CustomSettings().spaceWidth().size(), 1) << "the field's old value, once it shows again";
    }
    CustomSettings().setSpaceWidth({});
    CalibrationDialog gone(nullptr);
    gone.save();
    EXPECT_TRUE(CustomSettings().spaceWidth().isEmpty());
    EXPECT_TRUE(gone.message().contains(QStringLiteral("no longer connected")));
}

TEST_F(ScreensPage, OneDialogAtATimeAndASaveRedrawsTheCards)
{
    ScreensView view;
    view.show();
    QScreen* screen = QGuiApplication::primaryScreen();
    view.openCalibration(screen);
    CalibrationDialog* dialog = view.dialog();
    ASSERT_TRUE(dialog);
    view.openCalibration(screen);
    EXPECT_EQ(view.dialog(), dialog);
    dialog->widthField()->setText(QStringLiteral("100"));
    dialog->widthField()->setModified(true);
    dialog->save();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(view.dialog());
    bool shown = false;
    for (QLabel* label : view.findChildren<QLabel*>())
        shown = shown || label->text().startsWith(QStringLiteral("Calibration W:100 "));
    EXPECT_TRUE(shown);
}
