// The "Plugins" settings page as a user drives it: installing the clipboard
// history there starts capture and its Alt+Shift+P, "Remove" stops capture,
// and an Alt+Shift+P another program holds is reported without harm.
#include "tests/support/X11TestTools.h"

#include <QSqlDatabase>
#include <QSqlQuery>

#include <QFile>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

QStringList storedTexts(const QString& storePath)
{
    QStringList texts;
    {
        auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("plugins-peek"));
        db.setDatabaseName(storePath);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("SELECT text FROM Pasteboard ORDER BY \"create\"")))
                while (q.next())
                    texts << q.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("plugins-peek"));
    return texts;
}

// A copy as a user makes one in another program's window: xclip owns the
// CLIPBOARD, then Ctrl+C there.
void copy(const QString& windowId, const QByteArray& text, std::unique_ptr<QProcess>& owner)
{
    click(windowGeometry(windowId).center());
    waitUntil([&] { return activeWindow() == windowId; });
    owner = std::make_unique<QProcess>();
    owner->start(QStringLiteral("xclip"), { "-quiet", "-selection", "clipboard" });
    owner->waitForStarted();
    owner->write(text);
    owner->closeWriteChannel();
    waitUntil([&] {
        return runTool(QStringLiteral("xclip"), { "-o", "-selection", "clipboard" })
            == QString::fromUtf8(text);
    });
    xdotool({ "key", "ctrl+c" });
}

// Another program holding Alt+Shift+P on the root window.
class OtherGrab final {
public:
    OtherGrab()
        : m_c(xcb_connect(nullptr, nullptr))
    {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        const xcb_setup_t* setup = xcb_get_setup(m_c);
        auto* map = xcb_get_keyboard_mapping_reply(m_c,
            xcb_get_keyboard_mapping(m_c, setup->min_keycode, setup->max_keycode - setup->min_keycode + 1),
            nullptr);
        if (map) {
            const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
            const int per = map->keysyms_per_keycode;
            for (int k = 0; k <= setup->max_keycode - setup->min_keycode && !m_keycode; ++k)
                if (syms[k * per] == 'p')
                    m_keycode = xcb_keycode_t(setup->min_keycode + k);
            free(map);
        }
        xcb_generic_error_t* error = xcb_request_check(m_c,
            xcb_grab_key_checked(m_c, 1, m_root, XCB_MOD_MASK_1 | XCB_MOD_MASK_SHIFT, m_keycode,
                XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        m_held = m_keycode && !error;
        free(error);
    }
    ~OtherGrab() { xcb_disconnect(m_c); }
    bool held() const { return m_held; }

private:
    xcb_connection_t* m_c;
    xcb_window_t m_root = 0;
    xcb_keycode_t m_keycode = 0;
    bool m_held = false;
};

// Clicks the page's install button while it reads `before` (where the page
// last logged it), once the tab shows; the log's size once it reads `after`.
std::optional<qsizetype> pressInstallButton(
    DockRun& run, const QRect& tab, const QString& before, const QString& after)
{
    std::optional<QRect> button;
    if (!waitUntil([&] {
            click(tab.center());
            return waitUntil(
                [&] {
                    return (button = run.loggedRect(
                                QStringLiteral("plugins install button %1 for Pasteboard at ").arg(before)))
                        .has_value();
                },
                std::chrono::milliseconds(500));
        }))
        return std::nullopt;
    const qsizetype clicked = run.log().size();
    click(button->center());
    if (!waitUntil([&] {
            return run.log().mid(clicked).contains(
                QStringLiteral("plugins install button %1 for Pasteboard at").arg(after));
        }))
        return std::nullopt;
    return run.log().size();
}

// As a new user does: the program started, an xterm to copy in, "Settings"
// from the main button's menu, "Plugins", then "Install" on "Pasteboard".
// False when a step did not come about.
bool installPasteboardOnThePage(
    DockRun& run, Clients& clients, const QString& xtermTitle, QString& source, QRect& tab)
{
    if (run.start() <= 0)
        return false;
    source = clients.xterm(xtermTitle).id;
    const std::optional<QRect> opened = openSettingsTab(run, QStringLiteral("Plugins"));
    if (source.isEmpty() || !opened)
        return false;
    tab = *opened;
    return pressInstallButton(run, tab, QStringLiteral("Install"), QStringLiteral("Remove")).has_value();
}

} // namespace

TEST(PluginsPage, InstallingPasteboardStartsCaptureAndItsKeyAndRemoveStopsCapture)
{
    DockRun run;
    Clients clients;
    QString source;
    QRect tab;
    ASSERT_TRUE(installPasteboardOnThePage(run, clients, QStringLiteral("plugins copy source"), source, tab))
        << run.log().toStdString();
    EXPECT_TRUE(waitUntil([&] {
        return run.log().contains(QLatin1String("clipboard window key Alt + Shift + P registered"));
    }));
    std::unique_ptr<QProcess> owner;
    copy(source, "kept while installed", owner);
    ASSERT_TRUE(waitUntil([&] {
        return storedTexts(run.storePath()) == QStringList { "kept while installed" };
    })) << run.log().toStdString();

    // The key that came with the tool opens the clipboard window.
    const QString clipboardWindow = QStringLiteral("orbitShelf clipboard");
    ASSERT_TRUE(waitUntil([&] {
        if (visibleWindowsNamed(clipboardWindow).isEmpty())
            xdotool({ "key", "alt+shift+p" });
        return !visibleWindowsNamed(clipboardWindow).isEmpty();
    })) << run.log().toStdString();
    xdotool({ "key", "Escape" });
    ASSERT_TRUE(waitUntil([&] { return visibleWindowsNamed(clipboardWindow).isEmpty(); }));

    // "Settings" again brings the same window back, not a second one.
    const qsizetype settingsFrom = run.log().size();
    const std::optional<QRect> again = openSettingsTab(run, QStringLiteral("Plugins"), settingsFrom, 0);
    ASSERT_TRUE(again) << run.log().toStdString();
    EXPECT_EQ(visibleWindowsNamed(QStringLiteral("OrbitShelf Settings")).size(), 1);
    ASSERT_TRUE(pressInstallButton(run, *again, QStringLiteral("Remove"), QStringLiteral("Install")))
        << run.log().toStdString();
    copy(source, "made while removed", owner);
    // Proof that the copy above was let go: the one after installing again is
    // kept, and the removed one never is.
    const std::optional<qsizetype> reinstalled
        = pressInstallButton(run, *again, QStringLiteral("Install"), QStringLiteral("Remove"));
    ASSERT_TRUE(reinstalled) << run.log().toStdString();
    copy(source, "kept after installing again", owner);
    ASSERT_TRUE(waitUntil([&] { return storedTexts(run.storePath()).size() == 2; }))
        << run.log().toStdString();
    EXPECT_EQ(
        storedTexts(run.storePath()), QStringList({ "kept while installed", "kept after installing again" }));
    owner.reset();
}

TEST(PluginsPage, AnAltShiftPHeldElsewhereIsReportedAndCaptureStillRuns)
{
    OtherGrab other;
    ASSERT_TRUE(other.held());
    DockRun run;
    Clients clients;
    QString source;
    QRect tab;
    ASSERT_TRUE(installPasteboardOnThePage(run, clients, QStringLiteral("plugins held source"), source, tab))
        << run.log().toStdString();
    EXPECT_TRUE(waitUntil([&] {
        return run.log().contains(QLatin1String("clipboard window key Alt + Shift + P not registered"))
            && run.log().contains(
                QLatin1String("plugins key refused: Alt + Shift + P is taken by another program"));
    })) << run.log().toStdString();

    std::unique_ptr<QProcess> owner;
    copy(source, "kept all the same", owner);
    EXPECT_TRUE(waitUntil([&] {
        return storedTexts(run.storePath()) == QStringList { "kept all the same" };
    })) << run.log().toStdString();
    EXPECT_TRUE(run.running());
    owner.reset();
}

// The settings hold the unsaved note draft: readable by their user only,
// also a file an older version left readable by all, and after a change.
TEST(PluginsPage, ThePinBoxWaitsForInstallAndTheSettingsFileStaysPrivate)
{
    DockRun run;
    const QString folder = run.configHome() + QStringLiteral("/orbitShelf");
    const QString conf = folder + QStringLiteral("/orbitShelf.conf");
    ASSERT_TRUE(QFile::setPermissions(conf,
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(waitUntil([&] { return run.log().contains(QLatin1String("bar rows of")); }))
        << run.log().toStdString();
    EXPECT_EQ(modeOf(conf), 0600);
    EXPECT_EQ(modeOf(folder), 0700);

    const std::optional<QRect> tab = openSettingsTab(run, QStringLiteral("Plugins"));
    ASSERT_TRUE(tab) << run.log().toStdString();
    // The tab's first click may come before the window takes input.
    EXPECT_TRUE(waitUntil([&] {
        click(tab->center());
        return waitUntil(
            [&] {
                return run.log().contains(
                    QLatin1String("plugins pin switch of Pasteboard disabled: Pin On Dock (after Install)"));
            },
            std::chrono::milliseconds(500));
    })) << run.log().toStdString();

    // Install, then the box can be ticked; each click until the page says so.
    const auto clickUntil = [&run](const QString& target, const QString& logged) {
        return waitUntil([&] {
            const qsizetype from = run.log().size();
            const std::optional<QRect> at = run.loggedRect(target);
            if (!at)
                return false;
            click(at->center());
            return waitUntil(
                [&] { return run.log().mid(from).contains(logged); }, std::chrono::milliseconds(1000));
        });
    };
    ASSERT_TRUE(clickUntil(QStringLiteral("plugins install button Install for Pasteboard at "),
        QStringLiteral("plugins pin switch of Pasteboard enabled: Pin On Dock")))
        << run.log().toStdString();
    ASSERT_TRUE(clickUntil(QStringLiteral("plugins pin switch off for Pasteboard at "),
        QStringLiteral("plugins pin switch on for Pasteboard")))
        << run.log().toStdString();
    ASSERT_TRUE(waitUntil([&] { return readText(conf).contains(QLatin1String("Pasteboard")); }))
        << readText(conf).toStdString();
    EXPECT_EQ(modeOf(conf), 0600);
    EXPECT_EQ(modeOf(folder), 0700);
}
