// Shell file operations: delete to the trash (the freedesktop.org Trash specification) or for
// good, copy and move that replace an existing target without asking (the program has asked
// already), a progress window for long operations and the shell's own error box on failure.
#pragma once

#include <QString>

class QWidget;

namespace platform {

enum class ShellOperation { Move = 1, Copy = 2, Delete = 3 };

struct ShellRequest {
    ShellOperation operation = ShellOperation::Delete;
    QString from;
    QString to;             // copy and move
    bool allowUndo = false; // delete: to the trash
};

// Carries out the request. A failure is shown in the shell's error box (captions "Error
// Deleting File or Folder", "Error Copying File or Folder", "Error Moving File or Folder") with
// the system's reason; the return value says whether it succeeded.
bool shellFileOperation(QWidget* parent, const ShellRequest& request);

// The folder of the trash in use: $XDG_DATA_HOME/Trash (by default ~/.local/share/Trash).
QString homeTrashPath();

// Puts a file into the home trash: the file under Trash/files, a .trashinfo record with its
// original path and the deletion time under Trash/info. Returns false with errno on failure.
bool moveToTrash(const QString& path);

} // namespace platform
