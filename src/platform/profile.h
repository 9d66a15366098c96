// Private-profile files: sectioned key/value text files read and written one key at a time.
#pragma once

#include <QString>

namespace platform {

// Longest value a read returns; longer values are cut.
inline constexpr int kProfileValueMax = 1023;

// The file a bare profile name stands for: $XDG_CONFIG_HOME/<name>, by default ~/.config/<name>.
// A name holding a "/" is used as it is.
QString profilePath(const QString& fileName);

// Reads [section] key from the profile file. Section and key names match without regard to
// case, blanks around names and values are dropped, a value in matching quotes loses them,
// and at most kProfileValueMax characters are returned. A missing file, section or key gives
// defaultText (trimmed, cut like a value).
QString getPrivateProfileString(const QString& section, const QString& key,
                                const QString& defaultText, const QString& fileName);

// Writes [section] key=value, changing only that key's line and keeping every other line.
// A new key goes after the last line of its section, a new section at the end of the file.
// The file is replaced atomically and created with mode 0600. Returns false when the write
// was refused (read-only file, no space, a value holding a line break).
bool writePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& fileName);

} // namespace platform
