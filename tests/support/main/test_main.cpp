// Shared main() of every test program: gtest first, then (for end-to-end
// programs) a private X server, then the QApplication the code under test
// expects to find.
#include <QApplication>
#include <gtest/gtest.h>

#include "tests/support/TempStores.h"
#include "tests/support/XvfbSession.h"

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
    // Started before QApplication so that a Qt on the xcb platform would find
    // DISPLAY; the session lives until the program ends.
    auto session = orbitshelf::test::XvfbSession::start();
    if (!session) {
        fprintf(stderr, "could not start a private Xvfb + openbox: %s\n",
                orbitshelf::test::XvfbSession::lastError().toLocal8Bit().constData());
        return 1;
    }
#endif
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
