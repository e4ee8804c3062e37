#include <gtest/gtest.h>

#include <QApplication>

#include "tests/support/test_environment.h"

// Widgets need one QApplication for the whole run.
// Offscreen unless the caller picks a platform: test discovery runs without a display.
int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::AddGlobalTestEnvironment(new zep::test::test_environment);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
