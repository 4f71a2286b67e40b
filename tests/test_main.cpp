// Shared entry of every test binary: Qt runs offscreen (or on the platform QUILLET_TEST_PLATFORM
// names, as scripts/exercise.sh does on a display), one application object for all tests.
#include <gtest/gtest.h>
#include "platform/Application.h"
#include <cstdlib>

int main(int argc, char **argv)
{
    const char *platform = std::getenv("QUILLET_TEST_PLATFORM");
    setenv("QT_QPA_PLATFORM", platform && *platform ? platform : "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    TQtApplication app(argc, argv);   // the program's own, so that tests see its exception report
    return RUN_ALL_TESTS();
}
