// Display identity against a real X server with two RandR outputs: Xorg with
// the dummy driver (Xvfb shows only one output). Needs root to start Xorg;
// skipped, saying why, where that is not possible.
#include "platform/x11/X11ScreenIdentity.h"

#include "tests/support/XvfbSession.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace orbitshelf::test;
using platform::DisplayDescription;

namespace {

const QString kConfig = QStringLiteral(ORBITSHELF_TEST_DATA "/e2e_screens/xorg-dummy.conf");

QByteArray edid(char serial)
{
    QByteArray e(128, '\0');
    e[1] = char(0xff);
    e[12] = serial;
    return e;
}

class TwoScreens : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (geteuid() != 0 || QStandardPaths::findExecutable("Xorg").isEmpty())
            GTEST_SKIP() << "starting Xorg with the dummy driver needs root and Xorg";
        for (int n = 300 + getpid() % 200; n < 600 && m_display.isEmpty(); ++n)
            if (!QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))
                && !QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
                m_display = QStringLiteral(":%1").arg(n);
        m_log = QStringLiteral("/tmp/orbitshelf-e2e-screens-%1.log").arg(getpid());
        m_xorg = spawn(
            "Xorg", { m_display, "-config", kConfig, "-noreset", "-nolisten", "tcp", "-logfile", m_log });
        ASSERT_GT(m_xorg, 0);
        const bool up = waitUntil(
            [&] {
                return runTool("xrandr", { "-display", m_display }).contains("DUMMY0");
            },
            std::chrono::seconds(15));
        if (!up)
            GTEST_SKIP() << "Xorg with the dummy driver did not start; see " << m_log.toStdString();
        runTool("xrandr", { "-display", m_display, "--addmode", "DUMMY1", "1920x1080" });
        runTool("xrandr",
            { "-display", m_display, "--output", "DUMMY0", "--mode", "1400x1050", "--pos", "0x0", "--output",
                "DUMMY1", "--mode", "1920x1080", "--pos", "1400x0" });
        m_savedDisplay = qgetenv("DISPLAY");
        qputenv("DISPLAY", m_display.toUtf8());
        m_conn = xcb_connect(nullptr, nullptr);
        ASSERT_FALSE(xcb_connection_has_error(m_conn));
    }

    void TearDown() override
    {
        if (m_conn)
            xcb_disconnect(m_conn);
        if (!m_savedDisplay.isNull())
            qputenv("DISPLAY", m_savedDisplay);
        if (m_xorg > 0)
            terminate(m_xorg);
        if (!HasFailure() && !m_log.isEmpty()) { // kept when a test failed, to read why
            QFile::remove(m_log);
            QFile::remove(m_log + ".old");
        }
    }

    // Monitors report EDID as an output property; the dummy outputs have
    // none, so the test gives them one the way a driver would.
    void setEdid(const QString& outputName, const QByteArray& data)
    {
        xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data->root;
        auto* atom = xcb_intern_atom_reply(m_conn, xcb_intern_atom(m_conn, 0, 4, "EDID"), nullptr);
        auto* res = xcb_randr_get_screen_resources_current_reply(
            m_conn, xcb_randr_get_screen_resources_current(m_conn, root), nullptr);
        ASSERT_TRUE(atom && res);
        const xcb_randr_output_t* outputs = xcb_randr_get_screen_resources_current_outputs(res);
        for (int i = 0; i < xcb_randr_get_screen_resources_current_outputs_length(res); ++i) {
            auto* info = xcb_randr_get_output_info_reply(
                m_conn, xcb_randr_get_output_info(m_conn, outputs[i], res->config_timestamp), nullptr);
            const QString name
                = QString::fromUtf8(reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info)),
                    xcb_randr_get_output_info_name_length(info));
            free(info);
            if (name != outputName)
                continue;
            xcb_randr_configure_output_property(m_conn, outputs[i], atom->atom, 0, 0, 0, nullptr);
            xcb_randr_change_output_property(m_conn, outputs[i], atom->atom, XCB_ATOM_INTEGER, 8,
                XCB_PROP_MODE_REPLACE, data.size(), data.constData());
        }
        free(res);
        free(atom);
        free(xcb_get_input_focus_reply(m_conn, xcb_get_input_focus(m_conn), nullptr)); // sync
    }

    QString m_display, m_log;
    QByteArray m_savedDisplay;
    qint64 m_xorg = 0;
    xcb_connection_t* m_conn = nullptr;
};

} // namespace

TEST_F(TwoScreens, OutputsWithoutEdidAreToldApartByName)
{
    auto identity = platform::x11::createX11ScreenIdentity();
    const auto first = identity->describe("DUMMY0");
    const auto second = identity->describe("DUMMY1");
    ASSERT_TRUE(first && second) << runTool("xrandr", { "-display", m_display }).toStdString();
    EXPECT_TRUE(first->edid.isEmpty());
    EXPECT_NE(platform::displayUuid(*first), platform::displayUuid(*second));
    EXPECT_FALSE(identity->describe("DUMMY9")); // not connected
    EXPECT_FALSE(identity->describe("HDMI-1"));
}

TEST_F(TwoScreens, EdidIdentifiesTheMonitorAndTwinsStayDistinct)
{
    auto identity = platform::x11::createX11ScreenIdentity();
    setEdid("DUMMY0", edid(1));
    setEdid("DUMMY1", edid(2));
    auto first = identity->describe("DUMMY0");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->edid, edid(1));
    EXPECT_FALSE(first->edidSharedWithAnotherOutput);
    EXPECT_EQ(platform::displayUuid(*first), platform::displayUuid({ "elsewhere", edid(1), false }));

    // Two identical monitors: same EDID bytes on both outputs.
    setEdid("DUMMY1", edid(1));
    first = identity->describe("DUMMY0");
    const auto second = identity->describe("DUMMY1");
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(first->edidSharedWithAnotherOutput);
    EXPECT_NE(platform::displayUuid(*first), platform::displayUuid(*second));
}
