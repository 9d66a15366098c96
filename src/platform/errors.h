// The program's error types: every error a command does not handle itself ends the command
// and reaches the standard error box through the handler guard.
#pragma once

#include <QString>
#include <exception>
#include <string>

namespace platform {

// An error with a text for the user.
class GlimraError : public std::exception {
public:
    explicit GlimraError(QString text) : text_(std::move(text)), utf8_(text_.toStdString()) {}
    const QString& text() const { return text_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    QString text_;
    std::string utf8_;
};

// An input/output error with its numeric code (2 "File not found", 5 "File access denied" ...).
class InOutError : public GlimraError {
public:
    explicit InOutError(int code);
    // The error for a system errno value: mapped onto the codes above where one fits, else
    // "I/O error <errno>".
    static InOutError fromErrno(int err);
    int code() const { return code_; }

private:
    InOutError(int code, QString text) : GlimraError(std::move(text)), code_(code) {}
    int code_;
};

// The text of an input/output error code.
QString inOutErrorText(int code);

// Raises the input/output error that matches errno.
[[noreturn]] void raiseFromErrno(int err);

} // namespace platform
