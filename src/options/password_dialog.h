// TPasswordDlg: asks for the access password before the options dialog's file-management page.
#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

class TPasswordDlg : public QDialog {
    Q_OBJECT
public:
    explicit TPasswordDlg(QWidget* parent = nullptr);

    // The outcome of the last prompt; false until a right password was given.
    bool AccessGranted = false;

    QLabel* Label1;
    QLineEdit* Pass1;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

    // The stored password the typed one is compared with.
    std::function<QString()> storedPassword;
    // Called when the prompt refuses the page (wrong password, Cancel, Escape, close box).
    std::function<void()> onRefused;

    void OKBtnClick(QObject* sender);
    void CancelBtnClick(QObject* sender);

    // Shows the dialog modally and returns AccessGranted.
    bool ask();

    // Replaces the modal run of ask() in tests: it answers the open dialog through its
    // controls instead of waiting for a user. Empty: the real modal loop.
    static inline std::function<void(TPasswordDlg&)> modalRunner;

protected:
    void reject() override;
    void showEvent(QShowEvent* event) override;

private:
    bool placed_ = false;
};
