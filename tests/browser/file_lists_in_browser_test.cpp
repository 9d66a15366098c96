// The browser window's left and middle panes: the three linked lists, the start directory and
// the file-type filter's mask.
#include "browser/browser_window.h"
#include "browser/file_masks.h"
#include "fake_dialogs.h"
#include "filelists/directory_list_box.h"
#include "filelists/drive_combo_box.h"
#include "filelists/file_list_box.h"
#include "platform/screen.h"
#include "platform/volumes.h"
#include "qt_print.h"
#include "test_env.h"

#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class BrowserLists : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setScreenSizeOverride(QSize(1024, 768));
        test::writeIni({});
        ASSERT_TRUE(folder.isValid());
        root = QDir(folder.path()).canonicalPath();
        for (const char* name : {"a.jpg", "B.GIF", "c.wav", "D.MID", "e.rmi", "f.AVI", "g.txt",
                                 ".hidden.png", "h.WebP", "i.mp3", "j.MKV"})
            test::writeFile(root + "/" + name, "x");
        QDir(root).mkdir("sub.png");
    }
    void TearDown() override {
        QDir::setCurrent(launch);
        platform::setScreenSizeOverride(std::nullopt);
        test::writeIni({});
    }
    std::unique_ptr<TForm1> create(const QStringList& arguments) {
        QList<QByteArray> native;
        for (const QString& argument : arguments)
            native << QFile::encodeName(argument);
        auto form = std::make_unique<TForm1>(native);
        form->show();
        return form;
    }
    static QStringList rows(const TRzFileListBox* list) {
        QStringList out;
        for (int i = 0; i < list->Count(); ++i)
            out << list->Item(i);
        return out;
    }

    test::FakeDialogs dialogs;
    QTemporaryDir folder;
    QString root;
    const QString launch = QDir::currentPath();
};

TEST_F(BrowserLists, PanesHoldTheLinkedListsAsDesigned) {
    auto form = create({root});
    EXPECT_EQ(form->DriveComboBox1->parentWidget(), form->Panel3);
    EXPECT_EQ(form->DirectoryListBox1->parentWidget(), form->Panel2);
    EXPECT_EQ(form->FileListBox1->parentWidget(), form->Panel5);
    EXPECT_EQ(form->DriveComboBox1->size(), QSize(145, 22));
    EXPECT_EQ(form->Panel3->height(), 24);
    EXPECT_EQ(form->DirectoryListBox1->ItemHeight(), 17);
    EXPECT_FALSE(form->FileListBox1->ShowGlyphs());
    EXPECT_EQ(form->DriveComboBox1->DirList(), form->DirectoryListBox1);
    EXPECT_EQ(form->DirectoryListBox1->FileList(), form->FileListBox1);
    // The file list fills the middle pane above the file-size line.
    EXPECT_EQ(form->FileListBox1->geometry().bottom() + 1, form->Panel6->geometry().top());
    EXPECT_EQ(form->FileListBox1->width(), form->Panel5->width());
}

TEST_F(BrowserLists, ArgumentDirectoryIsListedWithTheMaskOfDisplayFilterZero) {
    auto form = create({root});
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(form->DirectoryListBox1->Directory(), root);
    EXPECT_EQ(form->CurrentDir.display(), root);
    EXPECT_EQ(form->FileListBox1->Directory(), root);
    EXPECT_EQ(QDir::currentPath(), root);
    EXPECT_EQ(form->FileListBox1->Mask(), browser::kAllTypesMask);
    EXPECT_EQ(rows(form->FileListBox1), (QStringList{"a.jpg", "B.GIF", "c.wav", "D.MID", "e.rmi",
                                                     "f.AVI", "h.WebP", "i.mp3", "j.MKV"}));
    EXPECT_EQ(form->FileListBox1->ItemIndex(), -1);
}

TEST_F(BrowserLists, APictureArgumentOpensItsFolderWithThePictureSelected) {
    auto form = create({root + "/h.WebP"});
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(form->DirectoryListBox1->Directory(), root);
    EXPECT_EQ(form->FileListBox1->ItemIndex(), 6);
    EXPECT_EQ(form->CurrentFile.display(), root + "/h.WebP");
    // A file the mask leaves out opens its folder with nothing selected.
    auto other = create({root + "/g.txt"});
    EXPECT_EQ(other->FileListBox1->Directory(), root);
    EXPECT_EQ(other->FileListBox1->ItemIndex(), -1);
}

TEST_F(BrowserLists, DisplayFilterOneListsGraphicFilesOnly) {
    test::writeIni("[Options]\nDisplay=1\n");
    auto form = create({root});
    EXPECT_EQ(form->FileListBox1->Mask(), browser::kGraphicMask);
    EXPECT_EQ(rows(form->FileListBox1), (QStringList{"a.jpg", "B.GIF", "h.WebP"}));
}

TEST_F(BrowserLists, DisplayFilterTwoListsMultimediaFilesInEitherCase) {
    test::writeIni("[Options]\nDisplay=2\n");
    auto form = create({root});
    EXPECT_TRUE(form->FileListBox1->Mask().startsWith("*.wav;*.mid;*.avi;*.rmi;"));
    EXPECT_EQ(rows(form->FileListBox1),
              (QStringList{"c.wav", "D.MID", "e.rmi", "f.AVI", "i.mp3", "j.MKV"}));
}

TEST_F(BrowserLists, OtherDisplayFilterKeepsTheDesignedMask) {
    test::writeIni("[Options]\nDisplay=5\n");
    auto form = create({root});
    EXPECT_EQ(form->FileListBox1->Mask(), browser::kDesignedMask);
    EXPECT_EQ(rows(form->FileListBox1),
              (QStringList{"a.jpg", "B.GIF", "c.wav", "D.MID", "h.WebP", "i.mp3", "j.MKV"}));
}

TEST_F(BrowserLists, MissingStartDirectoryKeepsTheDesignedMaskAndLaunchDirectory) {
    test::writeIni("[Options]\nDisplay=1\n");
    auto form = create({root + "/gone"});
    EXPECT_EQ(dialogs.texts(), QStringList{"File not found."});
    EXPECT_EQ(form->FileListBox1->Mask(), browser::kDesignedMask);
    EXPECT_EQ(form->DirectoryListBox1->Directory(), launch);
    EXPECT_EQ(form->FileListBox1->Directory(), launch);
}

TEST_F(BrowserLists, NoStartDirectoryLeavesTheListsInTheLaunchDirectory) {
    auto form = create({});
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(form->DirectoryListBox1->Directory(), launch);
    EXPECT_TRUE(form->CurrentDir.isEmpty()) << "no directory change was reported yet";
    EXPECT_EQ(form->DriveComboBox1->NativeDrive(),
              platform::volumeOf(QFile::encodeName(launch)).root);
}

TEST_F(BrowserLists, DirectoryChangeSetsCurrentDir) {
    auto form = create({root});
    form->DirectoryListBox1->setDirectory(root + "/sub.png");
    EXPECT_EQ(form->CurrentDir.display(), root + "/sub.png");
    EXPECT_EQ(form->FileListBox1->Count(), 0);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST(FileMasks, TableFollowsDisplayFilter) {
    using browser::FilterUse;
    using browser::maskForFilter;
    EXPECT_EQ(maskForFilter(0, FilterUse::Creation), browser::kAllTypesMask);
    EXPECT_EQ(maskForFilter(1, FilterUse::OptionsOk), browser::kGraphicMask);
    EXPECT_EQ(maskForFilter(2, FilterUse::Creation), browser::kMultimediaMaskAtCreation);
    EXPECT_EQ(maskForFilter(2, FilterUse::OptionsOk), browser::kMultimediaMaskAfterOptions);
    EXPECT_EQ(maskForFilter(5, FilterUse::Creation), std::nullopt);
    EXPECT_EQ(maskForFilter(-1, FilterUse::OptionsOk), std::nullopt);
}

TEST(FileMasks, OriginalMasksComeFirstInTheirOrderAndTodaysTypesFollow) {
    const QString graphic =
        "*.jpg;*.gif;*.bmp;*.wmf;*.wpg;*.art;*.cut;*.dib;*.emf;*.gem;*.hrz;*.iff;*.img;"
        "*.lbm;*.mac;*.msp;*.pcx;*.pic;*.png;*.ras;*.rle;*.tga;*.tif";
    const QString pictures = ";*.jpeg;*.jpe;*.jfif;*.tiff;*.webp;*.avif;*.heic;*.heif;*.jxl;"
                             "*.svg;*.svgz;*.ico;*.pnm;*.pbm;*.pgm;*.ppm;*.dng;*.cr2;*.cr3;"
                             "*.nef;*.nrw;*.arw;*.orf;*.rw2;*.raf;*.pef;*.srw";
    const QString sound = ";*.mp3;*.ogg;*.oga;*.opus;*.flac;*.m4a;*.aac;*.wma;*.aif;*.aiff";
    const QString video = ";*.mp4;*.m4v;*.mkv;*.webm;*.mov;*.mpg;*.mpeg;*.ogv;*.wmv";
    EXPECT_EQ(browser::kGraphicMask, graphic + pictures);
    EXPECT_EQ(browser::kAllTypesMask,
              graphic + ";*.wav;*.mid;*.rmi;*.avi" + pictures + sound + video);
    EXPECT_EQ(browser::kMultimediaMaskAtCreation, "*.wav;*.mid;*.avi;*.rmi" + sound + video);
    EXPECT_EQ(browser::kMultimediaMaskAfterOptions, "*.wav;*.mid;*.rmi;*.avi" + sound + video);
    // The designed mask still lacks ".rmi" and ".avi".
    EXPECT_EQ(browser::kDesignedMask, graphic + ";*.wav;*.mid" + pictures + sound + video);
}

} // namespace
