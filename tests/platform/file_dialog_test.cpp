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
