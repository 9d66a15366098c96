// How the real file dialogs and message boxes are set up before they run (they are never run
// modally here).
#include "fake_dialogs.h"
#include "platform/dialogs.h"
#include "platform/window_caption.h"
#include "test_env.h"

#include <QAbstractProxyModel>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTreeView>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// The names a prepared dialog would list in folder, once its model has read them all.
QStringList offered(QFileDialog& dialog, const QString& folder, int entries) {
    dialog.setDirectory(folder);
    QAbstractProxyModel* proxy = dialog.proxyModel();
    auto* files = qobject_cast<QFileSystemModel*>(proxy ? proxy->sourceModel() : nullptr);
    if (!files) {
        ADD_FAILURE() << "the dialog lists through no filtering model";
        return {};
    }
    const QModelIndex root = files->index(folder);
    const QDeadlineTimer deadline(5000);
    while (files->rowCount(root) < entries && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    const QModelIndex shown = proxy->mapFromSource(root);
    QStringList names;
    for (int row = 0; row < proxy->rowCount(shown); ++row)
        names << proxy->index(row, 0, shown).data().toString();
    names.sort();
    return names;
}

TEST(FileDialogSetup, ProgramChooserListsFoldersAndProgramsOnly) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto make = [&](const QString& name, QFile::Permissions extra) {
        test::writeFile(dir.filePath(name), "#!/bin/sh\n");
        QFile::setPermissions(dir.filePath(name), QFile::ReadOwner | QFile::WriteOwner | extra);
    };
    make("viewer", QFile::ExeOwner);
    make("editor.sh", QFile::ExeOwner);
    make("notes.txt", {});
    make("setup.exe", {}); // a name is no reason to run it
    ASSERT_TRUE(QDir(dir.path()).mkdir("tools"));

    QFileDialog dialog;
    platform::FileDialogRequest r;
    r.filter = "Executable File|*";
    r.executablesOnly = true;
    platform::prepareFileDialog(dialog, r);
    EXPECT_EQ(offered(dialog, dir.path(), 5), (QStringList{"editor.sh", "tools", "viewer"}));
}

TEST(FileDialogSetup, OtherDialogsFilterByName) {
    QFileDialog dialog;
    platform::FileDialogRequest r;
    r.title = "Glimra File Operation";
    r.filter = "*.jpeg|*.jpeg";
    r.defaultSuffix = "jpeg";
    platform::prepareFileDialog(dialog, r);
    EXPECT_EQ(dialog.proxyModel(), nullptr);
    EXPECT_EQ(dialog.nameFilters(), QStringList{"*.jpeg (*.jpeg)"});
    EXPECT_EQ(dialog.defaultSuffix(), "jpeg");
    EXPECT_EQ(dialog.windowTitle(), "Glimra File Operation");
}

TEST(FileDialogSetup, OpensLargeEnoughToReadTheColumnsOfAFolder) {
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    platform::FileDialogRequest r;
    r.title = "Glimra File Operation";
    platform::prepareFileDialog(dialog, r);
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    EXPECT_GE(dialog.width(), std::min(800, screen.width() * 9 / 10));
    EXPECT_GE(dialog.height(), std::min(500, screen.height() * 9 / 10));
    EXPECT_LE(dialog.width(), screen.width());
    EXPECT_LE(dialog.height(), screen.height());
    auto* view = dialog.findChild<QTreeView*>("treeView");
    ASSERT_NE(view, nullptr);
    EXPECT_GT(view->header()->sectionSize(1), view->fontMetrics().horizontalAdvance("1023.9 KiB"))
        << "a size such as 727.5 KiB reads whole";
}

TEST(MessageBoxes, WideEnoughForTheirCaptionWithTheIconTheirKindCallsFor) {
    using platform::MessageButton;
    using platform::MessageIcon;
    struct Case {
        platform::MessageRequest request;
        QMessageBox::Icon icon;
    };
    const Case cases[] = {
        {{platform::kMessageCaption,
          "File Deletion Not Allowed.",
          platform::iconForCaption(platform::kMessageCaption),
          {MessageButton::Ok}},
         QMessageBox::Information},
        {{platform::kErrorCaption,
          "Must Enter Password or uncheck Password Protection",
          platform::iconForCaption(platform::kErrorCaption),
          {MessageButton::Ok}},
         QMessageBox::Critical},
        {{"Glimra File Operation",
          "x.png\nThis file does not exist.",
          MessageIcon::Question,
          {MessageButton::Yes, MessageButton::No}},
         QMessageBox::Question},
        {{"Glimra Version 2.0", "File not found.", MessageIcon::Error, {MessageButton::Ok}},
         QMessageBox::Critical},
    };
    for (const Case& c : cases) {
        const auto box = platform::makeMessageBox(nullptr, c.request);
        box->show();
        QCoreApplication::processEvents();
        const std::string what = c.request.caption.toStdString();
        EXPECT_EQ(box->windowTitle(), c.request.caption) << what;
        EXPECT_GE(box->width(), platform::captionedWindowWidth(c.request.caption)) << what;
        EXPECT_EQ(box->icon(), c.icon) << what;
        EXPECT_EQ(box->buttons().size(), c.request.buttons.size()) << what;
        // A box of fixed size that offers no maximizing.
        EXPECT_EQ(box->minimumSize(), box->maximumSize()) << what;
        EXPECT_FALSE(box->windowFlags().testFlag(Qt::WindowMaximizeButtonHint)) << what;
        EXPECT_EQ(box->textFormat(), Qt::PlainText) << what;
        box->close();
    }
    // A longer caption needs a wider window.
    EXPECT_GT(platform::captionedWindowWidth("Glimra File Operation"),
              platform::captionedWindowWidth("Glimra Message"));
}

TEST(MessageBoxes, NoticesAndErrorsCarryTheirIcons) {
    test::FakeDialogs dialogs;
    platform::showMessage(nullptr, platform::kMessageCaption, "Password not valid.");
    platform::showMessage(nullptr, platform::kErrorCaption, "Unable to Open Program.");
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(dialogs.messages[0].icon, platform::MessageIcon::Information);
    EXPECT_EQ(dialogs.messages[1].icon, platform::MessageIcon::Error);
}

} // namespace

namespace {

TEST(FileDialogSetup, ChosenNamesAreCheckedBeforeTheDialogAccepts) {
    QTemporaryDir dir;
    test::writeFile(dir.filePath("there.jpg"), "x");
    using platform::ChosenFileCheck;
    platform::FileDialogRequest jpeg;
    jpeg.title = "Glimra Save As JPEG Dialog";
    jpeg.pathMustExist = true;
    platform::FileDialogRequest copy = jpeg;
    copy.fileMustExist = copy.createPrompt = true;
    platform::FileDialogRequest open;
    open.fileMustExist = true;
    const struct {
        const platform::FileDialogRequest& request;
        QString chosen;
        ChosenFileCheck::Verdict verdict;
        QString text;
    } cases[] = {
        {jpeg, dir.filePath("new.jpg"), ChosenFileCheck::Accept, {}},
        {jpeg, dir.filePath("there.jpg"), ChosenFileCheck::Accept, {}},
        {jpeg, dir.filePath("missing/new.jpg"), ChosenFileCheck::Refuse,
         dir.filePath("missing") + "\nPath does not exist.\nCheck the path and try again."},
        {copy, dir.filePath("missing/there.jpg"), ChosenFileCheck::Refuse,
         dir.filePath("missing") + "\nPath does not exist.\nCheck the path and try again."},
        {copy, dir.filePath("there.jpg"), ChosenFileCheck::Accept, {}},
        {copy, dir.filePath("new.jpg"), ChosenFileCheck::AskToCreate,
         "new.jpg\nThis file does not exist.\nDo you want to create it?"},
        {open, dir.filePath("new.jpg"), ChosenFileCheck::Refuse,
         "new.jpg\nFile not found.\nCheck the file name and try again."},
    };
    for (const auto& c : cases) {
        const ChosenFileCheck check = platform::checkChosenFile(c.request, c.chosen);
        EXPECT_EQ(check.verdict, c.verdict) << c.chosen.toStdString();
        EXPECT_EQ(check.message.text, c.text);
    }
    EXPECT_EQ(platform::checkChosenFile(jpeg, dir.filePath("missing/new.jpg")).message.caption,
              "Glimra Save As JPEG Dialog");

    // A folder and a file whose names are not valid UTF-8 are shown with U+FFFD; the dialog's
    // answer is checked as the bytes it stands for, so both are found.
    const platform::NativePath odd =
        platform::NativePath(QFile::encodeName(dir.path())).child("caf\xE9");
    ASSERT_EQ(::mkdir(odd.c_str(), 0755), 0);
    test::writeNativeFile(odd.child("a\xff.jpg").bytes(), "x");
    for (platform::FileDialogRequest* r : {&jpeg, &copy}) {
        r->folder = odd;
        r->proposedName = "a\xff.jpg";
    }
    const QString shown = odd.display() + "/" + platform::displayText("a\xff.jpg");
    EXPECT_EQ(platform::checkChosenFile(jpeg, odd.display() + "/new.jpg").verdict,
              ChosenFileCheck::Accept);
    EXPECT_EQ(platform::checkChosenFile(copy, shown).verdict, ChosenFileCheck::Accept);
    EXPECT_EQ(platform::chosenPath(shown, copy), odd.child("a\xff.jpg"));
    test::removeNativeTree(odd.bytes());
}

TEST(FileDialogResult, FolderAndProposedNameComeBackAsTheirBytes) {
    using platform::chosenPath;
    using platform::NativePath;
    const NativePath folder("/pics/caf\xE9");
    const QByteArray proposal("a\xff.jpg");
    const QString shownFolder = folder.display();
    const QString shownName = platform::displayText(proposal);
    EXPECT_EQ(chosenPath(shownFolder + "/" + shownName, folder, proposal).bytes(),
              "/pics/caf\xE9/a\xff.jpg");
    // A name the user typed, or another folder, is the text typed.
    EXPECT_EQ(chosenPath(shownFolder + "/b.jpg", folder, proposal).bytes(), "/pics/caf\xE9/b.jpg");
    EXPECT_EQ(chosenPath("/tmp/" + shownName, folder, proposal).bytes(), "/tmp/a\xff.jpg");
    EXPECT_EQ(chosenPath(QString::fromUtf8("/tmp/\xC3\xA9.jpg"), folder, proposal).bytes(),
              "/tmp/\xC3\xA9.jpg");
    EXPECT_TRUE(chosenPath({}, folder, proposal).isEmpty());
}

} // namespace
