// The options dialog against a real browser window and GLIM.INI in the private config folder.
#include "browser/browser_window.h"
#include "fake_dialogs.h"
#include "options/gated_tab_widget.h"
#include "options/options_dialog.h"
#include "options/password_dialog.h"
#include "test_env.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class OptionsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeIni({});
        form = std::make_unique<TForm1>(QList<QByteArray>{});
        password = std::make_unique<TPasswordDlg>();
        dialog = std::make_unique<TPagesDlg>(form.get(), password.get());
        TPasswordDlg::modalRunner = [this](TPasswordDlg& d) {
            ++prompts;
            if (typed.isEmpty()) {
                d.CancelBtnClick(nullptr);
                return;
            }
            d.Pass1->setText(typed.takeFirst());
            d.OKBtnClick(nullptr);
        };
    }
    void TearDown() override {
        TPasswordDlg::modalRunner = nullptr;
        QFile::setPermissions(test::iniPath(), QFile::ReadOwner | QFile::WriteOwner);
        test::writeIni({});
    }

    test::FakeDialogs dialogs;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TPasswordDlg> password;
    std::unique_ptr<TPagesDlg> dialog;
    QStringList typed; // answers to the password prompts; none left: Cancel
    int prompts = 0;
};

TEST_F(OptionsDialog, LoadsTheMembersAndKeepsTheEnablingRules) {
    form->Options.StartupDir = "/pics";
    form->Options.UseExplorer = false;
    form->Options.DisplayFilter = 2;
    form->Options.PasswordProtect = true;
    form->Options.AccessPassword = "pw";
    form->Options.AllowDel = false;
    form->Options.AllowCopy = false;
    form->Options.Menu2Command = "eog";
    dialog->open();
    EXPECT_EQ(dialog->Edit1->text(), "/pics");
    EXPECT_EQ(dialog->RadioGroup1->ItemIndex(), 1);
    EXPECT_EQ(dialog->RadioGroup2->ItemIndex(), 2);
    EXPECT_EQ(dialog->Edit5->text(), "eog");
    EXPECT_EQ(dialog->Edit8->text(), "pw");
    EXPECT_EQ(dialog->Edit9->text(), "pw");
    EXPECT_TRUE(dialog->Edit8->isEnabled() && dialog->Edit9->isEnabled());
    EXPECT_FALSE(dialog->CheckBox1->isEnabled() || dialog->CheckBox4->isEnabled());
    EXPECT_FALSE(dialog->CheckBox2->isEnabled());
    EXPECT_TRUE(dialog->CheckBox3->isEnabled());
    EXPECT_EQ(dialog->PageControl1->currentIndex(), TPagesDlg::kGeneralPage);
    // A filter the dialog has no item for chooses none.
    dialog->hide();
    form->Options.DisplayFilter = 7;
    dialog->open();
    EXPECT_EQ(dialog->RadioGroup2->ItemIndex(), -1);
}

TEST_F(OptionsDialog, FailedChecksShowEveryMessageAndSaveNothing) {
    dialog->open();
    dialog->Edit3->setText("gimp");
    dialog->Edit4->setText("View");
    dialog->CheckBox8->setChecked(true);
    dialog->OKBtnClick(nullptr);
    EXPECT_EQ(dialogs.texts(),
              (QStringList{"Must Enter Description for command line on Open with Item 1.",
                           "Must Enter Command Line on Open with Item 2.",
                           "Must Enter Password or uncheck Password Protection"}));
    EXPECT_EQ(dialogs.messages[0].caption, "Glimra Error");
    EXPECT_FALSE(test::iniExists());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(form->Options.Menu1Command.isEmpty());
}

TEST_F(OptionsDialog, OkWritesEveryKeyInOrderAndAppliesThem) {
    dialog->open();
    dialog->RadioGroup1->setItemIndex(1);
    dialog->RadioGroup2->setItemIndex(1);
    dialog->Edit1->setText(" ");
    dialog->Edit2->setText("Edit");
    dialog->Edit3->setText("gimp");
    dialog->CheckBox9->setChecked(true);
    dialog->RadioGroup3->setItemIndex(1);
    dialog->OKBtnClick(nullptr);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    // The blank is quoted, so that the next start reads it back.
    EXPECT_EQ(test::readIni(), "[Options]\nExplorer=0\nWinFileOps=0\nDisplay=1\nStartupDir=\" \"\n"
                               "Menu1Descrip=Edit\nMenu1Command=gimp\nMenu2Descrip=\n"
                               "Menu2Command=\nPassword_Protect=0\nString1=\nAllow_Del=1\n"
                               "Prompt_Del=1\nSend_Recycle=1\nAllow_Copy=1\nPrompt_Copy=1\n"
                               "Allow_Move=1\nPrompt_Move=1\n");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(form->Options.UseExplorer);
    EXPECT_FALSE(form->Options.UseShellFileOps);
    EXPECT_EQ(form->Options.DisplayFilter, 1);
    EXPECT_EQ(form->Options.StartupDir, " ");
    EXPECT_EQ(form->Options.Menu1Command, "gimp");
    EXPECT_TRUE(form->Options.AllowDel);
}

TEST_F(OptionsDialog, UncheckingProtectionErasesThePassword) {
    form->Options.PasswordProtect = true;
    form->Options.AccessPassword = "secret";
    dialog->open();
    dialog->CheckBox8->setChecked(false);
    dialog->OKBtnClick(nullptr);
    EXPECT_TRUE(test::readIni().contains("Password_Protect=0\nString1=\n"));
    EXPECT_TRUE(form->Options.AccessPassword.isEmpty());
    EXPECT_FALSE(form->Options.PasswordProtect);
}

TEST_F(OptionsDialog, RefusedWriteKeepsTheDialogOpenAndTheMembers) {
    test::writeIni("[Options]\nExplorer=1\n");
    QFile::setPermissions(test::iniPath(), QFile::ReadOwner);
    dialog->open();
    dialog->RadioGroup1->setItemIndex(1);
    dialog->OKBtn->click();
    EXPECT_EQ(dialogs.texts(), QStringList{"Unable to write to GLIM.INI."});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(form->Options.UseExplorer);
}

TEST_F(OptionsDialog, PasswordGateAsksAtEveryTurnToFileManagement) {
    dialog->open();
    // Protection off: no prompt.
    dialog->PageControl1->userSelect(TPagesDlg::kFileManagementPage);
    EXPECT_EQ(dialog->PageControl1->currentIndex(), TPagesDlg::kFileManagementPage);
    EXPECT_EQ(prompts, 0);
    dialog->PageControl1->userSelect(TPagesDlg::kGeneralPage);

    form->Options.PasswordProtect = true;
    form->Options.AccessPassword = "Secret";
    typed = {"Secret", "Secret", "secret", "Secret "};
    dialog->PageControl1->userSelect(TPagesDlg::kFileManagementPage);
    EXPECT_EQ(dialog->PageControl1->currentIndex(), TPagesDlg::kFileManagementPage);
    dialog->PageControl1->userSelect(TPagesDlg::kGeneralPage); // leaving never asks
    EXPECT_EQ(prompts, 1);
    dialog->PageControl1->userSelect(TPagesDlg::kFileManagementPage);
    EXPECT_EQ(prompts, 2);
    dialog->PageControl1->userSelect(TPagesDlg::kGeneralPage);
    for (int i = 0; i < 2; ++i) { // wrong case, trailing blank
        dialog->PageControl1->userSelect(TPagesDlg::kFileManagementPage);
        EXPECT_EQ(dialog->PageControl1->currentIndex(), TPagesDlg::kGeneralPage);
    }
    EXPECT_EQ(dialogs.texts(), (QStringList{"Password not valid.", "Password not valid."}));
    // Cancel (no answer left) refuses as well; the typed text never outlives the prompt.
    dialog->PageControl1->userSelect(TPagesDlg::kFileManagementPage);
    EXPECT_EQ(dialog->PageControl1->currentIndex(), TPagesDlg::kGeneralPage);
    EXPECT_EQ(prompts, 5);
    EXPECT_TRUE(password->Pass1->text().isEmpty());
    // Selecting a page from the program never asks.
    dialog->PageControl1->setCurrentIndex(TPagesDlg::kFileManagementPage);
    EXPECT_EQ(prompts, 5);
}

TEST_F(OptionsDialog, TickingProtectionLocksNothingBeforeOk) {
    dialog->open();
    dialog->CheckBox8->setChecked(true);
    dialog->PageControl1->userSelect(TPagesDlg::kFileManagementPage);
    EXPECT_EQ(prompts, 0);
}

TEST_F(OptionsDialog, ProtectionSwitchedOnWithOkLocksTheNextOpening) {
    dialog->open();
    dialog->CheckBox8->setChecked(true);
    dialog->Edit8->setText("pw");
    dialog->Edit9->setText("pw");
    dialog->OKBtnClick(nullptr);
    ASSERT_FALSE(dialog->isVisible());
    EXPECT_TRUE(test::readIni().contains("Password_Protect=1\nString1=pw\n"));
    dialog->open();
    typed = {"pw"};
    dialog->PageControl1->userSelect(TPagesDlg::kFileManagementPage);
    EXPECT_EQ(prompts, 1);
    EXPECT_EQ(dialog->PageControl1->currentIndex(), TPagesDlg::kFileManagementPage);
}

TEST_F(OptionsDialog, EmptyStoredPasswordAndTheCloseBox) {
    // Only a hand-edited file gives protection without a password: an empty answer opens it.
    form->Options.PasswordProtect = true;
    dialog->open();
    typed = {""};
    dialog->PageControl1->userSelect(TPagesDlg::kFileManagementPage);
    EXPECT_EQ(dialog->PageControl1->currentIndex(), TPagesDlg::kFileManagementPage);
    EXPECT_TRUE(password->AccessGranted);
    dialog->PageControl1->userSelect(TPagesDlg::kGeneralPage);

    // The close box refuses the page like Cancel and forgets what was typed.
    form->Options.AccessPassword = "pw";
    TPasswordDlg::modalRunner = [this](TPasswordDlg& d) {
        ++prompts;
        d.Pass1->setText("pw");
        d.close();
    };
    dialog->PageControl1->userSelect(TPagesDlg::kFileManagementPage);
    EXPECT_EQ(prompts, 2);
    EXPECT_EQ(dialog->PageControl1->currentIndex(), TPagesDlg::kGeneralPage);
    EXPECT_FALSE(password->AccessGranted);
    EXPECT_TRUE(password->Pass1->text().isEmpty());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(OptionsDialog, StartupFolderCheckOnlyWarns) {
    dialog->open();
    dialog->Edit1->setText(" ");
    dialog->Edit1Exit(nullptr);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    dialog->Edit1->setText("/no/such/folder");
    dialog->Edit1Exit(nullptr);
    EXPECT_EQ(dialogs.texts(),
              QStringList{"Directory Does not Exist.  Please type another Startup Path"});
    EXPECT_EQ(dialog->Edit1->text(), "/no/such/folder");
    // Moving on inside the dialog checks; turning to another window or a menu does not.
    dialogs.messages.clear();
    for (const Qt::FocusReason reason : {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason,
                                         Qt::TabFocusReason, Qt::MouseFocusReason}) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(dialog->Edit1, &out);
    }
    EXPECT_EQ(dialogs.messages.size(), 2);
}

TEST_F(OptionsDialog, BrowseClearAndSetCurrent) {
    dialog->open();
    dialogs.fileAnswers = {"/usr/bin/gimp", "/opt/My Apps/edit"};
    dialog->Button2Click(nullptr);
    EXPECT_EQ(dialog->Edit3->text(), "/usr/bin/gimp");
    dialog->Button3Click(nullptr);
    EXPECT_EQ(dialog->Edit5->text(), "\"/opt/My Apps/edit\"");
    dialog->Button2Click(nullptr); // cancelled: unchanged
    EXPECT_EQ(dialog->Edit3->text(), "/usr/bin/gimp");
    dialog->Edit2->setText("x");
    dialog->Button1Click(nullptr);
    EXPECT_TRUE(dialog->Edit2->text().isEmpty() && dialog->Edit3->text().isEmpty());
    EXPECT_EQ(dialog->Edit5->text(), "\"/opt/My Apps/edit\"");
    form->CurrentDir = platform::NativePath("/somewhere/else");
    dialog->Button5Click(nullptr);
    EXPECT_EQ(dialog->Edit1->text(), "/somewhere/else");
}

TEST_F(OptionsDialog, ProgramChooserIsTitledOpenAndStartsWhereTheCommandsProgramIs) {
    QTemporaryDir apps;
    ASSERT_TRUE(apps.isValid());
    ASSERT_TRUE(QDir(apps.path()).mkpath("My Apps"));
    const QString shFolder = QFileInfo(QStandardPaths::findExecutable("sh")).absolutePath();
    struct Case {
        QString command;
        QString folder;
    };
    const Case cases[] = {
        {"", "/usr/bin"},
        {apps.filePath("viewer") + " --fullscreen", apps.path()},
        {"\"" + apps.filePath("My Apps/edit") + "\" -n", apps.filePath("My Apps")},
        {"sh -c true", shFolder}, // a bare name is looked up on PATH
        {"no-such-program-here", "/usr/bin"},
        {"/no/such/folder/viewer", "/usr/bin"},
    };
    dialog->open();
    for (const Case& c : cases) {
        dialogs.fileDialogs.clear();
        dialog->Edit5->setText(c.command);
        dialog->Button3Click(nullptr);
        ASSERT_EQ(dialogs.fileDialogs.size(), 1);
        EXPECT_EQ(dialogs.fileDialogs[0].title, "Open");
        EXPECT_EQ(dialogs.fileDialogs[0].directory, c.folder) << c.command.toStdString();
        EXPECT_EQ(dialog->Edit5->text(), c.command) << "a cancelled chooser changes nothing";
    }
}

TEST_F(OptionsDialog, CancelDiscardsEditsAtTheNextOpening) {
    form->Options.Menu1Descrip = "Edit";
    dialog->open();
    dialog->Edit2->setText("changed");
    dialog->CancelBtnClick(nullptr);
    EXPECT_FALSE(test::iniExists());
    EXPECT_EQ(form->Options.Menu1Descrip, "Edit");
    dialog->open();
    EXPECT_EQ(dialog->Edit2->text(), "Edit");
    // Opening again while visible keeps unsaved edits.
    dialog->Edit2->setText("typing");
    dialog->open();
    EXPECT_EQ(dialog->Edit2->text(), "typing");
}

} // namespace
