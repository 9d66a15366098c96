// Delete, copy and move of the current file under the user's file-management rules.
#pragma once

#include "platform/dialogs.h"
#include "platform/native_path.h"

#include <QString>

class QWidget;

namespace options {

enum class FileCommand { Delete, Copy, Move };

// The rules that apply to one command, taken from the browser window's members.
struct FileRules {
    bool allow = false;       // AllowDel / AllowCopy / AllowMove
    bool prompt = false;      // PromptDel / PromptCopy / PromptMove
    bool sendRecycle = false; // deletion to the trash (shell operations only)
    bool useShell = false;    // UseShellFileOps
};

// The target dialog of copy and move: the source's own name in its own folder, a filter of the
// source's extension, and the extension of currentFile (at most four letters) as default.
platform::FileDialogRequest fileOperationDialog(const platform::NativePath& source,
                                                const platform::NativePath& currentFile);

// Runs a command on source, the exact path of the selected file: the permission, the target
// dialog, the confirmation, then the shell or plain operation. Returns true when the operation
// was attempted, whatever its outcome, so the caller refreshes the lists; false when the
// command stopped before.
bool runFileCommand(QWidget* parent, FileCommand command, const platform::NativePath& source,
                    const platform::NativePath& currentFile, const FileRules& rules);

} // namespace options
