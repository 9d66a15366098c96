// The settings accessor over GLIM.INI and the one table of its keys, forms and defaults.
#pragma once

#include "platform/profile.h"

#include <QString>
#include <optional>

namespace settings {

inline const QString kSettingsFileName = QStringLiteral("GLIM.INI");

// One key of GLIM.INI with the text a read falls back to.
struct SettingKey {
    const char* section;
    const char* key;
    const char* defaultText;
};

namespace keys {
// [Options]: flags, integer text and text, read in this order by the browser window.
inline constexpr SettingKey Explorer{"Options", "Explorer", "1"};
inline constexpr SettingKey WinFileOps{"Options", "WinFileOps", "1"};
inline constexpr SettingKey Display{"Options", "Display", "0"};
inline constexpr SettingKey ExecDir{"Options", "ExecDir", ""}; // default: defaultExecDir()
inline constexpr SettingKey StartupDir{"Options", "StartupDir", ""};
inline constexpr SettingKey Menu1Descrip{"Options", "Menu1Descrip", ""};
inline constexpr SettingKey Menu1Command{"Options", "Menu1Command", ""};
inline constexpr SettingKey Menu2Descrip{"Options", "Menu2Descrip", ""};
inline constexpr SettingKey Menu2Command{"Options", "Menu2Command", ""};
inline constexpr SettingKey String1{"Options", "String1", ""};
inline constexpr SettingKey PasswordProtect{"Options", "Password_Protect", "0"};
inline constexpr SettingKey AllowDel{"Options", "Allow_Del", "0"};
inline constexpr SettingKey PromptDel{"Options", "Prompt_Del", "1"};
inline constexpr SettingKey SendRecycle{"Options", "Send_Recycle", "1"};
inline constexpr SettingKey AllowCopy{"Options", "Allow_Copy", "1"};
inline constexpr SettingKey PromptCopy{"Options", "Prompt_Copy", "1"};
inline constexpr SettingKey AllowMove{"Options", "Allow_Move", "1"};
inline constexpr SettingKey PromptMove{"Options", "Prompt_Move", "1"};

// [Locations]: integer text, Form1Left may also be "Center".
inline constexpr SettingKey Splitter1Left{"Locations", "Splitter1Left", "149"};
inline constexpr SettingKey Form1Left{"Locations", "Form1Left", "0"};
inline constexpr SettingKey Form1Top{"Locations", "Form1Top", "0"};
inline constexpr SettingKey Form1Width{"Locations", "Form1Width", "516"};
inline constexpr SettingKey Form1Height{"Locations", "Form1Height", "311"};
inline constexpr SettingKey Form2Left{"Locations", "Form2Left", "0"};
inline constexpr SettingKey Form2Top{"Locations", "Form2Top", "0"};
inline constexpr SettingKey NavBarLeft{"Locations", "NavBarLeft", "0"};
inline constexpr SettingKey NavBarTop{"Locations", "NavBarTop", "0"};
} // namespace keys

// Form1Left and Form1Top hold this instead of a number when the browser window opens centred.
inline const QString kCentred = QStringLiteral("Center");

// The default of a key whose default text is a decimal number, known at compile time so that
// the windows' designed sizes come from the same table.
constexpr int defaultNumber(const SettingKey& k) {
    int value = 0;
    for (const char* c = k.defaultText; *c; ++c)
        value = value * 10 + (*c - '0');
    return value;
}

// Converts text to a 32-bit integer: optional leading blanks and sign, then decimal digits,
// "$" or "0x"/"0X" followed by hexadecimal digits. Anything else, or a value out of range,
// is no integer.
std::optional<int> parseInteger(const QString& text);

// Reads and writes GLIM.INI. One object serves one operation (a window's creation, the
// options' OK): it reads the file once and answers every key from that, reading it again only
// when the file has changed meanwhile (its own writes included).
// A file that cannot be read (not a regular file, too large, unreadable) is reported once in
// the standard error box and the defaults are used. Writes reach the file at once.
class Settings {
public:
    explicit Settings(QString fileName = kSettingsFileName) : fileName_(std::move(fileName)) {}

    QString readText(const QString& section, const QString& key, const QString& defaultText) const;
    // A missing key or a text that is no integer gives defaultFlag; any non-zero value is true.
    bool readFlag(const QString& section, const QString& key, bool defaultFlag) const;
    // Reads the text and converts it strictly; raises "'%s' is not a valid integer value".
    int readInteger(const QString& section, const QString& key, const QString& defaultText) const;
    // Raises "Unable to write to GLIM.INI" when the write is refused.
    void writeText(const QString& section, const QString& key, const QString& text) const;
    void writeFlag(const QString& section, const QString& key, bool flag) const;

    // The same operations for a key of the table, with its own default.
    QString readText(const SettingKey& k) const;
    bool readFlag(const SettingKey& k) const;
    int readInteger(const SettingKey& k) const;
    void writeText(const SettingKey& k, const QString& text) const;
    void writeFlag(const SettingKey& k, bool flag) const;

    const QString& fileName() const { return fileName_; }

private:
    const platform::ProfileFile& contents() const;

    QString fileName_;
    mutable std::optional<platform::ProfileFile> contents_;
};

// Raises "'%s' is not a valid integer value" unless text is an integer.
int toInteger(const QString& text);

// Restore Window Locations: every key of [Locations] back to its default, with the browser
// window centred.
void writeDefaultLocations(const Settings& ini);

} // namespace settings
