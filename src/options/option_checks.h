// The checks the options dialog runs on OK and when the startup folder field is left.
#pragma once

#include <QString>
#include <QStringList>

namespace options {

// The control texts the OK checks read.
struct OptionTexts {
    QString description1; // Edit2
    QString command1;     // Edit3
    QString description2; // Edit4
    QString command2;     // Edit5
    bool protect = false; // CheckBox8
    QString password;     // Edit8
    QString retyped;      // Edit9
};

// The messages of every check that fails, in the order they are shown; empty when OK may
// save. "Empty" means no characters at all: a blank is text.
QStringList optionCheckMessages(const OptionTexts& texts);

inline const QString kBadStartupDirMessage =
    QStringLiteral("Directory Does not Exist.  Please type another Startup Path");

// Whether the startup folder field needs its warning: false for exactly one blank (never
// checked), else true unless the text names a folder that can be entered from the current
// folder. The current folder is not changed.
bool startupDirNeedsWarning(const QString& text);

// The folder the program chooser of a Browse button opens in: the folder of the program the
// command line starts (found on PATH when it is named bare), else /usr/bin.
QString programChooserFolder(const QString& command);
inline const QString kProgramChooserTitle = QStringLiteral("Open");

} // namespace options
