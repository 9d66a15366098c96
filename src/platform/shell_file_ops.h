// Shell file operations: delete to the trash (the trash as freedesktop.org lays it out) or for
// good, copy and move that replace an existing target without asking (the program has asked
// already), a progress window for long operations and the shell's own error box on failure.
#pragma once

#include "platform/native_path.h"

#include <QString>
#include <chrono>

class QWidget;

namespace platform {

enum class ShellOperation { Move = 1, Copy = 2, Delete = 3 };

struct ShellRequest {
    ShellOperation operation = ShellOperation::Delete;
    NativePath from;
    NativePath to;          // copy and move
    bool allowUndo = false; // delete: to the trash
};

// Carries out the request. A failure is shown in the shell's error box (captions "Error
// Deleting File or Folder", "Error Copying File or Folder", "Error Moving File or Folder") with
// the system's reason; the return value says whether it succeeded. Copies, moves across
// volumes and deletions copied into the home trash show a progress window with Cancel once
// they last half a second.
bool shellFileOperation(QWidget* parent, const ShellRequest& request);

// How long an operation runs before its progress window shows: half a second, unless a test
// wants the window at once.
void setProgressWindowDelay(std::chrono::milliseconds delay);

} // namespace platform
