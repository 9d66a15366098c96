// How the real file dialogs are set up before they run (they are never run here).
#include "platform/dialogs.h"
#include "test_env.h"

#include <QAbstractProxyModel>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTemporaryDir>
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

} // namespace
