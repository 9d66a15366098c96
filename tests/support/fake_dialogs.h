// Dialogs for tests: every message is recorded, answers come from scripted queues, and
// nothing modal ever opens.
#pragma once

#include "platform/dialogs.h"
#include "test_env.h"

#include <QList>
#include <QStringList>

namespace test {

class FakeDialogs : public platform::Dialogs {
public:
    // Installs itself for its lifetime.
    FakeDialogs() { platform::setDialogs(this); }
    ~FakeDialogs() override { platform::setDialogs(nullptr); }

    // Every message shown, in order.
    QList<platform::MessageRequest> messages;
    // Every file dialog shown, in order, with whether it was a save dialog.
    QList<platform::FileDialogRequest> fileDialogs;
    QList<bool> fileDialogIsSave;

    // Answers for the next message boxes; when empty, the first button is chosen.
    QList<platform::MessageButton> answers;
    // Answers for the next file dialogs; when empty, the dialog is cancelled ("").
    QList<QString> fileAnswers;

    platform::MessageButton message(QWidget*, const platform::MessageRequest& r) override {
        messages.append(r);
        if (!answers.isEmpty())
            return answers.takeFirst();
        return r.buttons.isEmpty() ? platform::MessageButton::Ok : r.buttons.front();
    }
    QString openFileName(QWidget*, const platform::FileDialogRequest& r) override {
        fileDialogs.append(r);
        fileDialogIsSave.append(false);
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }
    QString saveFileName(QWidget*, const platform::FileDialogRequest& r) override {
        fileDialogs.append(r);
        fileDialogIsSave.append(true);
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }

    // The texts of the messages shown, in order.
    QStringList texts() const {
        QStringList out;
        for (const auto& m : messages)
            out << m.text;
        return out;
    }
};

} // namespace test
