// The browser window's commands: full-size display, save as JPEG, the navigation bar toggle,
// the refresh on return to the program, options, help, launching and file operations.
#include "about/about_box.h"
#include "about/help_viewer.h"
#include "browser/browser_window.h"
#include "browser/jpeg_name.h"
#include "components/image_box.h"
#include "components/media_player.h"
#include "filelists/directory_list_box.h"
#include "filelists/file_list_box.h"
#include "interfaces/full_size_view.h"
#include "interfaces/navigation_bar.h"
#include "interfaces/options_window.h"
#include "options/launching.h"
#include "platform/dialogs.h"
#include "preview/preview_text.h"
#include "settings/settings.h"

#include <QAction>
#include <QLabel>
#include <QToolButton>

void TForm1::BitBtn1Click(QObject*) {
    const interfaces::SelectedFile file = selectedFile();
    if (file.path.isEmpty() || !links_.fullSize)
        return;
    FullSizeShown = true;
    if (links_.navBar)
        links_.navBar->fullSizeWindowShown();
    // Loaded and sized first, so a hidden window appears at its new size. The sound the
    // preview started goes on playing.
    showInFullSize(file);
    if (links_.fullSize->isShown())
        links_.fullSize->raiseWindow();
    else
        links_.fullSize->showWindow();
}

void TForm1::SaveasJPEG1Click(QObject*) {
    const platform::NativePath path(FileListBox1->SelectedNativePath());
    if (path.isEmpty() || preview::isMediaFile(path.display()))
        return;
    platform::FileDialogRequest r;
    r.title = browser::kJpegDialogTitle;
    r.filter = browser::kJpegDialogFilter;
    r.defaultSuffix = QStringLiteral("jpg");
    r.proposedName = browser::proposedJpegName(path.bytes());
    r.fileName = platform::displayText(r.proposedName);
    // The folder shown, where the refresh then lists the new file; the dialog would otherwise
    // open wherever the last dialog was.
    r.folder = CurrentDir;
    r.directory = CurrentDir.display();
    r.overwritePrompt = true;
    r.pathMustExist = true;
    const platform::NativePath target =
        platform::chosenPath(platform::dialogs().saveFileName(this, r), r);
    if (target.isEmpty())
        return;
    Gvbox1->setJPGSaveNativeName(target.bytes());
    ApplicationActivate(nullptr);
}

void TForm1::SpeedButton1Click(QObject*) {
    if (links_.navBar)
        links_.navBar->setShown(SpeedButton1->isChecked());
}

void TForm1::Gvbox1Click(QObject*) {
    FileListBox1->setFocus();
}

void TForm1::ApplicationActivate(QObject*) {
    MediaPlayer1->Close();
    const int position = FileListBox1->ItemIndex();
    const QByteArray folder = FileListBox1->NativeDirectory();
    const QByteArray name = FileListBox1->NativeItem(position);
    DirectoryListBox1->Update();
    FileListBox1->Update();
    // The same file stays selected while it is listed, found by its exact bytes: a file that
    // appeared or went above it must not move the selection onto another file, which the next
    // Ctrl+D would delete. Only a file that is gone hands its position to the one that took
    // it; past the end no file is selected.
    const int same = FileListBox1->NativeDirectory() == folder
                         ? FileListBox1->NativeIndexOf(name, position)
                         : -1;
    FileListBox1->setItemIndex(same >= 0 ? same : position < FileListBox1->Count() ? position : -1);
    FileListBox1Change(nullptr);
}

void TForm1::UseCurrentDirasStartup1Click(QObject*) {
    // The settings file holds text: a folder name that is no valid UTF-8 is stored as it reads.
    settings::Settings().writeText(settings::keys::StartupDir, CurrentDir.display());
    Options.StartupDir = CurrentDir.display();
}

void TForm1::SaveWindowLocations1Click(QObject*) {
    if (links_.options)
        links_.options->saveWindowLocations();
}

void TForm1::Options1Click(QObject*) {
    if (links_.options)
        links_.options->open();
}

void TForm1::Options2Click(QObject* sender) {
    Options1Click(sender);
}

void TForm1::BitBtn3Click(QObject* sender) {
    Options1Click(sender);
}

void TForm1::About1Click(QObject*) {
    if (links_.aboutBox)
        links_.aboutBox->showNonModal();
}

void TForm1::AboutGlimra1Click(QObject* sender) {
    About1Click(sender);
}

void TForm1::Contents1Click(QObject*) {
    about::WinHelp(HelpFile, about::HELP_FINDER, 0);
}

void TForm1::ExploreFromHere1Click(QObject*) {
    options::exploreFromHere(this, Options.UseExplorer, CurrentDir);
}

void TForm1::Openwith1Click(QObject*) {
    options::openWith(this, Options.Menu1Command, CurrentFile);
}

void TForm1::Openwith2Click(QObject*) {
    options::openWith(this, Options.Menu2Command, CurrentFile);
}

void TForm1::updateOpenWithItems() {
    const options::OpenWithItemState one =
        options::openWithItemState(Options.Menu1Descrip, Options.Menu1Command, CurrentFile);
    const options::OpenWithItemState two =
        options::openWithItemState(Options.Menu2Descrip, Options.Menu2Command, CurrentFile);
    Openwith1->setText(one.caption);
    Openwith1->setEnabled(one.enabled);
    Openwith2->setText(two.caption);
    Openwith2->setEnabled(two.enabled);
}

void TForm1::runFileCommand(options::FileCommand command, const options::FileRules& rules) {
    // The player lets go of the file first, also when the command then does nothing.
    MediaPlayer1->Close();
    if (options::runFileCommand(this, command,
                                platform::NativePath(FileListBox1->SelectedNativePath()),
                                CurrentFile, rules))
        ApplicationActivate(nullptr);
}

void TForm1::DeleteCurrentFile1Click(QObject*) {
    runFileCommand(options::FileCommand::Delete, {Options.AllowDel, Options.PromptDel,
                                                  Options.SendRecycle, Options.UseShellFileOps});
}

void TForm1::CopyCurrentFile1Click(QObject*) {
    runFileCommand(options::FileCommand::Copy,
                   {Options.AllowCopy, Options.PromptCopy, false, Options.UseShellFileOps});
}

void TForm1::MoveCurrentFile1Click(QObject*) {
    runFileCommand(options::FileCommand::Move,
                   {Options.AllowMove, Options.PromptMove, false, Options.UseShellFileOps});
}
