// In a Wayland session the program asks for XWayland, unless the user named a platform or no
// X server is offered.
#include "platform/display_session.h"

#include <QMap>
#include <gtest/gtest.h>
#include <vector>

namespace {

QByteArray choose(const QMap<QByteArray, QByteArray>& environment,
                  std::vector<const char*> arguments = {}) {
    arguments.insert(arguments.begin(), "glimra");
    return platform::displayPlatformFor(
        [&](const char* name) { return environment.value(QByteArray(name)); },
        int(arguments.size()), arguments.data());
}

TEST(DisplaySession, WaylandSessionsRunOnXWaylandUnlessThePlatformWasChosen) {
    const QByteArray xcb("xcb");
    EXPECT_EQ(choose({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}}), xcb);
    EXPECT_EQ(choose({{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":1"}}), xcb);
    EXPECT_EQ(choose({{"XDG_SESSION_TYPE", "Wayland"}, {"DISPLAY", ":1"}}), xcb);

    // The user's choice stands, in the environment or on the command line.
    EXPECT_EQ(
        choose(
            {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "wayland"}}),
        "");
    EXPECT_EQ(choose({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}},
                     {"/tmp", "-platform", "wayland"}),
              "");
    EXPECT_EQ(
        choose({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}}, {"--platform", "offscreen"}),
        "");
    // A blank choice is no choice.
    EXPECT_EQ(
        choose({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", " "}}),
        xcb);

    // No XWayland to run on, or no Wayland at all: the toolkit decides.
    EXPECT_EQ(choose({{"WAYLAND_DISPLAY", "wayland-0"}}), "");
    EXPECT_EQ(choose({{"DISPLAY", ":0"}}), "");
    EXPECT_EQ(choose({{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "x11"}}), "");
    EXPECT_EQ(choose({}), "");
}

} // namespace
