#include "options/password_dialog.h"

#include "about/help_context.h"
#include "platform/dialogs.h"
#include "platform/window_placement.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TPasswordDlg::TPasswordDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PasswordDlg"));
    setWindowTitle(QStringLiteral("Glimra Password"));
    setFixedSize(233, 93);
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Enter password:"), this);
    Label1->setTextFormat(Qt::PlainText);
    Label1->setGeometry(8, 9, 217, 16);
    Pass1 = new QLineEdit(this);
    Pass1->setObjectName(QStringLiteral("Pass1"));
    Pass1->setGeometry(8, 27, 217, 21);
    Pass1->setEchoMode(QLineEdit::Password);
    Pass1->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    Label1->setBuddy(Pass1);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setGeometry(39, 59, 75, 25);
    OKBtn->setDefault(true);
    OKBtn->setAutoDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setGeometry(119, 59, 75, 25);
    CancelBtn->setAutoDefault(false);

    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(OKBtn); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { CancelBtnClick(CancelBtn); });
    // Nothing here carries a help context, so F1 opens nothing (and does not reach the
    // options dialog behind the prompt).
    about::installHelpKey(this);
}

bool TPasswordDlg::ask() {
    AccessGranted = false;
    if (modalRunner) {
        show();
        modalRunner(*this);
        hide();
    } else {
        exec();
    }
    return AccessGranted;
}

void TPasswordDlg::OKBtnClick(QObject*) {
    const QString stored = storedPassword ? storedPassword() : QString();
    // Exact and whole: no trimming, letter case counts.
    AccessGranted = Pass1->text() == stored;
    if (!AccessGranted) {
        platform::showMessage(this, platform::kMessageCaption,
                              QStringLiteral("Password not valid."));
        if (onRefused)
            onRefused();
    }
    Pass1->clear();
    done(AccessGranted ? QDialog::Accepted : QDialog::Rejected);
}

void TPasswordDlg::CancelBtnClick(QObject*) {
    reject();
}

void TPasswordDlg::reject() {
    // Cancel, Escape and the close box all refuse the page and forget what was typed.
    Pass1->clear();
    AccessGranted = false;
    QDialog::reject();
    if (onRefused)
        onRefused();
}

void TPasswordDlg::showEvent(QShowEvent* event) {
    // Centred the first time; afterwards it reappears where it was.
    if (!placed_) {
        platform::centreOnScreen(this);
        placed_ = true;
    }
    Pass1->setFocus();
    QDialog::showEvent(event);
}
