// Entry of the pure-logic test program: private XDG folders as for every test, but only a core
// application object, so a test that builds a widget aborts instead of passing slowly.
#include "test_env.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    test::initPrivateHome(home.path());
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// As in the widget tests' entry: GLib's process-long caches are no leaks.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}
