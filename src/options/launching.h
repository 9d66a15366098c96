// Starting outside programs: the desktop's file browser on the current folder, a file manager,
// and the two "Open with" commands on the current file.
#pragma once

#include "platform/native_path.h"

#include <QString>

class QWidget;

namespace options {

inline const QString kExploreFailed = QStringLiteral(
    "Unable to Open Explorer/File Manager.  Check File Manager Setting in Option Screen.");
inline const QString kOpenWithNoFile =
    QStringLiteral("Select a File before using Open with... Command");
inline const QString kOpenWithFailed =
    QStringLiteral("Unable to Open Program.  Check Command Line in Options.");

// The file managers tried, in order, when "Open File Manager" is chosen.
inline const char* const kFileManagers[] = {"pcmanfm", "thunar",   "nemo",
                                            "caja",    "nautilus", "dolphin"};

// With useExplorer, starts xdg-open with currentDir as its one argument; otherwise the first
// file manager found on PATH, without arguments. A failed start shows kExploreFailed.
void exploreFromHere(QWidget* parent, bool useExplorer, const platform::NativePath& currentDir);

// Starts command (split by double-quote rules) with currentFile appended as one argument of
// its own. No current file shows kOpenWithNoFile; a failed start kOpenWithFailed.
void openWith(QWidget* parent, const QString& command, const platform::NativePath& currentFile);

// How an "Open with" item looks: usable, captioned "Open with <description>", when it has a
// command and a file is current; otherwise "Open with..." and disabled.
struct OpenWithItemState {
    QString caption;
    bool enabled = false;
};
OpenWithItemState openWithItemState(const QString& description, const QString& command,
                                    const platform::NativePath& currentFile);

} // namespace options
