// The pages as a user drives them, offscreen: which control stores what,
// how often the bar is told, and what the swatches and buttons show.
#include "settings/AppearanceSettingsView.h"
#include "settings/QuitView.h"
#include "settings/SettingsHooks.h"

#include "state/AppState.h"
#include "state/UserDefaults.h"
#include "tests/support/ChangeCounter.h"
#include "tests/support/TempStores.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSlider>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

void click(QWidget* widget)
{
    const QPointF centre = QRectF(widget->rect()).center();
    QMouseEvent press(QEvent::MouseButtonPress, centre, widget->mapToGlobal(centre), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, widget->mapToGlobal(centre), Qt::LeftButton,
        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QCoreApplication::sendEvent(widget, &release);
}

void typeAndReturn(QLineEdit* field, const QString& text)
{
    field->setFocus();
    field->setText(text);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(field, &key);
}

class SettingsViews : public ::testing::Test {
protected:
    TempUserDefaults defaults;
    AppState& state = AppState::shared();
};

} // namespace

TEST_F(SettingsViews, OpeningThePagePublishesOncePerColourRowAndStoresNoLimit)
{
    AppearanceSettingsView view(AppearanceServices {});
    ChangeCounter changes(state);
    view.resize(700, 900);
    view.show();
    EXPECT_EQ(changes.count, 4);
    EXPECT_EQ(UserDefaults::value(QStringLiteral("dockColor")).toString(), QStringLiteral("00cec9"));
    EXPECT_FALSE(UserDefaults::value(QStringLiteral("stackAppLimit")).isValid());
}

TEST_F(SettingsViews, DockHeightDragStoresAtPressAndRelease)
{
    AppearanceSettingsView view(AppearanceServices {});
    view.show();
    auto* slider = view.findChild<QSlider*>(QStringLiteral("dockHeight"));
    ASSERT_TRUE(slider);
    std::vector<double> published;
    const auto connection = QObject::connect(
        &state, &AppState::changed, [&] { published.push_back(state.settings.dockBackgroundHeight()); });
    slider->setSliderDown(true);
    for (int v = 26; v <= 40; ++v)
        slider->setValue(v);
    slider->setSliderDown(false);
    QObject::disconnect(connection);
    EXPECT_EQ(published, (std::vector<double> { 50, 80 }));
    EXPECT_EQ(view.page().height, 80);

    slider->setValue(41); // a key: no press
    EXPECT_EQ(state.settings.dockBackgroundHeight(), 82);
    // The wheel over a slider without focus scrolls the page instead.
    const QPointF at = QRectF(slider->rect()).center();
    QWheelEvent wheel(at, slider->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
        Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(slider, &wheel);
    EXPECT_EQ(slider->value(), 41);
}

TEST_F(SettingsViews, PaletteTileFillsTheFieldAndStoresOnce)
{
    AppearanceSettingsView view(AppearanceServices {});
    view.show();
    auto* field = view.findChild<QLineEdit*>(QStringLiteral("dockColor"));
    auto* tile = view.findChild<ColorSwatch*>(QStringLiteral("dockColor-6c5ce7"));
    auto* swatch = view.findChild<ColorSwatch*>(QStringLiteral("dockColorSwatch"));
    ASSERT_TRUE(field && tile && swatch);
    ChangeCounter changes(state);
    click(tile);
    EXPECT_EQ(state.settings.dockColor(), QStringLiteral("6c5ce7"));
    EXPECT_EQ(field->text(), QStringLiteral("6c5ce7"));
    EXPECT_EQ(changes.count, 1);
    QImage shot(swatch->size(), QImage::Format_ARGB32);
    shot.fill(Qt::transparent);
    swatch->render(&shot, QPoint(), QRegion(), QWidget::RenderFlags());
    EXPECT_EQ(shot.pixelColor(20, 10), QColor(0x6c5ce7)) << "previewed opaque, as the bar paints it";
}

TEST_F(SettingsViews, AColourFieldKeepsThePreviousColourAndSaysWhy)
{
    AppearanceSettingsView view(AppearanceServices {});
    view.show();
    auto* field = view.findChild<QLineEdit*>(QStringLiteral("dockColor"));
    auto* why = view.findChild<QLabel*>(QStringLiteral("dockColorError"));
    ASSERT_TRUE(field && why);
    field->setText(QStringLiteral("00cec9"));
    EXPECT_EQ(state.settings.dockColor(), QStringLiteral("00cec9"));
    EXPECT_FALSE(why->isVisible());
    ChangeCounter changes(state);
    field->setText(QStringLiteral("zzq"));
    EXPECT_EQ(state.settings.dockColor(), QStringLiteral("00cec9"));
    EXPECT_EQ(changes.count, 0);
    EXPECT_TRUE(why->isVisible());
    EXPECT_TRUE(why->text().contains(QStringLiteral("\"zzq\" is not a colour"))) << why->text().toStdString();
    emit field->editingFinished();
    EXPECT_EQ(field->text(), QStringLiteral("00cec9")) << "the field shows what holds";
    EXPECT_TRUE(why->isVisible()) << "the reason stays until a colour is typed";
    field->setText(QStringLiteral("ff7675"));
    EXPECT_FALSE(why->isVisible());
    EXPECT_EQ(state.settings.dockColor(), QStringLiteral("ff7675"));
}

TEST_F(SettingsViews, StackFieldCommitsOnReturn)
{
    AppearanceSettingsView view(AppearanceServices {});
    view.show();
    auto* field = view.findChild<QLineEdit*>(QStringLiteral("stackMode"));
    ASSERT_TRUE(field);
    typeAndReturn(field, QStringLiteral("12"));
    EXPECT_EQ(state.settings.stackAppLimit(), 12);
    typeAndReturn(field, QStringLiteral("many"));
    EXPECT_EQ(state.settings.stackAppLimit(), 12);
    EXPECT_EQ(field->text(), QLocale().toString(12)) << "the field shows what holds";
}

TEST_F(SettingsViews, QuitButtonFollowsTheTextAndDisablesOnPress)
{
    int quits = 0;
    QuitServices services;
    services.sendFeedback = [](const QString&, const QString&, const QString&,
                                std::function<void(bool, const QString&)> done) { done(true, QString()); };
    services.quit = [&] { ++quits; };
    QuitView view(services);
    auto* button = view.findChild<QPushButton*>(QStringLiteral("quit"));
    auto* editor = view.findChild<QPlainTextEdit*>(QStringLiteral("content"));
    ASSERT_TRUE(button && editor);
    EXPECT_FALSE(view.findChild<QLabel*>(QStringLiteral("noServiceNotice")));
    EXPECT_EQ(button->text(), QStringLiteral("Quit OrbitShelf And Send Feedback"));
    editor->clear();
    EXPECT_EQ(button->text(), QStringLiteral("Quit OrbitShelf"));
    button->click();
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(quits, 1);
}

TEST_F(SettingsViews, QuitWithoutAServiceSaysSoAndQuitsWithoutAnAlert)
{
    int quits = 0;
    int alerts = 0;
    QuitServices services;
    services.quit = [&] { ++quits; };
    services.alert = [&](const QString&, const QString&, std::function<void()>) { ++alerts; };
    QuitView view(services);
    auto* button = view.findChild<QPushButton*>(QStringLiteral("quit"));
    auto* editor = view.findChild<QPlainTextEdit*>(QStringLiteral("content"));
    auto* notice = view.findChild<QLabel*>(QStringLiteral("noServiceNotice"));
    auto* reasons = view.findChild<QComboBox*>(QStringLiteral("reason"));
    ASSERT_TRUE(button && editor && notice && reasons);
    EXPECT_EQ(notice->text(),
        QStringLiteral("Feedback cannot be sent: no web service is configured for this build."));
    EXPECT_TRUE(editor->toPlainText().isEmpty());
    EXPECT_FALSE(editor->isEnabled());
    EXPECT_EQ(button->text(), QStringLiteral("Quit OrbitShelf"));
    reasons->setCurrentIndex(0);
    EXPECT_TRUE(editor->toPlainText().isEmpty()) << "a reason does not fill a box nothing sends";
    EXPECT_EQ(button->text(), QStringLiteral("Quit OrbitShelf"));
    button->click();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(alerts, 0);
}

TEST_F(SettingsViews, LoweringTheDockBelowTheIconMovesTheIconSliderAndSaysSo)
{
    state.settings.setDockBackgroundHeight(80);
    state.appIcon.setHeight(60);
    AppearanceSettingsView view(AppearanceServices {});
    view.show();
    auto* dock = view.findChild<QSlider*>(QStringLiteral("dockHeight"));
    auto* icon = view.findChild<QSlider*>(QStringLiteral("iconHeight"));
    auto* note = view.findChild<QLabel*>(QStringLiteral("dockHeightNote"));
    ASSERT_TRUE(dock && icon && note);
    EXPECT_TRUE(note->isHidden());
    dock->setValue(20); // 40, by key
    EXPECT_EQ(state.appIcon.height(), 40);
    EXPECT_EQ(icon->value(), 40);
    EXPECT_FALSE(note->isHidden());
    EXPECT_EQ(note->text(), QStringLiteral("Icon Height lowered to 40 to fit a dock of 40."));
    dock->setValue(30); // 60: the icon fits, nothing more to say
    EXPECT_EQ(state.appIcon.height(), 40);
    EXPECT_TRUE(note->isHidden());
}

TEST_F(SettingsViews, TheStoredThemeAndDockIconAreMarked)
{
    AppearanceSettingsView view(AppearanceServices {});
    const auto marked = [&view](const char* name) {
        auto* tile = view.findChild<PictureTile*>(QString::fromLatin1(name));
        return tile && tile->isSelected();
    };
    EXPECT_TRUE(marked("ButtonTheme-2")) << "bigIcon, the default";
    EXPECT_FALSE(marked("ButtonTheme-1"));
    EXPECT_TRUE(marked("Finder"));
    click(view.findChild<PictureTile*>(QStringLiteral("Finder3")));
    EXPECT_TRUE(marked("Finder3"));
    EXPECT_FALSE(marked("Finder"));
    EXPECT_FALSE(marked("uploadedDockIcon"));
}

TEST_F(SettingsViews, TheRestartQuestionWaitsForItsAnswerWithoutHoldingTheProgram)
{
    int relaunched = 0;
    // A restart that fails: this process goes on with the theme stored.
    settingsHooks().relaunch = [&relaunched] {
        ++relaunched;
        return false;
    };
    const auto unhook = qScopeGuard([] { settingsHooks().relaunch = {}; });
    state.settings.setButtonTheme(QStringLiteral("bigIcon"));
    QWidget window;
    auto* view = new AppearanceSettingsView(std::nullopt, &window);
    window.show();
    const auto tile = [view] { return view->findChild<PictureTile*>(QStringLiteral("ButtonTheme-1")); };
    click(tile());
    // The click has returned (exec() would still wait) with the question up.
    auto* question = window.findChild<QMessageBox*>();
    ASSERT_TRUE(question && question->isVisible());
    EXPECT_EQ(question->windowModality(), Qt::WindowModal) << "modal to the settings window alone";
    EXPECT_EQ(relaunched, 0);
    for (QAbstractButton* button : question->buttons())
        if (button->text() == QLatin1String("oK"))
            button->click();
    EXPECT_FALSE(question->isVisible());
    EXPECT_EQ(UserDefaults::value(QStringLiteral("buttonTheme")).toString(), QStringLiteral("onlyIcon"));
    EXPECT_EQ(relaunched, 1);
    EXPECT_TRUE(tile() && tile()->isSelected()) << "a restart that failed shows the stored theme";
}
