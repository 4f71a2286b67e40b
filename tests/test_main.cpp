// Shared entry of every test binary: Qt runs offscreen (or on the platform QUILLET_TEST_PLATFORM
// names, as scripts/exercise.sh does on a display), one application object for all tests.
#include <gtest/gtest.h>
#include "platform/Application.h"
#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

int main(int argc, char **argv)
{
    const char *platform = std::getenv("QUILLET_TEST_PLATFORM");
    setenv("QT_QPA_PLATFORM", platform && *platform ? platform : "offscreen", 1);
    // The program's state (records of in-place writes) goes to a folder of this run, never the
    // user's; tests that act as an ordinary user write there too.
    char state[] = "/tmp/quillet-test-state-XXXXXX";
    if (mkdtemp(state) == nullptr || chmod(state, 01777) != 0) {
        std::perror("cannot make the tests' own state folder");
        return 1;
    }
    setenv("QUILLET_STATE_DIR", state, 1);
    ::testing::InitGoogleTest(&argc, argv);
    int result = 0;
    {
        TQtApplication app(argc, argv);   // the program's own, so that tests see its exception report
        result = RUN_ALL_TESTS();
    }
    QDir(state).removeRecursively();
    return result;
}
