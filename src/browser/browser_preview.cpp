// The browser's preview update, the media player's completion notice, and the preview pane and
// file list as the other windows reach them.
#include "browser/browser_window.h"
#include "components/image_box.h"
#include "components/media_player.h"
#include "components/picture_loader.h"
#include "filelists/file_list_box.h"
#include "interfaces/full_size_view.h"
#include "platform/native_path.h"
#include "preview/preview_text.h"

#include <QFile>
#include <QLabel>

void TForm1::FileListBox1Change(QObject*) {
    if (!startFile_.isEmpty() && FileListBox1->Count() > 0)
        selectStartFile();
    // The status line shows the name as text; the readers get a path that reaches the file
    // even when its name is no valid UTF-8.
    const interfaces::SelectedFile file = selectedFile();
    CurrentFile = platform::NativePath(file.native);
    if (preview::isMediaFile(file.path)) {
        previewMedia(file);
        return;
    }

    // A picture, or no file at all. A player that is open but stopped stays open.
    stopPlaying();
    // The picture is read by its native bytes: no stand-in link is needed for odd names.
    Gvbox1->setNativeFileName(file.native);
    if (file.path.isEmpty()) {
        Panel1->setText(preview::kNoFileLoaded);
        Panel6->setText(preview::kFileSizeEmpty);
        if (FullSizeShown && links_.fullSize)
            links_.fullSize->hideWindow();
    } else {
        showFileSize(file.path);
        Panel1->setText(
            preview::imageStatusLine(file.shown, Gvbox1->bmpw(), Gvbox1->bmph(), Gvbox1->bmpc()));
    }
    // The full-size window follows the selection even while hidden. It is loaded and sized
    // before it shows, so it appears at its new size.
    if (FullSizeShown && links_.fullSize) {
        showInFullSize(file);
        if (!file.path.isEmpty())
            links_.fullSize->showWindow();
    }
}

void TForm1::selectStartFile() {
    // Once only: the first rows read are those of the picture's folder.
    for (int row = 0; row < FileListBox1->Count() && FileListBox1->ItemIndex() < 0; ++row)
        if (FileListBox1->NativeItem(row) == startFile_)
            FileListBox1->setItemIndex(row);
    startFile_.clear();
}

void TForm1::previewMedia(const interfaces::SelectedFile& file) {
    // The size is read first: a file that cannot be read leaves the player untouched.
    showFileSize(file.path);
    showMediaPictureInPreview(file.path);
    if (FullSizeShown && links_.fullSize) {
        showInFullSize(file);
        links_.fullSize->showWindow();
    }
    playMediaFile(file.path, file.shown);
}

void TForm1::showInFullSize(const interfaces::SelectedFile& file) {
    if (preview::isMediaFile(file.path))
        links_.fullSize->showMediaPicture(file.path, file.shown);
    else
        links_.fullSize->showPicture(
            file.native,
            preview::imageStatusLine(file.shown, Gvbox1->bmpw(), Gvbox1->bmph(), Gvbox1->bmpc()));
}

void TForm1::stopPlaying() {
    if (MediaPlayer1->Mode() == mpPlaying)
        MediaPlayer1->Close();
}

void TForm1::playMediaFile(const QString& path, const QString& shown) {
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

int TForm1::selectedRow() const {
    return FileListBox1->ItemIndex();
}

int TForm1::rowCount() const {
    return FileListBox1->Count();
}

void TForm1::selectRow(int row) {
    FileListBox1->setItemIndex(row);
}

interfaces::SelectedFile TForm1::selectedFile() const {
    const QByteArray native = FileListBox1->SelectedNativePath();
    return {FileListBox1->SelectedPath(), platform::readablePath(native), native};
}

void TForm1::showPictureInPreview(const QByteArray& nativePath) {
    Gvbox1->setNativeFileName(nativePath);
}

void TForm1::showMediaPictureInPreview(const QString& path) {
    Gvbox1->setFileNameOr(preview::ownPictureOf(path),
                          preview::placeholderFor(path, Options.ExecDir));
}

void TForm1::showStatus(const QString& text) {
    Panel1->setText(text);
}

void TForm1::showFileSize(const QString& path) {
    Panel6->setText(preview::fileSizeLine(preview::fileLength(path)));
}

std::vector<components::DecodeAhead> TForm1::picturesAhead() {
    const int row = FileListBox1->ItemIndex();
    if (row != aheadRow_) {
        if (row >= 0 && aheadRow_ >= 0)
            aheadDirection_ = row > aheadRow_ ? 1 : -1;
        aheadRow_ = row;
    }
    // The selected row first: both boxes show it, one after the other.
    std::vector<int> rows = components::rowsAhead(row, FileListBox1->Count(), aheadDirection_);
    if (row >= 0)
        rows.insert(rows.begin(), row);
    std::vector<components::DecodeAhead> ahead;
    for (int r : rows) {
        const QByteArray path = FileListBox1->NativePathOf(r);
        // Sounds and videos show a placeholder picture, decoded once.
        if (preview::isMediaFile(QFile::decodeName(path)))
            continue;
        ahead.push_back({path, Gvbox1->decodeHint()});
        if (FullSizeShown)
            ahead.push_back({path, QSize()});
    }
    return ahead;
}
