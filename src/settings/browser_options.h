// BrowserOptions: the browser's options, the one in-memory copy of [Options] of GLIM.INI, with
// the table that ties each option to its key.
#pragma once

#include "settings/settings.h"

#include <QString>
#include <variant>

namespace settings {

// Read once when the browser window is created; the options dialog edits a copy and the
// browser takes it back on OK. File operations and launching read it at each command.
struct BrowserOptions {
    bool UseExplorer = false;     // "Explore From Here" rather than "Open File Manager"
    bool UseShellFileOps = false; // file operations through the shell layer (trash, progress)
    int DisplayFilter = 0;        // 0 all files, 1 graphic, 2 multimedia; others keep the mask
    QString ExecDir;              // folder of the help file and the placeholder pictures
    QString StartupDir;
    QString Menu1Descrip;
    QString Menu1Command;
    QString Menu2Descrip;
    QString Menu2Command;
    bool PasswordProtect = false; // the options dialog's file-management page asks first
    QString AccessPassword;
    bool AllowDel = false;
    bool PromptDel = false;
    bool SendRecycle = false;
    bool AllowCopy = false;
    bool PromptCopy = false;
    bool AllowMove = false;
    bool PromptMove = false;
};

// One option: its key, the member that holds it, and whether the options dialog writes it.
struct BrowserOption {
    const SettingKey& key;
    std::variant<bool BrowserOptions::*, int BrowserOptions::*, QString BrowserOptions::*> member;
    // The key's default when it is missing from the file; null: the key table's default.
    QString (*defaultText)() = nullptr;
    bool savedByDialog = true;
};

// The folder of the help file and placeholder pictures when GLIM.INI names none: the installed
// data folder, or the source tree's data/ when the program runs from its build folder.
QString defaultExecDir();

// Every option, in the order the options dialog writes them (new keys are appended to the file
// in this order). ExecDir is set in GLIM.INI by hand only.
inline const BrowserOption kBrowserOptions[] = {
    {keys::Explorer, &BrowserOptions::UseExplorer},
    {keys::WinFileOps, &BrowserOptions::UseShellFileOps},
    {keys::Display, &BrowserOptions::DisplayFilter},
    {keys::ExecDir, &BrowserOptions::ExecDir, defaultExecDir, false},
    {keys::StartupDir, &BrowserOptions::StartupDir},
    {keys::Menu1Descrip, &BrowserOptions::Menu1Descrip},
    {keys::Menu1Command, &BrowserOptions::Menu1Command},
    {keys::Menu2Descrip, &BrowserOptions::Menu2Descrip},
    {keys::Menu2Command, &BrowserOptions::Menu2Command},
    {keys::PasswordProtect, &BrowserOptions::PasswordProtect},
    {keys::String1, &BrowserOptions::AccessPassword},
    {keys::AllowDel, &BrowserOptions::AllowDel},
    {keys::PromptDel, &BrowserOptions::PromptDel},
    {keys::SendRecycle, &BrowserOptions::SendRecycle},
    {keys::AllowCopy, &BrowserOptions::AllowCopy},
    {keys::PromptCopy, &BrowserOptions::PromptCopy},
    {keys::AllowMove, &BrowserOptions::AllowMove},
    {keys::PromptMove, &BrowserOptions::PromptMove},
};

// Reads every option into options, in table order, opening the file anew for each. A number
// that is no integer raises "'%s' is not a valid integer value": the options read before it
// keep their new values, the later ones their old ones.
void readBrowserOptions(const Settings& ini, BrowserOptions& options);

// Writes every option the dialog saves, in table order; flags as "1"/"0", a number as decimal
// text unless it is negative (no choice made: the file keeps its number). A refused write
// raises "Unable to write to GLIM.INI" and leaves the later keys unwritten.
void writeBrowserOptions(const Settings& ini, const BrowserOptions& options);

// ExecDir as GLIM.INI gives it, else the data folder.
QString readExecDir(const Settings& ini);

// The help file of an ExecDir.
QString helpFileIn(const QString& execDir);

} // namespace settings
