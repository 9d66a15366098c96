// interfaces::Browser: what the browser window offers the full-size window, the navigation
// bar and the options dialog.
#pragma once

#include "settings/browser_options.h"

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QString>

namespace interfaces {

// The file of the selected row: its name as shown, a path the readers can open even when the
// name is no valid UTF-8, and the path in the file system's own bytes, which the picture boxes
// read. All are empty when no row is selected.
struct SelectedFile {
    QString shown;
    QString path;
    QByteArray native;
};

// Where the browser window and its splitter stand, as GLIM.INI stores them.
struct BrowserPlacement {
    int splitterLeft = 0;
    QRect outer; // the frame rectangle
};

class Browser {
public:
    // The file list. selectRow moves the selection without running the preview update.
    virtual int selectedRow() const = 0;
    virtual int rowCount() const = 0;
    virtual void selectRow(int row) = 0;
    virtual SelectedFile selectedFile() const = 0;
    // Runs the preview update for the selected row.
    virtual void previewSelection() = 0;

    // The preview pane: the picture box, the status line and the file-size line.
    virtual void showPictureInPreview(const QByteArray& nativePath) = 0;
    // A media file's own picture where it has one, else its placeholder.
    virtual void showMediaPictureInPreview(const QString& path) = 0;
    virtual void showStatus(const QString& text) = 0;
    // Raises an input/output error when the file cannot be read; the line keeps its text then.
    virtual void showFileSize(const QString& path) = 0;

    // The media player: stops a playing file (a stopped one stays open), or plays a media file
    // and says " - Playing" on the status line once it plays.
    virtual void stopPlaying() = 0;
    virtual void playMediaFile(const QString& path, const QString& shown) = 0;

    // The commands the navigation bar runs.
    virtual void displayFullSize() = 0;
    virtual void saveAsJpeg() = 0;
    virtual void bringToFront() = 0;
    virtual void closeProgram() = 0;
    virtual void popupMenu(QPoint at) = 0;

    // Notices from the other windows.
    virtual void fullSizeWindowClosed() = 0;
    virtual void navigationBarClosed() = 0;

    // What the options dialog edits and saves.
    virtual const settings::BrowserOptions& options() const = 0;
    virtual void applyOptions(const settings::BrowserOptions& options) = 0;
    virtual QString currentDir() const = 0;
    virtual BrowserPlacement placement() const = 0;
    // The designed placement: the splitter at its default, 516 x 311, centred on the screen.
    virtual void restoreDesignedPlacement() = 0;

protected:
    ~Browser() = default;
};

} // namespace interfaces
