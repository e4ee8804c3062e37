// Every test program runs, as zep itself does, with an application object: the link's
// waits turn the event loop of whatever thread they run on.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    // The operator's own program settings (which database) never reach a test, nor the
    // programs a test starts.
    const QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
