// A video sink for tests that behaves like the desktop's sinks towards the program: it asks for
// a window to draw into and records what it is given, but draws nothing.
#pragma once

#include <cstdint>

namespace test {

// Registers the sink as "glimraoverlaysink" (for GLIMRA_VIDEO_SINK); safe to call again.
void registerOverlaySink();

// What the last sink made was told by the program.
struct OverlaySinkLog {
    std::uintptr_t window = 0; // the window handle it was given
    bool handlesEvents = true; // whether it was left to listen to the window's events
    int exposes = 0;           // redraws asked for
    int windowRequests = 0;    // times it asked for a window
};
OverlaySinkLog overlaySinkLog();
void resetOverlaySinkLog();

} // namespace test
