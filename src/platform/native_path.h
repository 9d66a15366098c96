// Paths are the file system's bytes. NativePath is how a path that will reach a system call is
// carried through the program: the exact bytes the system stores, names that are not valid
// UTF-8 included. Only display() turns it into text, and that text is for showing: a name
// with invalid bytes shows them as U+FFFD, and two different files may then look alike, so
// display text must never be turned back into a path that a command acts on.
#pragma once

#include <QByteArray>
#include <QString>
#include <utility>

namespace platform {

class NativePath {
public:
    NativePath() = default;
    explicit NativePath(QByteArray bytes) : bytes_(std::move(bytes)) {}

    // The path of text the user typed or a dialog returned. Unicode text encodes exactly; use
    // this only for text that came from the user, never for display() of another path.
    static NativePath fromText(const QString& text);

    const QByteArray& bytes() const { return bytes_; }
    const char* c_str() const { return bytes_.constData(); }
    bool isEmpty() const { return bytes_.isEmpty(); }
    // Text to show; invalid UTF-8 shows as U+FFFD.
    QString display() const;

    // The last component ("b.jpg" of "/a/b.jpg"); the whole path when it holds no "/".
    QByteArray fileName() const;
    // Everything before the last "/" ("/a" of "/a/b.jpg", "/" of "/b.jpg"); empty without one.
    NativePath directory() const;
    // This folder with name appended after one "/".
    NativePath child(const QByteArray& name) const;
    // The path made absolute against the working directory, "." and ".." resolved by text.
    NativePath absolute() const;

    bool operator==(const NativePath&) const = default;

private:
    QByteArray bytes_;
};

// Text of a name or path for display; invalid UTF-8 shows as U+FFFD.
QString displayText(const QByteArray& native);

// A path the QString-based readers can open for the file at native: the decoded path itself
// when it encodes back to the same bytes, else a link in a private temporary folder that
// points at native and keeps its extension. The link is only for reading: operations that
// change files must use the real path.
QString readablePath(const QByteArray& native);

} // namespace platform
