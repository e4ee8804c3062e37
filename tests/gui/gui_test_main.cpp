#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

// Widgets need one QApplication for the whole run.
// Offscreen unless the caller picks a platform: test discovery runs without a display.
int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The operator's own program settings (which database) never reach a test, nor the
    // programs a test starts.
    const QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
