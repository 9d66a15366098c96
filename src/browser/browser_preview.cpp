// The browser's preview update and the media player's completion notice.
#include "browser/browser_window.h"
#include "browser/media_picture.h"
#include "browser/preview_text.h"
#include "browser/window_instances.h"
#include "components/image_box.h"
#include "components/media_player.h"
#include "filelists/file_list_box.h"
#include "platform/native_path.h"
#include "viewer/full_size_window.h"

#include <QLabel>

void TForm1::FileListBox1Change(QObject*) {
    if (!startFile_.isEmpty() && FileListBox1->Count() > 0)
        selectStartFile();
    // The status line shows the name as text; the readers get a path that reaches the file
    // even when its name is no valid UTF-8.
    const QString shown = FileListBox1->SelectedPath();
    const QString path = platform::readablePath(FileListBox1->SelectedNativePath());
    CurrentFile = shown;
    if (browser::isMediaFile(path)) {
        previewMedia(path, shown);
        return;
    }

    // A picture, or no file at all. A player that is open but stopped stays open.
    if (MediaPlayer1->Mode() == mpPlaying)
        MediaPlayer1->Close();
    // The picture is read by its native bytes: no stand-in link is needed for odd names.
    Gvbox1->setNativeFileName(FileListBox1->SelectedNativePath());
    if (path.isEmpty()) {
        Panel1->setText(browser::kNoFileLoaded);
        Panel6->setText(browser::kFileSizeEmpty);
        if (FullSizeShown && Form2)
            Form2->hide();
    } else {
        Panel6->setText(browser::fileSizeLine(browser::fileLength(path)));
        Panel1->setText(
            browser::imageStatusLine(shown, Gvbox1->bmpw(), Gvbox1->bmph(), Gvbox1->bmpc()));
    }
    // The full-size window follows the selection even while hidden. It is loaded and sized
    // before it shows, so it appears at its new size.
    if (FullSizeShown && Form2) {
        Form2->Gvbox1->setNativeFileName(FileListBox1->SelectedNativePath());
        Form2->resetToNaturalSize(false);
        Form2->Panel1->setText(
            browser::imageStatusLine(shown, Gvbox1->bmpw(), Gvbox1->bmph(), Gvbox1->bmpc()));
        if (!path.isEmpty())
            Form2->show();
    }
}

void TForm1::selectStartFile() {
    // Once only: the first rows read are those of the picture's folder.
    for (int row = 0; row < FileListBox1->Count() && FileListBox1->ItemIndex() < 0; ++row)
        if (FileListBox1->Item(row) == startFile_)
            FileListBox1->setItemIndex(row);
    startFile_.clear();
}

void TForm1::previewMedia(const QString& path, const QString& shown) {
    // The size is read first: a file that cannot be read leaves the player untouched.
    Panel6->setText(browser::fileSizeLine(browser::fileLength(path)));
    browser::showMediaPicture(*Gvbox1, path, Options.ExecDir);
    if (FullSizeShown && Form2) {
        const bool placeholder = browser::showMediaPicture(*Form2->Gvbox1, path, Options.ExecDir);
        Form2->Panel1->setText(shown);
        Form2->resetToNaturalSize(placeholder);
        Form2->show();
    }
    if (MediaPlayer1->Mode() == mpPlaying) {
        MediaPlayer1->Notify = true;
        MediaPlayer1->Close();
    }
    MediaPlayer1->FileName = path;
    MediaPlayer1->Open();
    MediaPlayer1->Wait = false;
    MediaPlayer1->Play();
    if (MediaPlayer1->Mode() == mpPlaying)
        Panel1->setText(shown + QStringLiteral(" - Playing"));
}

void TForm1::MediaPlayer1Notify(QObject*) {
    if (MediaPlayer1->Mode() == mpStopped)
        Panel1->setText(FileListBox1->SelectedPath() + QStringLiteral(" - Stopped"));
}
