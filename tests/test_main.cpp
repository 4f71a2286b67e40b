// Shared entry of every test binary: Qt runs offscreen, one application object for all tests.
#include <gtest/gtest.h>
#include "platform/Application.h"
#include <cstdlib>

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    TQtApplication app(argc, argv);   // the program's own, so that tests see its exception report
    return RUN_ALL_TESTS();
}
