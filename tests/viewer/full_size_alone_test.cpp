// The full-size window on its own, given a recording browser: what stepping tells the browser,
// in which order, and where a failed read stops it.
#include "components/image_box.h"
#include "interfaces/browser.h"
#include "interfaces/navigation_bar.h"
#include "platform/errors.h"
#include "preview/preview_text.h"
#include "viewer/full_size_window.h"
#include "viewer/zoom.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A browser whose file list holds files and which writes down every request, by file name.
class RecordingBrowser : public interfaces::Browser {
public:
    QStringList files;
    int row = -1;
    bool sizeUnreadable = false;
    QStringList calls;
    settings::BrowserOptions opts;

    int selectedRow() const override { return row; }
    int rowCount() const override { return int(files.size()); }
    void selectRow(int r) override {
        row = r;
        calls << QStringLiteral("select %1").arg(r);
    }
    interfaces::SelectedFile selectedFile() const override {
        if (row < 0)
            return {};
        return {files[row], files[row], QFile::encodeName(files[row])};
    }
    void previewSelection() override { calls << "preview"; }
    void showPictureInPreview(const QByteArray& nativePath) override {
        calls << "box " + name(QFile::decodeName(nativePath));
    }
    void showMediaPictureInPreview(const QString& path) override {
        calls << "media picture " + name(path);
    }
    void showStatus(const QString& text) override { calls << "status " + text; }
    void showFileSize(const QString& path) override {
        if (sizeUnreadable)
            throw platform::InOutError(2);
        calls << "size " + name(path);
    }
    void stopPlaying() override { calls << "stop"; }
    void playMediaFile(const QString& path, const QString&) override {
        calls << "play " + name(path);
    }
    void displayFullSize() override {}
    void saveAsJpeg() override {}
    void bringToFront() override {}
    void closeProgram() override {}
    void popupMenu(QPoint) override {}
    void fullSizeWindowClosed() override { calls << "closed"; }
    void navigationBarClosed() override {}
    const settings::BrowserOptions& options() const override { return opts; }
    void applyOptions(const settings::BrowserOptions&) override {}
    QString currentDir() const override { return {}; }
    interfaces::BrowserPlacement placement() const override { return {}; }
    void restoreDesignedPlacement() override {}

    static QString name(const QString& path) { return QFileInfo(path).fileName(); }
};

class RecordingBar : public interfaces::NavigationBar {
public:
    QList<int> steps;
    int closings = 0;
    void setShown(bool) override {}
    void fullSizeWindowShown() override {}
    void fullSizeWindowClosed() override { ++closings; }
    void zoomStepShown(int step) override { steps << step; }
};

class FullSizeAlone : public ::testing::Test {
protected:
    void SetUp() override {
        picture = folder.filePath("a.bmp");
        QImage(30, 20, QImage::Format_RGB32).save(picture);
        browser.files = {picture, folder.filePath("b.wav")};
        browser.opts.ExecDir = folder.path();
        window.setNavigationBar(&bar);
    }

    QTemporaryDir folder;
    QString picture;
    RecordingBrowser browser;
    RecordingBar bar;
    TForm2 window{&browser};
};

TEST_F(FullSizeAlone, SteppingKeepsTheBrowserInStepWithWhatTheWindowShows) {
    browser.row = 0;
    window.NextImage1Click(nullptr);
    // A media file: its size is read before anything changes, then its placeholder shows in
    // both boxes and the browser plays it.
    EXPECT_EQ(browser.calls,
              (QStringList{"select 1", "size b.wav", "media picture b.wav", "play b.wav"}));
    EXPECT_EQ(window.Gvbox1->FileName(), folder.filePath("Wave.bmp"));
    EXPECT_EQ(window.Panel1->text(), browser.files[1]);

    browser.calls.clear();
    window.PreviousImage1Click(nullptr);
    // A picture: the player stops, and both status lines describe the full-size box.
    const QString status = preview::imageStatusLine(picture, 30, 20, 24);
    EXPECT_EQ(browser.calls,
              (QStringList{"select 0", "stop", "box a.bmp", "status " + status, "size a.bmp"}));
    EXPECT_EQ(window.Panel1->text(), status);
    EXPECT_EQ(bar.steps.last(), viewer::kNaturalStep);

    // At the first row, Previous does nothing at all; so does Next at the last.
    browser.calls.clear();
    window.PreviousImage1Click(nullptr);
    browser.row = 1;
    window.NextImage1Click(nullptr);
    EXPECT_TRUE(browser.calls.isEmpty()) << browser.calls.join(", ").toStdString();

    window.close();
    EXPECT_EQ(bar.closings, 1);
    EXPECT_EQ(browser.calls, QStringList{"closed"});
}

TEST_F(FullSizeAlone, AMediaFileThatCannotBeReadIsNeverPlayed) {
    browser.row = 0;
    browser.sizeUnreadable = true;
    EXPECT_THROW(window.NextImage1Click(nullptr), platform::InOutError);
    EXPECT_EQ(browser.calls, QStringList{"select 1"});
    EXPECT_TRUE(window.Gvbox1->FileName().isEmpty());
}

} // namespace
