#include "state/Alerts.h"
#include "state/AppState.h"
#include "state/PasteboardRecord.h"
#include "state/UserDefaults.h"
#include "tools/PasteBoardView.h"
#include "tools/PasteboardQueries.h"

#include "ToastOverlay/ToastOverlayPresenter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollArea>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

namespace {

class PasteBoard : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        UserDefaults::useFile(dir.filePath(QStringLiteral("defaults.conf")));
        qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
        QString error;
        store = PersistenceController::open(dir.filePath(QStringLiteral("Favorite.sqlite")), &error);
        ASSERT_TRUE(store) << error.toStdString();
        setPasteboardClock([this] { return now; });
        writer.setText = [this](const QString& text) { copiedTexts << text; };
        writer.setImage = [this](const QImage& image) { copiedImages.push_back(image); };
    }
    void TearDown() override { setPasteboardClock({}); }

    void clip(QVariantMap values, const QString& day, int minutes)
    {
        values.insert(QStringLiteral("category"), day);
        values.insert(QStringLiteral("create"), now.addSecs(-60 * minutes));
        values.insert(QStringLiteral("uuid"), QUuid::createUuid().toString(QUuid::WithoutBraces));
        ASSERT_TRUE(store->insert(Entity::Pasteboard, values));
    }
    void text(const QVariant& value, const QString& day = QStringLiteral("2026-05-01"), int minutes = 0)
    {
        QVariantMap values;
        if (value.isValid())
            values.insert(QStringLiteral("text"), value);
        clip(values, day, minutes);
    }
    void picture(const QString& stored)
    {
        clip({ { QStringLiteral("image"), stored }, { QStringLiteral("isImage"), true } },
            QStringLiteral("2026-05-01"), 0);
    }
    // A 300 x 200 full-size picture and its 128 x 100 thumbnail.
    void pictureFiles(const QString& fullName, bool full = true, bool thumbnail = true)
    {
        if (full) {
            ASSERT_TRUE(QImage(300, 200, QImage::Format_RGB32).save(dir.filePath(fullName)));
        }
        if (thumbnail) {
            const QString thumb = fullName.chopped(4) + QStringLiteral("_thumbnail.png");
            ASSERT_TRUE(QImage(128, 100, QImage::Format_RGB32).save(dir.filePath(thumb)));
        }
    }
    QString stored(const QString& name) const
    {
        return QUrl::fromLocalFile(dir.filePath(name)).toString(QUrl::FullyEncoded).mid(7);
    }
    PasteBoardModel loaded()
    {
        EXPECT_TRUE(store->save());
        PasteBoardModel model(*store);
        model.load();
        return model;
    }

    QTemporaryDir dir;
    std::unique_ptr<PersistenceController> store;
    QDateTime now = QDateTime(QDate(2026, 5, 1), QTime(20, 0), Qt::LocalTime);
    AppState state;
    PasteboardWriter writer;
    QStringList copiedTexts;
    std::vector<QImage> copiedImages;
};

} // namespace

TEST_F(PasteBoard, LoadShowsTodaysFiftyNewestAndTabsWithMarkFirstOnce)
{
    for (int i = 0; i < 60; ++i)
        text(QString::number(i), QStringLiteral("2026-05-01"), i);
    text(QStringLiteral("old"), QStringLiteral("2026-04-30"), 2000);
    const QDateTime evening = now;
    now = evening.addSecs(-3 * 3600);
    ensurePasteboardCategory(QStringLiteral("2026-04-30"), *store);
    now = evening.addSecs(-2 * 3600);
    ensurePasteboardCategory(QStringLiteral("2026-05-01"), *store);
    now = evening.addSecs(-3600);
    ensurePasteboardCategory(kMarkCategory, *store);
    now = evening;

    PasteBoardView view(state, std::nullopt, 5000, *store);
    view.show();
    EXPECT_EQ(view.columnCount(), 2);
    ASSERT_EQ(view.model().items().size(), 50u);
    EXPECT_EQ(view.model().items().front().text(QStringLiteral("text")), QStringLiteral("0"));
    EXPECT_EQ(view.tabTexts(), (QStringList { "Mark", "2026-05-01", "2026-04-30" }));

    view.showDay(QStringLiteral("2026-04-30"));
    ASSERT_EQ(view.model().items().size(), 1u);
    EXPECT_EQ(view.model().items().front().text(QStringLiteral("text")), QStringLiteral("old"));

    view.hide();
    EXPECT_TRUE(view.model().items().empty());
    EXPECT_EQ(view.cardsMade(), 0);
}

TEST(PasteBoardText, CardTrimsSpacesAndTabsButKeepsLineBreaks)
{
    const std::vector<std::pair<QString, QString>> cases {
        { " x ", "x" },
        { "\t a b \u00a0", "a b" },
        { "\nx\n", "\nx\n" },
        { "   ", "" },
        { "", "" },
    };
    for (const auto& [stored, shown] : cases)
        EXPECT_EQ(trimmedPasteboardText(stored), shown) << stored.toStdString();
    EXPECT_EQ(pasteboardColumnCount(5), 5);
    EXPECT_EQ(pasteboardColumnCount(std::nullopt), 2);
}

TEST_F(PasteBoard, TextCopiesAsStoredAndAbsentTextCopiesEmpty)
{
    text(QStringLiteral(" x "), QStringLiteral("2026-05-01"), 1);
    text(QVariant(), QStringLiteral("2026-05-01"), 2);
    const PasteBoardModel model = loaded();
    ASSERT_EQ(model.items().size(), 2u);
    EXPECT_TRUE(model.copyBack(model.items()[0], writer));
    EXPECT_TRUE(model.copyBack(model.items()[1], writer));
    EXPECT_EQ(copiedTexts, (QStringList { " x ", "" }));
}

TEST_F(PasteBoard, PictureShowsThumbnailAndCopiesFullSizeUnderAnyEscapedName)
{
    const QStringList names { "a b.png", QString::fromUtf8("caf\u00e9.png"), "plain.png" };
    for (const QString& name : names) {
        pictureFiles(name);
        picture(stored(name.chopped(4) + QStringLiteral("_thumbnail.png")));
    }
    EXPECT_TRUE(stored(names[0]).contains(QStringLiteral("%20")));
    EXPECT_TRUE(stored(names[1]).contains(QStringLiteral("%C3%A9")));

    const PasteBoardModel model = loaded();
    ASSERT_EQ(model.items().size(), 3u);
    for (const Record& record : model.items()) {
        EXPECT_EQ(pasteboardCardImage(record.text(QStringLiteral("image")).value()).size(), QSize(128, 100));
        EXPECT_TRUE(model.copyBack(record, writer));
    }
    ASSERT_EQ(copiedImages.size(), 3u);
    for (const QImage& image : copiedImages)
        EXPECT_EQ(image.size(), QSize(300, 200));
}

TEST_F(PasteBoard, PictureFallsBackToTheOtherFileAndWithNeitherCopiesNothing)
{
    pictureFiles(QStringLiteral("thumbonly.png"), false, true);
    pictureFiles(QStringLiteral("fullonly.png"), true, false);
    picture(stored(QStringLiteral("thumbonly_thumbnail.png")));
    picture(stored(QStringLiteral("fullonly.png")));
    picture(stored(QStringLiteral("gone.png")));
    const PasteBoardModel model = loaded();
    ASSERT_EQ(model.items().size(), 3u);

    std::map<QString, QSize> copied;
    for (const Record& record : model.items()) {
        const QString image = record.text(QStringLiteral("image")).value();
        copiedImages.clear();
        const bool ok = model.copyBack(record, writer);
        EXPECT_EQ(ok, !image.contains(QStringLiteral("gone")));
        EXPECT_EQ(copiedImages.size(), ok ? 1u : 0u);
        if (ok)
            copied[image] = copiedImages.front().size();
        EXPECT_EQ(pasteboardCardImage(image).isNull(), !ok);
    }
    EXPECT_EQ(copied[stored(QStringLiteral("thumbonly_thumbnail.png"))], QSize(128, 100));
    EXPECT_EQ(copied[stored(QStringLiteral("fullonly.png"))], QSize(300, 200));
    EXPECT_TRUE(copiedTexts.isEmpty());
}

TEST_F(PasteBoard, SecondCopyKeepsCopiedShownAndLowersThePopupFlag)
{
    text(QStringLiteral("one"));
    text(QStringLiteral("two"), QStringLiteral("2026-05-01"), 1);
    ASSERT_TRUE(store->save());
    PasteBoardView view(state, 5, 5000, *store);
    view.setWriter(writer);
    view.show();
    for (int i = 0; i < 2; ++i) {
        state.popups[Tool::Pasteboard] = true;
        view.copyItem(i);
        EXPECT_TRUE(view.toast()->isPresenting());
        EXPECT_FALSE(state.popups[Tool::Pasteboard]);
    }
    EXPECT_EQ(copiedTexts, (QStringList { "one", "two" }));
}

TEST_F(PasteBoard, StarMakesMarkOnceFlipsAndSavesTheMark)
{
    text(QStringLiteral("a"));
    PasteBoardModel model = loaded();
    ASSERT_EQ(model.items().size(), 1u);
    model.noteCardShown(model.items()[0]);
    EXPECT_FALSE(model.starLit(model.items()[0]));

    model.toggleMark(0);
    EXPECT_TRUE(model.starLit(model.items()[0]));
    EXPECT_EQ(fetchMarkedPasteboards(*store).size(), 1u);
    model.toggleMark(0);
    EXPECT_FALSE(model.starLit(model.items()[0]));
    EXPECT_TRUE(fetchMarkedPasteboards(*store).empty());
    EXPECT_EQ(fetchPasteboardCategoryNames(*store).count(kMarkCategory), 1);
}

TEST_F(PasteBoard, PinTurnsAnyValueOrNoneIntoTrueAndTrueIntoNone)
{
    const std::vector<std::pair<std::optional<QString>, std::optional<QString>>> cases {
        { std::nullopt, "true" },
        { "x", "true" },
        { "true", std::nullopt },
    };
    for (const auto& [before, after] : cases) {
        StringMap pins { { "Pomodoro", "true" } };
        if (before)
            pins.insert(QStringLiteral("Pasteboard"), *before);
        state.settings.setPinedPlugins(pins);
        togglePasteboardPin(state);
        const StringMap now = state.settings.pinedPlugins();
        EXPECT_EQ(now.contains(QStringLiteral("Pasteboard")), after.has_value());
        if (after) {
            EXPECT_EQ(now.value(QStringLiteral("Pasteboard")), *after);
        }
        EXPECT_EQ(now.value(QStringLiteral("Pomodoro")), QStringLiteral("true"));
    }
}

TEST_F(PasteBoard, TrimTrashesBothPictureFilesOfTheItemsBeyondTheLimitOrNothing)
{
    pictureFiles(QStringLiteral("p.png"));
    picture(stored(QStringLiteral("p_thumbnail.png")));
    text(QStringLiteral("kept"), QStringLiteral("2026-05-01"), -1);
    PasteBoardModel model = loaded();
    ASSERT_EQ(model.items().size(), 2u);

    // A trash with a files/ and an info/ folder that takes the full-size
    // file and then refuses the thumbnail: nothing changes, and the user is
    // told.
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("trash/files")));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("trash/info")));
    QStringList asked;
    model.setTrashFile([&](const QString& path, QString* inTrash) {
        asked << QFileInfo(path).fileName();
        if (path.endsWith(QStringLiteral("_thumbnail.png")))
            return false;
        *inTrash = dir.filePath(QStringLiteral("trash/files/") + QFileInfo(path).fileName());
        QFile info(dir.filePath(QStringLiteral("trash/info/") + QFileInfo(path).fileName() + ".trashinfo"));
        EXPECT_TRUE(info.open(QIODevice::WriteOnly));
        return QFile::rename(path, *inTrash);
    });
    QStringList alerts;
    setAlertPresenter([&](const QString& message, const QString&) { alerts << message; });
    model.trim(1);
    setAlertPresenter({});
    EXPECT_EQ(asked, (QStringList { "p.png", "p_thumbnail.png" }));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("p.png")))) << "taken back out of the trash";
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("p_thumbnail.png"))));
    EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("trash/info"))).isEmpty())
        << "the trash lists nothing of it";
    EXPECT_EQ(alerts, QStringList { "The clipboard item could not be deleted." });
    model.load();
    ASSERT_EQ(model.items().size(), 2u) << "the record stays with its files";

    // The desktop's trash takes both, even where the data folder that holds
    // it is not there yet: the files and the record go, the files into that
    // trash and nowhere else.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    model.setTrashFile({});
    model.trim(1);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("p.png"))));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("p_thumbnail.png"))));
    EXPECT_TRUE(QFile::exists(data + QStringLiteral("/Trash/files/p_thumbnail.png")));
    EXPECT_FALSE(QFile::exists(QStringLiteral("files/p.png"))) << "not in the working folder";
    model.load();
    ASSERT_EQ(model.items().size(), 1u);
    EXPECT_EQ(model.items()[0].text(QStringLiteral("text")), QStringLiteral("kept"));
}

TEST_F(PasteBoard, MarkTabMakesCardsOnlyAsTheyScrollIntoView)
{
    for (int i = 0; i < 500; ++i)
        clip({ { QStringLiteral("text"), QString::number(i) }, { QStringLiteral("isMark"), true } },
            QStringLiteral("2026-04-01"), i);
    ASSERT_TRUE(store->save());
    PasteBoardView view(state, 2, 5000, *store);
    view.resize(800, 600);
    view.show();
    view.showMarked();
    ASSERT_EQ(view.model().items().size(), 500u);
    EXPECT_GT(view.cardsMade(), 0);
    EXPECT_LT(view.cardsMade(), 20);
}

// Cards keep a picture's shape, and a copy without a known source says so.
TEST(PasteBoardCard, PicturesKeepTheirShapeAndAnUnknownSourceIsNamed)
{
    const QRect box(25, 65, 180, 130);
    const struct {
        QSize picture;
        QRect shown;
    } rows[] = {
        { { 360, 260 }, QRect(25, 65, 180, 130) },
        { { 128, 80 }, QRect(25, 74, 180, 112) }, // a wide thumbnail: bands above and below
        { { 63, 100 }, QRect(74, 65, 81, 130) }, // a tall one: bands at the sides
        { { 0, 0 }, QRect() },
    };
    for (const auto& row : rows)
        EXPECT_EQ(pasteboardPictureRect(row.picture, box), row.shown)
            << row.picture.width() << "x" << row.picture.height();

    EXPECT_EQ(pasteboardSourceName(QString()), QStringLiteral("Unknown source"));
    EXPECT_EQ(pasteboardSourceName(QStringLiteral("  ")), QStringLiteral("Unknown source"));
    EXPECT_EQ(pasteboardSourceName(QStringLiteral("XTerm")), QStringLiteral("XTerm"));
}

// A narrow host (the tool hub's 600-wide page) shows the cards in the columns
// it holds, never a grid cut under a sideways scroll bar; a press on a card
// stays with the card (a host that moves its window by its background would
// otherwise take it and lose the focus).
TEST_F(PasteBoard, TheGridShowsTheColumnsItsWidthHoldsAndKeepsPressesOnItsCards)
{
    for (int i = 0; i < 6; ++i)
        text(QString::number(i));
    ASSERT_TRUE(store->save());
    QWidget host;
    struct PressWatch final : QObject {
        int presses = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            presses += event->type() == QEvent::MouseButtonPress;
            return false;
        }
    } watch;
    host.installEventFilter(&watch);
    auto* view = new PasteBoardView(state, 2, 5000, *store, &host);
    host.resize(600, 450);
    view->resize(600, 450);
    host.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(view->shownColumnCount(), 1);
    QScrollArea* grid = nullptr;
    for (QScrollArea* area : view->findChildren<QScrollArea*>())
        if (!grid || area->width() > grid->width())
            grid = area;
    ASSERT_TRUE(grid);
    EXPECT_LE(grid->widget()->width(), grid->viewport()->width()) << "the cards fit across";

    view->resize(1100, 450);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->shownColumnCount(), 2) << "never more than the host asked for";
    view->resize(2000, 450);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->shownColumnCount(), 2);

    QWidget* card = grid->widget()->childAt(10, 10);
    ASSERT_TRUE(card);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(205, 25), card->mapToGlobal(QPointF(205, 25)),
        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(card, &press);
    EXPECT_EQ(watch.presses, 0) << "a press on a card";
    QLabel* tab = nullptr;
    for (QLabel* label : view->findChildren<QLabel*>())
        if (label->text() == QStringLiteral("Mark"))
            tab = label;
    ASSERT_TRUE(tab);
    QMouseEvent tabPress(QEvent::MouseButtonPress, QPointF(5, 5), tab->mapToGlobal(QPointF(5, 5)),
        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(tab, &tabPress);
    EXPECT_EQ(watch.presses, 0) << "a press on a tab";
}
