// Message boxes and file dialogs behind one interface, so tests script the answers and read
// back every message shown.
#pragma once

#include "platform/native_path.h"

#include <QList>
#include <QString>
#include <memory>

class QFileDialog;
class QMessageBox;
class QWidget;

namespace platform {

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButton { Ok, Yes, No, Cancel };

struct MessageRequest {
    QString caption;
    QString text;
    MessageIcon icon = MessageIcon::None;
    QList<MessageButton> buttons{MessageButton::Ok};
};

struct FileDialogRequest {
    QString title;
    QString directory; // folder the dialog opens in
    QString fileName;  // proposed name
    // The same folder and proposed name as their bytes, where the caller knows them: the
    // dialog shows text, and the name chosen is checked and handed back as these bytes when it
    // reads as they do (see chosenPath).
    NativePath folder;
    QByteArray proposedName;
    QString filter; // "Description|*.ext;*.ext|..." as the program states it
    QString defaultSuffix;
    bool overwritePrompt = false;
    bool pathMustExist = false;
    bool fileMustExist = false;
    bool createPrompt = false;
    bool hideReadOnly = false;
    bool executablesOnly = false; // list folders and programs only
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Shows a modal message box and returns the button chosen (Cancel when closed otherwise).
    virtual MessageButton message(QWidget* parent, const MessageRequest& request) = 0;
    // Modal file dialogs; an empty result means the user cancelled.
    virtual QString openFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual QString saveFileName(QWidget* parent, const FileDialogRequest& request) = 0;
};

// The dialogs in use: the real ones unless a test installed its own.
Dialogs& dialogs();
// Installs replacement dialogs (not owned); nullptr restores the real ones.
void setDialogs(Dialogs* replacement);

// "Glimra Error" and "Glimra Message" boxes: one OK button, the error icon on the first and
// the information icon on the second.
inline const QString kErrorCaption = QStringLiteral("Glimra Error");
inline const QString kMessageCaption = QStringLiteral("Glimra Message");
void showMessage(QWidget* parent, const QString& caption, const QString& text);
// The icon a box with this caption shows: error for "Glimra Error", information otherwise.
MessageIcon iconForCaption(const QString& caption);

// The confirmation before a file operation: "Confirm", question icon, "&Yes" and "&No".
bool confirm(QWidget* parent, const QString& text);

// What a file dialog says about the name the user chose, before it accepts it: with
// pathMustExist (or fileMustExist) a folder that does not exist is refused; a name that does
// not exist is put to the user with createPrompt, else refused with fileMustExist. A refusal
// keeps the dialog open, as Windows' own dialogs do, so nothing is reported after the fact.
// The name is checked as the bytes chosenPath(chosen, request) gives, so a folder whose name
// is not valid UTF-8 is found.
struct ChosenFileCheck {
    enum Verdict { Accept, Refuse, AskToCreate } verdict = Accept;
    MessageRequest message; // the refusal or the question
};
ChosenFileCheck checkChosenFile(const FileDialogRequest& request, const QString& chosen);

// Sets up a toolkit file dialog as the request asks (the real dialogs run it afterwards): its
// title, folder, filter and checks, and a size at which the columns of a folder read whole.
void prepareFileDialog(QFileDialog& dialog, const FileDialogRequest& request);

// The message box the real dialogs run for a request: plain text, the request's icon and
// buttons, at least as wide as its caption needs (it is never maximized: it has a fixed size).
std::unique_ptr<QMessageBox> makeMessageBox(QWidget* parent, const MessageRequest& request);

// The path a file dialog returned, in the file system's bytes. A dialog shows and returns text,
// so a folder or a proposed name that is not valid UTF-8 comes back with U+FFFD in it: when the
// chosen folder reads as `folder` does, folder's exact bytes are used, and when the chosen name
// reads as `proposedName` does, the proposal's exact bytes. Empty when chosen is empty.
NativePath chosenPath(const QString& chosen, const NativePath& folder,
                      const QByteArray& proposedName);
// The same with the request's folder and proposed name.
NativePath chosenPath(const QString& chosen, const FileDialogRequest& request);

// Turns "Description|*.a;*.b|Other|*" into Qt's "Description (*.a *.b);;Other (*)".
QString qtFilter(const QString& filter);

} // namespace platform
