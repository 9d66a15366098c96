// Row heights of the three list controls, computed from their font.
#pragma once

class QFont;

namespace filelists {

// The text height plus a quarter (remainder dropped) of the smaller of it and the system
// font's text height.
int adjustedTextHeight(int textHeight, int systemTextHeight);

// From the two text heights: the drive selector's rows are at least as high as RZ_FLOPPY (13),
// the directory list's as RZ_OPENFOLDER plus one (17), the file list's 18.
int driveRowHeight(int textHeight, int systemTextHeight);
int directoryRowHeight(int textHeight);
int fileRowHeight(int textHeight, int systemTextHeight);

// The text-metric height of a font, and of the desktop's system font.
int textHeight(const QFont& font);
int systemTextHeight();

} // namespace filelists
