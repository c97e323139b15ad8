// Shared main() of every test program: gtest first, then (for end-to-end
// programs) a private X server, then the QApplication the code under test
// expects to find.
#include <QApplication>
#include <gtest/gtest.h>

#include "tests/support/TempStores.h"
#include "tests/support/XvfbSession.h"

#ifdef ORBITSHELF_E2E
namespace {

// The tests of a program share one X server: whatever way a test ends (a
// failed ASSERT returns before its "keyup"), the next one starts with no key
// or button held.
class ReleaseHeldInput final : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo& test) override
    {
        const QStringList released = orbitshelf::test::releaseHeldInput();
        if (!released.isEmpty())
            fprintf(stderr, "%s.%s left held, now let go: %s\n", test.test_suite_name(), test.name(),
                released.join(QStringLiteral(", ")).toLocal8Bit().constData());
    }
};

} // namespace
#endif

#ifdef ORBITSHELF_E2E_TWO_OUTPUTS
namespace {

// Skips every test of the program, saying why.
class SkipAll final : public ::testing::Environment {
public:
    explicit SkipAll(QString why)
        : m_why(std::move(why))
    {
    }
    void SetUp() override { GTEST_SKIP() << m_why.toStdString(); }

private:
    QString m_why;
};

} // namespace
#endif

int main(int argc, char** argv)
{
    // Before anything reads a path: settings and stores of tests live in a
    // private temporary home, never in the user's.
    orbitshelf::test::usePrivateXdgHomes();
    // Unit tests never need a display; test discovery at build time runs the
    // programs without ctest's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
#ifdef ORBITSHELF_E2E
    using orbitshelf::test::XvfbSession;
    // Started before QApplication so that a Qt on the xcb platform would find
    // DISPLAY; the session lives until the program ends.
    std::unique_ptr<XvfbSession> session;
    QString cannot;
#ifdef ORBITSHELF_E2E_TWO_OUTPUTS
    if (XvfbSession::canStartTwoOutputs(&cannot))
        session = XvfbSession::start(XvfbSession::Outputs::two);
    else
        ::testing::AddGlobalTestEnvironment(new SkipAll(cannot));
#elif defined(ORBITSHELF_E2E_UHD)
    // openbox as installed holds Alt+Tab: the program tells so at each start,
    // a notice that has to stand above the bar too.
    session = XvfbSession::start(XvfbSession::Outputs::uhd, XvfbSession::WindowManagerKeys::stock);
#elif defined(ORBITSHELF_E2E_NO_WM_KEYS)
    session = XvfbSession::start(XvfbSession::Outputs::one, XvfbSession::WindowManagerKeys::none);
#else
    session = XvfbSession::start();
#endif
    if (!session && cannot.isEmpty()) {
        fprintf(stderr, "could not start a private X server + openbox: %s\n",
            XvfbSession::lastError().toLocal8Bit().constData());
        return 1;
    }
    if (session)
        ::testing::UnitTest::GetInstance()->listeners().Append(new ReleaseHeldInput);
#endif
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
