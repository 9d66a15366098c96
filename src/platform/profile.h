// Private-profile files: sectioned key/value text files, read whole once per operation and
// written one key at a time without changing any other byte of the file.
#pragma once

#include <QHash>
#include <QString>

namespace platform {

// Longest value a read returns; longer values are cut.
inline constexpr int kProfileValueMax = 1023;

// Largest profile file read or written: a bigger one is no settings file, and reading it would
// only cost time and memory.
inline constexpr qint64 kProfileFileMax = 16 << 20;

// The file a bare profile name stands for: $XDG_CONFIG_HOME/<name>, by default ~/.config/<name>.
// A name holding a "/" is used as it is.
QString profilePath(const QString& fileName);

// A profile file as read at one moment; lookups never touch the file again. Section and key
// names match without regard to case, blanks around names and values are dropped, a value in
// matching quotes loses them, and at most kProfileValueMax characters are returned. Of keys
// given twice the first counts.
class ProfileFile {
public:
    ProfileFile() = default;

    // Reads the file once. A missing file reads as empty. So does one that must not be read:
    // not a regular file (a FIFO would block for good, a device never ends), larger than
    // kProfileFileMax, or unreadable; problem() then says why.
    static ProfileFile read(const QString& fileName);

    // Why the file could not be read ("not a regular file", "larger than 16 MB", the system's
    // reason); empty when it was read or does not exist.
    const QString& problem() const { return problem_; }

    // Whether the file still is as it was read (the same inode, size and times, or still
    // missing): a check by stat that never opens it.
    bool unchangedOnDisk() const;

    // The value of [section] key, or defaultText (trimmed, cut like a value) when there is none.
    QString value(const QString& section, const QString& key, const QString& defaultText) const;

private:
    QHash<QString, QString> values_; // "section\nkey", both case-folded
    QString problem_;
    QByteArray path_;
    // What stat told when the file was read; all zero for a missing file.
    struct Identity {
        quint64 device = 0, inode = 0;
        qint64 size = 0, modified = 0, changed = 0; // times in nanoseconds
        bool operator==(const Identity&) const = default;
    } identity_;
    static Identity identityOf(const QByteArray& path);
};

// Reads one value, reading the file for it.
QString getPrivateProfileString(const QString& section, const QString& key,
                                const QString& defaultText, const QString& fileName);

// Writes [section] key=value. Only that key's line changes; every other byte of the file stays
// as it was (its encoding, byte-order mark and line ends included). A new key goes after the
// last line of its section, a new section at the end of the file, each with the file's line
// end. The value is written so that a read returns exactly it (profileValueText). The write
// holds an exclusive flock on the file, so two programs writing at once never lose each
// other's keys, and replaces the file atomically; a new file gets mode 0600. Returns false when
// the write was refused (read-only or not a regular file, no space, a value holding a line
// break).
bool writePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& fileName);

// The text written for value: in double quotes when it starts or ends with a blank or is
// itself enclosed in matching quotes, since a read drops both; otherwise the value itself.
QString profileValueText(const QString& value);

} // namespace platform
