#include "tools/ClipboardCapture.h"

#include "state/Persistence.h"
#include "state/AppState.h"
#include "apps/ActiveApp.h"
#include "apps/SupportFolder.h"
#include "apps/WindowClickTracking.h"
#include "platform/KeyCodes.h"
#include "platform/fake/FakeClipboardReader.h"
#include "platform/fake/FakeServices.h"
#include "tools/FastFinderModel.h"
#include "tools/PasteboardQueries.h"

#include "tests/support/XvfbSession.h"
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

namespace {

// The support folder's name has a space, as the stored paths must show.
QTemporaryDir* dataHome = nullptr;

const QDateTime kNoon = QDateTime(QDate(2026, 3, 14), QTime(12, 0), Qt::LocalTime);
const QString kNoonDay = QStringLiteral("2026-03-14");

void sqlOnStore(const QString& statement)
{
    {
        auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("side"));
        db.setDatabaseName(PersistenceController::shared().path());
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(statement)) << statement.toStdString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("side"));
}

QImage picture(QColor colour)
{
    QImage image(40, 30, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

// Runs one capture to its end: whether it stored a record; nothing when it
// did not end.
std::optional<bool> captureAndWait(int captures = 1)
{
    std::vector<bool> outcomes;
    const auto c = QObject::connect(&ClipboardCapture::shared(), &ClipboardCapture::finished,
        [&](bool stored) { outcomes.push_back(stored); });
    for (int i = 0; i < captures; ++i)
        captureClipboard();
    orbitshelf::test::waitUntil([&] { return int(outcomes.size()) >= captures; });
    QObject::disconnect(c);
    if (int(outcomes.size()) < captures)
        return std::nullopt;
    return outcomes.back();
}

class Capture : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dataHome = new QTemporaryDir;
        const QString home = dataHome->filePath(QStringLiteral("data home"));
        QDir().mkpath(home);
        qputenv("XDG_DATA_HOME", home.toUtf8());
        ASSERT_FALSE(PersistenceController::openShared());
    }
    void SetUp() override
    {
        platform::Services services = platform::fake::services();
        services.clipboardReader = platform::fake::lent(reader);
        platform::install(std::move(services));
        now = kNoon;
        setPasteboardClock([this] { return now; });
        auto& store = PersistenceController::shared();
        for (Entity e : { Entity::Pasteboard, Entity::PasteboardCategory })
            for (const Record& r : store.fetchAll(e))
                store.remove(r);
        ASSERT_TRUE(store.save());
        QDir folder(*appSupportFolderPath());
        for (const QString& f : folder.entryList({ QStringLiteral("pasteboard-*") }))
            folder.remove(f);
        AppState::shared().allApps.clear();
        AppState::shared().appOrders.clear();
        windowClickOrder().clear();
    }
    void TearDown() override
    {
        setPasteboardClock({});
        platform::uninstall();
    }

    // Runs one capture to its end; whether it stored a record.
    bool capture() { return captureAndWait().value_or(false); }
    bool copyText(const QString& text)
    {
        reader.setText(text);
        return capture();
    }
    // In the order stored.
    std::vector<Record> all() const { return PersistenceController::shared().fetchAll(Entity::Pasteboard); }
    Record latest() const { return all().back(); }
    QStringList supportFiles() const
    {
        return QDir(*appSupportFolderPath())
            .entryList({ QStringLiteral("pasteboard-*") }, QDir::Files, QDir::Name);
    }
    // An application with one window, clicked `age` ago.
    void clickedApp(int32_t pid, uint32_t window, const QString& name, const QIcon& icon, qint64 ageMs)
    {
        auto app = std::make_shared<ActiveApp>();
        app->appName = name;
        app->bundleIdentifier = QStringLiteral("org.example.") + name + QStringLiteral(".desktop");
        app->icon = icon;
        auto w = std::make_shared<Windows>();
        w->num = window;
        w->appId = pid;
        app->windows = std::vector<std::shared_ptr<Windows>> { w };
        AppState::shared().allApps.insert(pid, app);
        AppState::shared().appOrders.insert(pid, int(AppState::shared().appOrders.size()));
        WindowClickedOrder entry;
        entry.windowNum = int32_t(window);
        entry.time = now.addMSecs(-ageMs);
        appendWindowClick(entry);
    }

    platform::fake::FakeClipboardReader reader;
    QDateTime now;
};

} // namespace

TEST_F(Capture, TextsAreTrimmedAndTheDaysNewestIsNotRepeated)
{
    struct Copy {
        QString text;
        int hoursLater = 0;
    };
    struct Case {
        const char* name;
        std::vector<Copy> copies;
        QStringList kept; // in the order stored
        int categories;
    };
    const QString nbsp = QString(QChar(0x00A0)), ideographic = QString(QChar(0x3000));
    const std::vector<Case> cases = {
        { "same text twice a day", { { "a" }, { "a" } }, { "a" }, 1 },
        { "A, B, A", { { "A" }, { "B" }, { "A" } }, { "A", "B", "A" }, 1 },
        { "equal to yesterday's newest", { { "same" }, { "same", 24 } }, { "same", "same" }, 2 },
        { "midnight between two copies", { { "late", 11 }, { "early", 1 } }, { "late", "early" }, 2 },
        { "spaces around a letter", { { " x " } }, { "x" }, 1 },
        { "spaces and tabs only", { { " \t  \t" } }, {}, 0 },
        { "a single line break", { { "\n" } }, { "\n" }, 1 },
        { "wide spaces", { { nbsp + "y" + ideographic } }, { "y" }, 1 },
        { "canonically equal", { { QStringLiteral("e\u0301") }, { QStringLiteral("\u00e9") } },
            { QStringLiteral("e\u0301") }, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        for (const Copy& copy : c.copies) {
            now = now.addSecs(3600 * copy.hoursLater + 1);
            copyText(copy.text);
        }
        QStringList kept;
        for (const Record& r : all()) {
            kept << r.text(QStringLiteral("text")).value_or(QStringLiteral("<none>"));
            EXPECT_FALSE(r.flag(QStringLiteral("isImage")));
            EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Za-z0-9]{10}$"))
                            .match(r.text(QStringLiteral("uuid")).value_or(QString()))
                            .hasMatch());
            EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"))
                            .match(r.text(QStringLiteral("category")).value_or(QString()))
                            .hasMatch());
        }
        EXPECT_EQ(kept, c.kept);
        EXPECT_EQ(PersistenceController::shared().fetchAll(Entity::PasteboardCategory).size(),
            size_t(c.categories));
    }
}

TEST_F(Capture, TheSourceIsTheNewestClickHalfASecondOld)
{
    QPixmap iconPixels(32, 32);
    iconPixels.fill(Qt::red);
    const QIcon icon(iconPixels);
    clickedApp(100, 11, QStringLiteral("Editor"), icon, 2000);
    clickedApp(200, 22, QStringLiteral("Terminal"), icon, 1000);
    clickedApp(300, 33, QStringLiteral("Viewer"), icon, 100); // the gesture itself

    ASSERT_TRUE(copyText(QStringLiteral("one")));
    Record r = latest();
    EXPECT_EQ(r.text(QStringLiteral("fromAppName")), QStringLiteral("Terminal"));
    const QString iconPath = r.text(QStringLiteral("fromAppImage")).value_or(QString());
    EXPECT_TRUE(iconPath.endsWith(QStringLiteral("/pasteboard-app-icon-org.example.Terminal.png")))
        << iconPath.toStdString();
    EXPECT_TRUE(iconPath.contains(QStringLiteral("data%20home")));
    EXPECT_EQ(QImage(localPathFromStored(iconPath)).size(), QSize(64, 64));

    // The newest old-enough click's application has quit: kept, without source.
    AppState::shared().allApps.remove(200);
    ASSERT_TRUE(copyText(QStringLiteral("two")));
    r = latest();
    EXPECT_EQ(r.text(QStringLiteral("fromAppName")), QString());
    EXPECT_FALSE(r.text(QStringLiteral("fromAppImage")));

    // An application without an icon still names itself.
    clickedApp(400, 44, QStringLiteral("Plain"), QIcon(), 800);
    ASSERT_TRUE(copyText(QStringLiteral("three")));
    r = latest();
    EXPECT_EQ(r.text(QStringLiteral("fromAppName")), QStringLiteral("Plain"));
    EXPECT_FALSE(r.text(QStringLiteral("fromAppImage")));

    // No clicks at all.
    windowClickOrder().clear();
    ASSERT_TRUE(copyText(QStringLiteral("four")));
    r = latest();
    EXPECT_EQ(r.text(QStringLiteral("fromAppName")), QString());
    EXPECT_FALSE(r.text(QStringLiteral("fromAppImage")));
}

TEST_F(Capture, TheCopyIsCreditedToTheProgramOwningTheClipboard)
{
    QPixmap iconPixels(32, 32);
    iconPixels.fill(Qt::red);
    const QIcon icon(iconPixels);
    clickedApp(200, 22, QStringLiteral("Editor"), icon, 60000);
    clickedApp(100, 11, QStringLiteral("XTerm"), icon, 2000); // where the copy key was pressed
    reader.namesOwner = true;
    struct Row {
        const char* name;
        std::optional<qint64> pid;
        QString windowClass;
        QString credited;
    };
    const Row rows[] = {
        { "the owner's process", 200, QStringLiteral("whatever"), QStringLiteral("Editor") },
        { "its class when its process is none of the bar's", 4242, QStringLiteral("editor"),
            QStringLiteral("Editor") },
        { "a helper such as xclip", 4243, QString(), QString() },
        { "an owner that names nothing", std::nullopt, QString(), QString() },
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        reader.ownerPid = row.pid;
        reader.ownerClass = row.windowClass;
        ASSERT_TRUE(copyText(QStringLiteral("copy %1").arg(++n)));
        EXPECT_EQ(latest().text(QStringLiteral("fromAppName")).value_or(QString()), row.credited);
        EXPECT_EQ(latest().text(QStringLiteral("fromAppImage")).has_value(), !row.credited.isEmpty());
    }
    // A reader that cannot name owners: the window clicked last.
    reader.namesOwner = false;
    ASSERT_TRUE(copyText(QStringLiteral("copy by click")));
    EXPECT_EQ(latest().text(QStringLiteral("fromAppName")), QStringLiteral("XTerm"));
}

TEST(ClipboardThumbnail, KeepsThePicturesShapeWithinOneHundredAndTwentyEightByOneHundred)
{
    const struct {
        QSize picture;
        QSize thumbnail;
    } rows[] = {
        { { 320, 200 }, { 128, 80 } }, // wide: the width decides
        { { 200, 320 }, { 63, 100 } }, // tall: the height decides
        { { 1920, 1080 }, { 128, 72 } },
        { { 128, 100 }, { 128, 100 } },
        { { 40, 30 }, { 128, 96 } }, // small ones grow to the box as well
        { { 5000, 2 }, { 128, 1 } }, // a sliver keeps a pixel
        { { 1, 4000 }, { 1, 100 } },
        { { 0, 30 }, {} },
    };
    for (const auto& row : rows)
        EXPECT_EQ(clipboardThumbnailSize(row.picture), row.thumbnail)
            << row.picture.width() << "x" << row.picture.height();
}

TEST(CopyGesture, TheCopyAndCutKeysOfThisDesktop)
{
    using namespace platform;
    const quint64 ctrl = appkit::command, shift = appkit::shift, alt = appkit::option;
    struct Row {
        const char* text;
        quint16 key;
        quint64 flags;
        bool copies;
    } rows[] = {
        { "c", keycode::c, ctrl, true },
        { "x", keycode::x, ctrl, true },
        { "C", keycode::c, ctrl | shift, true }, // terminals
        { "X", keycode::x, ctrl | shift, true },
        { "", keycode::help, ctrl, true }, // Ctrl+Insert
        { "", keycode::forwardDelete, shift, true }, // Shift+Delete
        { "c", keycode::c, 0, false },
        { "c", keycode::c, alt, false },
        { "v", keycode::v, ctrl, false },
        { "", keycode::help, shift, false }, // Shift+Insert pastes
        { "", keycode::forwardDelete, 0, false },
    };
    for (const Row& r : rows)
        EXPECT_EQ(isCopyGesture(QString::fromLatin1(r.text), r.key, r.flags), r.copies)
            << r.text << " " << r.key << " " << r.flags;
}

TEST_F(Capture, ImagesAreKeptOnceWithTheirTwoFiles)
{
    const QImage copied = picture(Qt::blue);
    reader.setImage(copied);
    ASSERT_TRUE(capture());
    EXPECT_FALSE(capture()) << "the same picture again";
    ASSERT_EQ(all().size(), 1u);

    const Record r = all().front();
    EXPECT_TRUE(r.flag(QStringLiteral("isImage")));
    const QString stored = r.text(QStringLiteral("image")).value_or(QString());
    const QRegularExpressionMatch name
        = QRegularExpression(QStringLiteral("/pasteboard-([A-Za-z0-9]{10})\\.png$")).match(stored);
    ASSERT_TRUE(name.hasMatch()) << stored.toStdString();
    EXPECT_EQ(r.text(QStringLiteral("uuid")), name.captured(1));
    EXPECT_TRUE(stored.contains(QStringLiteral("data%20home")));
    EXPECT_EQ(QImage(localPathFromStored(stored)).convertToFormat(QImage::Format_ARGB32), copied);
    QFile full(localPathFromStored(stored));
    ASSERT_TRUE(full.open(QIODevice::ReadOnly));
    EXPECT_EQ(full.readAll(), reader.offered.value(QStringLiteral("image/png"))) << "the PNG as offered";
    // What the user copied is theirs alone.
    EXPECT_EQ(full.permissions() & 0x0777, QFileDevice::ReadUser | QFileDevice::WriteUser);
    EXPECT_EQ(QFileInfo(*appSupportFolderPath()).permissions() & 0x0777,
        QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
    const QString thumbnail
        = QString(stored).replace(QStringLiteral(".png"), QStringLiteral("_thumbnail.png"));
    EXPECT_EQ(QImage(localPathFromStored(thumbnail)).size(), QSize(128, 96)) << "40 x 30 keeps its shape";
    EXPECT_EQ(r.text(QStringLiteral("category")), kNoonDay);

    // A stored picture that cannot be read counts as different.
    QFile::remove(localPathFromStored(stored));
    EXPECT_TRUE(capture());
    reader.setImage(picture(Qt::green));
    EXPECT_TRUE(capture());
    EXPECT_EQ(all().size(), 3u);
}

TEST_F(Capture, APictureIsStoredWhileTheFolderBrowserWaitsOnAHungMount)
{
    // 64 folders on a mount that never answers, opened one after another.
    struct Hang {
        std::mutex mutex;
        std::condition_variable released;
        bool answering = false;
    };
    auto hang = std::make_shared<Hang>();
    FastFinderServices services;
    services.list = [hang](const QString& folder) {
        std::unique_lock lock(hang->mutex);
        hang->released.wait(lock, [&] { return hang->answering; });
        return listFolder(folder);
    };
    AppState browserState;
    FastFinderModel browser(browserState, services);
    for (int i = 0; i < 64; ++i)
        browser.openSidebarFolder(QStringLiteral("/hung/mount/%1").arg(i));

    reader.setImage(picture(Qt::darkCyan));
    EXPECT_TRUE(capture()) << "the copy waits for no folder";
    EXPECT_EQ(all().size(), 1u);
    {
        std::lock_guard lock(hang->mutex);
        hang->answering = true;
        hang->released.notify_all();
    }
}

TEST_F(Capture, SecretTooLargeUnansweredAndUnreadableCopiesLeaveNothing)
{
    struct Case {
        const char* name;
        std::function<void(platform::fake::FakeClipboardReader&)> offer;
    };
    const std::vector<Case> cases = {
        { "marked secret",
            [](auto& r) {
                r.setText(QStringLiteral("hunter2"));
                r.offered.insert(QStringLiteral("x-kde-passwordManagerHint"), "secret");
            } },
        { "text over 4 MiB", [](auto& r) { r.setText(QString(4 * 1024 * 1024 + 1, u'a')); } },
        { "owner never answers",
            [](auto& r) {
                r.setText(QStringLiteral("lost"));
                r.answers = false;
            } },
        { "nothing offered", [](auto& r) { r.clear(); } },
        { "a picture that does not decode, nor text",
            [](auto& r) {
                r.offered = { { QStringLiteral("image/png"), QByteArray("not a png") } };
            } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reader.answers = true;
        c.offer(reader);
        EXPECT_FALSE(capture());
        EXPECT_TRUE(all().empty());
        EXPECT_TRUE(supportFiles().isEmpty()) << supportFiles().join(' ').toStdString();
    }
    reader.answers = true;

    // No support folder can be made (its parent is a file): nothing is kept.
    const QByteArray home = qgetenv("XDG_DATA_HOME");
    QFile blocker(dataHome->filePath(QStringLiteral("a file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    qputenv("XDG_DATA_HOME", blocker.fileName().toUtf8() + "/data");
    EXPECT_FALSE(copyText(QStringLiteral("nowhere to go")));
    qputenv("XDG_DATA_HOME", home);
    EXPECT_TRUE(all().empty());

    EXPECT_TRUE(copyText(QStringLiteral("later")));
}

TEST_F(Capture, AFailedSaveLeavesNoRecordAndNoFilesAndTheNextCopyIsKept)
{
    sqlOnStore(QStringLiteral(
        "CREATE TRIGGER refuse BEFORE INSERT ON \"Pasteboard\" BEGIN SELECT RAISE(ABORT, 'full'); END"));
    reader.setImage(picture(Qt::red));
    EXPECT_FALSE(capture());
    EXPECT_TRUE(all().empty());
    EXPECT_TRUE(supportFiles().isEmpty()) << supportFiles().join(' ').toStdString();
    EXPECT_EQ(fetchPasteboardCategoryNames(), QStringList { kNoonDay }) << "the day is still ensured";

    sqlOnStore(QStringLiteral("DROP TRIGGER refuse"));
    EXPECT_TRUE(capture());
    EXPECT_EQ(supportFiles().size(), 2);
    EXPECT_EQ(fetchPasteboardCategoryNames(), QStringList { kNoonDay });
}

TEST_F(Capture, TriggersDuringACaptureRunAfterIt)
{
    // The fake owner answers at once: the second trigger comes while the first
    // capture still waits for its queued answer, and reads the same text.
    reader.setText(QStringLiteral("first"));
    ASSERT_TRUE(captureAndWait(2).has_value());
    EXPECT_EQ(all().size(), 1u) << "the second capture saw the first one's record";
    EXPECT_EQ(reader.reads, 2);
}
