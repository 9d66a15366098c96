// Test entry: private XDG folders, so no test reads or writes the user's settings or trash,
// and one application object for the widget tests.
#include "test_env.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    test::initPrivateHome(home.path());
    // Widget tests never need a display; listing the tests runs without the test environment.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Tests never play sound or open video windows.
    ::setenv("GLIMRA_AUDIO_SINK", "fakesink sync=true", 0);
    ::setenv("GLIMRA_VIDEO_SINK", "fakesink sync=true", 0);
    // The decoder helper obeys its test-only triggers (files that crash or hang it).
    ::setenv("GLIMRA_DECODER_TEST_HOOKS", "1", 1);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// GLib, GStreamer and fontconfig keep caches for the life of the process, which the leak
// checker reports on every exit; the address and undefined-behaviour checks stay on.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}
