// The kit's resource bundle, its string table, and equality across related
// classes.
#include "tests/KeyComboKit/KitFixture.h"

#include "KeyComboKit/KCShortcut.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

void writeBundle(const QString& folder, const QByteArray& info, const QByteArray& table)
{
    const QString path = folder + QStringLiteral("/KeyComboKit_KeyComboKit.bundle");
    ASSERT_TRUE(QDir().mkpath(path));
    QFile infoFile(path + QStringLiteral("/Info.json"));
    ASSERT_TRUE(infoFile.open(QIODevice::WriteOnly));
    infoFile.write(info);
    QFile tableFile(path + QStringLiteral("/KeyComboKit.json"));
    ASSERT_TRUE(tableFile.open(QIODevice::WriteOnly));
    tableFile.write(table);
}

class Candidates {
public:
    explicit Candidates(QStringList folders) { KCSetResourceBundleCandidates(std::move(folders)); }
    ~Candidates() { KCSetResourceBundleCandidates(std::nullopt); }
};

} // namespace

TEST(KitResources, CompiledInBundleGivesVersionAndEnglishTexts)
{
    EXPECT_EQ(KCResourceBundle().version(), "1");
    EXPECT_EQ(KCLocalizedString("Command-"), "Command-");
    EXPECT_EQ(KCLocalizedString("No such key"), "No such key");
}

TEST(KitResources, CopyInTheApplicationsFolderWinsAndMissingTextsReadAsTheirKey)
{
    QTemporaryDir app;
    QTemporaryDir own;
    writeBundle(app.path(), R"({"version": "9"})", R"({"en": {"Shift": "Umschalt"}})");
    writeBundle(own.path(), R"({"version": "8"})", R"({"en": {"Shift": "Shift"}})");
    // A folder without Info.json is no bundle.
    QTemporaryDir broken;
    ASSERT_TRUE(QDir().mkpath(broken.path() + "/KeyComboKit_KeyComboKit.bundle"));
    Candidates candidates({ broken.path(), app.path(), QStringLiteral(":/KeyComboKit"), own.path() });
    EXPECT_EQ(KCResourceBundle().version(), "9");
    EXPECT_EQ(KCLocalizedString("Shift"), "Umschalt");
    EXPECT_EQ(KCLocalizedString("Space"), "Space");
}

TEST(KitResources, NoBundleRaises)
{
    QTemporaryDir empty;
    Candidates candidates({ empty.path() });
    try {
        KCLocalizedString("Space");
        FAIL() << "no exception";
    } catch (const KCBundleNotFoundException& e) {
        EXPECT_EQ(e.reason(), "unable to find bundle named KeyComboKit_KeyComboKit");
    }
}

namespace {

// Inherits the shortcut's equality.
class Plain final : public KCShortcut {
public:
    using KCShortcut::KCShortcut;
    static const KCClass info;
    const KCClass& kcClass() const override { return info; }
};
const KCClass Plain::info = { "Plain", &KCShortcut::kcClassInfo };

class Sibling final : public KCShortcut {
public:
    using KCShortcut::KCShortcut;
    static const KCClass info;
    const KCClass& kcClass() const override { return info; }
};
const KCClass Sibling::info = { "Sibling", &KCShortcut::kcClassInfo };

// Compares key codes only, and owns that test.
class KeyOnly : public KCShortcut {
public:
    using KCShortcut::KCShortcut;
    static const KCClass info;
    const KCClass& kcClass() const override { return info; }
    const KCClass& equalityOwner() const override { return info; }
    bool isEqualToShortcut(const KCShortcut& other) const override { return other.keyCode() == keyCode(); }
};
const KCClass KeyOnly::info = { "KeyOnly", &KCShortcut::kcClassInfo };

class Unrelated final : public KCObject {
public:
    static const KCClass info;
    const KCClass& kcClass() const override { return info; }
    const KCClass& equalityOwner() const override { return info; }
};
const KCClass Unrelated::info = { "Unrelated", nullptr };

} // namespace

class KitEquality : public kctest::FakeLayouts { };

TEST_F(KitEquality, RelatedClassesCompareThroughTheMoreDerivedTest)
{
    const KCShortcut base(0, kc::command, {}, {});
    const Plain plain(0, kc::command, {}, {});
    const Sibling sibling(0, kc::command, {}, {});
    const KeyOnly keyOnly(0, kc::shift, {}, {});
    const Unrelated unrelated;

    EXPECT_TRUE(base.isEqual(&base));
    EXPECT_FALSE(base.isEqual(nullptr));
    EXPECT_TRUE(plain.isEqual(&sibling)); // both inherit the base's test
    EXPECT_TRUE(base.isEqual(&plain));
    // The subclass's own test runs, whichever side it is on.
    EXPECT_TRUE(base.isEqual(&keyOnly));
    EXPECT_TRUE(keyOnly.isEqual(&base));
    // Siblings with different tests are unequal.
    const KeyOnly sameFlags(0, kc::command, {}, {});
    EXPECT_TRUE(base.isEqual(&sameFlags));
    EXPECT_FALSE(plain.isEqual(&sameFlags));
    EXPECT_FALSE(plain.isEqual(&unrelated));
    EXPECT_THROW(KC_isEqual<KCShortcut>(plain, &keyOnly, &KCShortcut::isEqualToShortcut, KeyOnly::info),
        KCAssertionFailure);
}
