// Every test program runs, as zep itself does, with an application object: the link's
// waits turn the event loop of whatever thread they run on.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "tests/support/test_environment.h"

int main(int argc, char** argv) {
    testing::AddGlobalTestEnvironment(new zep::test::test_environment);
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
