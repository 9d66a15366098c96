// The program's version, written in this one place. The build reads it from here for the
// package, the manual page and the desktop metadata, and every text that shows the version
// (the window titles, the about box, --version) is built from it.
#pragma once

#define GLIMRA_VERSION "2.0"
