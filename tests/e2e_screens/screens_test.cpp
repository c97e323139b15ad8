// Two screens on Xorg with the dummy driver (DUMMY0 1400x1050 primary,
// DUMMY1 1920x1080 right of it): how the X11 layer tells monitors apart, and
// the real orbitShelf's bar on each screen as the second one comes and goes.
#include "platform/x11/X11ScreenIdentity.h"
#include "tests/support/X11TestTools.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

QByteArray edid(char serial)
{
    QByteArray e(128, '\0');
    e[1] = char(0xff);
    e[12] = serial;
    return e;
}

// Monitors report EDID as an output property. The dummy outputs have none,
// so the test gives them one the way a driver would, and takes it back.
class Edid final {
public:
    Edid()
        : m_conn(xcb_connect(nullptr, nullptr))
    {
    }
    ~Edid()
    {
        for (const QString& output : { QStringLiteral("DUMMY0"), QStringLiteral("DUMMY1") })
            set(output, {});
        xcb_disconnect(m_conn);
    }
    // Empty data removes the property.
    void set(const QString& outputName, const QByteArray& data)
    {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data->root;
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> atom(
            xcb_intern_atom_reply(m_conn, xcb_intern_atom(m_conn, 0, 4, "EDID"), nullptr), &free);
        std::unique_ptr<xcb_randr_get_screen_resources_current_reply_t, decltype(&free)> resources(
            xcb_randr_get_screen_resources_current_reply(
                m_conn, xcb_randr_get_screen_resources_current(m_conn, root), nullptr),
            &free);
        ASSERT_TRUE(atom && resources);
        const xcb_randr_output_t* outputs = xcb_randr_get_screen_resources_current_outputs(resources.get());
        for (int i = 0; i < xcb_randr_get_screen_resources_current_outputs_length(resources.get()); ++i) {
            std::unique_ptr<xcb_randr_get_output_info_reply_t, decltype(&free)> info(
                xcb_randr_get_output_info_reply(m_conn,
                    xcb_randr_get_output_info(m_conn, outputs[i], resources->config_timestamp), nullptr),
                &free);
            const QString name
                = QString::fromUtf8(reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info.get())),
                    xcb_randr_get_output_info_name_length(info.get()));
            if (name != outputName)
                continue;
            if (data.isEmpty()) {
                xcb_randr_delete_output_property(m_conn, outputs[i], atom->atom);
                continue;
            }
            xcb_randr_configure_output_property(m_conn, outputs[i], atom->atom, 0, 0, 0, nullptr);
            xcb_randr_change_output_property(m_conn, outputs[i], atom->atom, XCB_ATOM_INTEGER, 8,
                XCB_PROP_MODE_REPLACE, uint32_t(data.size()), data.constData());
        }
        free(xcb_get_input_focus_reply(
            m_conn, xcb_get_input_focus(m_conn), nullptr)); // round trip: the change is in
    }

private:
    xcb_connection_t* m_conn;
};

// The frames of the visible windows of that title, left to right.
std::vector<QRect> framesOf(const QString& title)
{
    std::vector<QRect> frames;
    for (const QString& id : visibleWindowsNamed(title))
        frames.push_back(windowGeometry(id));
    std::sort(frames.begin(), frames.end(), [](const QRect& a, const QRect& b) { return a.x() < b.x(); });
    return frames;
}

} // namespace

TEST(ScreenIdentity, OutputsWithoutEdidAreToldApartByName)
{
    auto identity = platform::x11::createX11ScreenIdentity();
    const auto first = identity->describe(QStringLiteral("DUMMY0"));
    const auto second = identity->describe(QStringLiteral("DUMMY1"));
    ASSERT_TRUE(first && second) << runTool(QStringLiteral("xrandr"), {}).toStdString();
    EXPECT_TRUE(first->edid.isEmpty());
    EXPECT_NE(platform::displayUuid(*first), platform::displayUuid(*second));
    EXPECT_FALSE(identity->describe(QStringLiteral("DUMMY9"))) << "not connected";
    EXPECT_FALSE(identity->describe(QStringLiteral("HDMI-1")));
}

TEST(ScreenIdentity, EdidIdentifiesTheMonitorWhereverItIsAndTwinsStayDistinct)
{
    auto identity = platform::x11::createX11ScreenIdentity();
    Edid edids;
    edids.set(QStringLiteral("DUMMY0"), edid(1));
    edids.set(QStringLiteral("DUMMY1"), edid(2));
    auto first = identity->describe(QStringLiteral("DUMMY0"));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->edid, edid(1));
    EXPECT_FALSE(first->edidSharedWithAnotherOutput);
    EXPECT_EQ(platform::displayUuid(*first),
        platform::displayUuid({ QStringLiteral("elsewhere"), edid(1), false }));

    // Two identical monitors: the same EDID bytes on both outputs.
    edids.set(QStringLiteral("DUMMY1"), edid(1));
    first = identity->describe(QStringLiteral("DUMMY0"));
    const auto second = identity->describe(QStringLiteral("DUMMY1"));
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(first->edidSharedWithAnotherOutput);
    EXPECT_NE(platform::displayUuid(*first), platform::displayUuid(*second));
}

TEST(DockOnTwoScreens, EachScreenHasABarAndTheSecondFollowsItsOutput)
{
    const QString dock = QStringLiteral("orbitShelf dock"),
                  strip = QStringLiteral("orbitShelf auto-show strip");
    DockRun run;
    ASSERT_GT(run.start(), 0);
    // Each screen's dock window stands along its own bottom edge (the
    // second reaches 30 below the primary's), each with a strip.
    const std::vector<QRect> both = { QRect(0, 550, 1400, 500), QRect(1400, 580, 1920, 500) };
    ASSERT_TRUE(waitUntil([&] { return framesOf(dock) == both; }, std::chrono::seconds(10)))
        << run.log().toStdString();
    EXPECT_TRUE(waitUntil([&] { return framesOf(strip).size() == 2; }));
    EXPECT_EQ(framesOf(strip).back(), QRect(1400, 1070, 1920, 10));

    // The bars are rebuilt six seconds after the last change of the screens;
    // meanwhile the machine is left to the dock, with a look every 100 ms.
    const std::chrono::milliseconds afterRebuild(10000), pause(100);
    runTool(QStringLiteral("xrandr"), { "--output", "DUMMY1", "--off" });
    EXPECT_TRUE(waitUntil(
        [&] { return framesOf(dock) == std::vector<QRect> { both.front() } && framesOf(strip).size() == 1; },
        afterRebuild, pause))
        << run.log().toStdString();

    runTool(QStringLiteral("xrandr"), { "--output", "DUMMY1", "--mode", "1920x1080", "--pos", "1400x0" });
    EXPECT_TRUE(
        waitUntil([&] { return framesOf(dock) == both && framesOf(strip).size() == 2; }, afterRebuild, pause))
        << run.log().toStdString();
}

TEST(ScreensPage, TheSecondCardsSaveWritesUnderTheSecondScreensKey)
{
    DockRun run(std::map<QString, QVariant> {
        { QStringLiteral("spaceWidth"), QStringLiteral(R"j({"Optional(KEPT)":"640"})j") } });
    ASSERT_GT(run.start(), 0);
    const std::optional<QRect> tab = openSettingsTab(run, QStringLiteral("Screens"));
    ASSERT_TRUE(tab) << run.log().toStdString();
    std::optional<QRect> calibrate;
    ASSERT_TRUE(waitUntil([&] {
        click(tab->center());
        return waitUntil(
            [&] {
                return (calibrate = run.loggedRect(QStringLiteral("screens card 1 calibration at ")))
                    .has_value();
            },
            std::chrono::milliseconds(500));
    })) << run.log().toStdString();
    click(calibrate->center());
    std::optional<QRect> field, save;
    ASSERT_TRUE(waitUntil([&] {
        field = run.loggedRect(QStringLiteral("calibration width field at "));
        save = run.loggedRect(QStringLiteral("calibration save at "));
        return field && save;
    })) << run.log().toStdString();
    click(field->center());
    xdotool({ "key", "ctrl+a" });
    xdotool({ "type", "1440" });
    click(save->center());

    const QString conf = run.configHome() + QStringLiteral("/orbitShelf/orbitShelf.conf");
    const auto stored = [&](const char* key) {
        QSettings settings(conf, QSettings::IniFormat);
        return QJsonDocument::fromJson(settings.value(QLatin1String(key)).toString().toUtf8()).object();
    };
    const QString second = screenKeyOfOutput(QStringLiteral("DUMMY1"));
    // The width and the height are two settings, each written as it is set:
    // the file is read once both are there.
    ASSERT_TRUE(waitUntil([&] {
        return stored("spaceWidth").value(second).toString() == QLatin1String("1440")
            && stored("spaceHeight").contains(second);
    })) << readText(conf).toStdString()
        << run.log().toStdString();
    EXPECT_EQ(stored("spaceWidth").value(QStringLiteral("Optional(KEPT)")).toString(), QStringLiteral("640"));
    EXPECT_FALSE(stored("spaceWidth").contains(screenKeyOfOutput(QStringLiteral("DUMMY0"))));
    EXPECT_FALSE(stored("spaceHeight").value(second).toString().isEmpty());
}

// The user switches "Supports multiple screens" off and on again on the
// General page: after each switch every bar stands on its own screen's
// bottom edge, the taller screen's too (the shorter one's bar reserves the
// root's bottom 82 pixels on its side, which the window manager's one work
// area also cuts from the taller screen).
TEST(DockOnTwoScreens, SwitchedOffAndOnEachBarStandsOnItsOwnScreensEdge)
{
    const QString dock = QStringLiteral("orbitShelf dock");
    const std::vector<QRect> both = { QRect(0, 550, 1400, 500), QRect(1400, 580, 1920, 500) };
    DockRun run;
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(waitUntil([&] { return framesOf(dock) == both; }, std::chrono::seconds(10)))
        << run.log().toStdString();

    std::optional<QRect> item;
    ASSERT_TRUE(waitUntil([&] {
        std::optional<QRect> mainButton = run.loggedRect(QStringLiteral("main button at "));
        if (!mainButton)
            return false;
        click(mainButton->center(), 3);
        return waitUntil(
            [&] {
                return (item = run.loggedRect(QStringLiteral("settings menu opened.*\\bSettings@")))
                    .has_value();
            },
            std::chrono::milliseconds(500));
    })) << run.log().toStdString();
    click(item->center());
    std::optional<QRect> tab;
    ASSERT_TRUE(waitUntil([&] {
        return (tab = run.loggedRect(QStringLiteral("settings tab General at "))).has_value();
    })) << run.log().toStdString();
    const QString settings = waitForWindow(QStringLiteral("OrbitShelf Settings"));
    ASSERT_FALSE(settings.isEmpty());

    // The switch as the page shows it, scrolled into the window first.
    const auto everyScreenSwitch
        = [&] { return generalSwitchInView(run, settings, *tab, QStringLiteral("everyScreen")); };
    for (int flip = 0; flip < 2; ++flip) {
        const std::optional<QRect> box = everyScreenSwitch();
        ASSERT_TRUE(box) << run.log().toStdString();
        click(QPoint(box->left() + 8, box->center().y()));
        const std::vector<QRect> expected = flip == 0 ? std::vector<QRect> { both.front() } : both;
        EXPECT_TRUE(waitUntil([&] { return framesOf(dock) == expected; }, std::chrono::seconds(5)))
            << (flip == 0 ? "off" : "on") << ": " << run.log().right(3000).toStdString();
    }
}
