#include "settings/settings.h"

#include "platform/error_box.h"
#include "platform/errors.h"
#include "platform/profile.h"

namespace settings {
namespace {

int digitValue(QChar c, int base) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (base == 16 && u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (base == 16 && u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// The problem last reported, so that a file that stays unreadable is reported once; a good
// read forgets it, so a problem that comes back is reported again.
QString& reportedProblem() {
    static QString problem;
    return problem;
}

} // namespace

std::optional<int> parseInteger(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == u'0' &&
               (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return std::nullopt;
    // Hexadecimal takes the full 32 bits ("$FFFFFFFF" is -1); decimal must fit a signed value.
    const unsigned long long limit = base == 16 ? 0xFFFFFFFFull
                                     : negative ? 0x80000000ull
                                                : 0x7FFFFFFFull;
    unsigned long long value = 0;
    for (; i < text.size(); ++i) {
        const int digit = digitValue(text[i], base);
        if (digit < 0)
            return std::nullopt;
        value = value * unsigned(base) + unsigned(digit);
        if (value > limit)
            return std::nullopt;
    }
    const auto bits = static_cast<unsigned int>(value);
    const int result = static_cast<int>(negative ? 0u - bits : bits);
    return result;
}

int toInteger(const QString& text) {
    if (const std::optional<int> v = parseInteger(text))
        return *v;
    throw platform::GlimraError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

const platform::ProfileFile& Settings::contents() const {
    if (contents_ && contents_->unchangedOnDisk())
        return *contents_;
    contents_ = platform::ProfileFile::read(fileName_);
    const QString& problem = contents_->problem();
    if (problem != reportedProblem()) {
        reportedProblem() = problem;
        if (!problem.isEmpty())
            platform::showErrorBox(
                QStringLiteral("Unable to read %1 (%2); the default settings are used")
                    .arg(fileName_, problem));
    }
    return *contents_;
}

QString Settings::readText(const QString& section, const QString& key,
                           const QString& defaultText) const {
    return contents().value(section, key, defaultText);
}

bool Settings::readFlag(const QString& section, const QString& key, bool defaultFlag) const {
    const std::optional<int> v = parseInteger(readText(section, key, QString()));
    return v ? *v != 0 : defaultFlag;
}

int Settings::readInteger(const QString& section, const QString& key,
                          const QString& defaultText) const {
    return toInteger(readText(section, key, defaultText));
}

void Settings::writeText(const QString& section, const QString& key, const QString& text) const {
    if (!platform::writePrivateProfileString(section, key, text, fileName_))
        throw platform::GlimraError(QStringLiteral("Unable to write to %1").arg(fileName_));
}

void Settings::writeFlag(const QString& section, const QString& key, bool flag) const {
    writeText(section, key, flag ? QStringLiteral("1") : QStringLiteral("0"));
}

QString Settings::readText(const SettingKey& k) const {
    return readText(QString::fromLatin1(k.section), QString::fromLatin1(k.key),
                    QString::fromLatin1(k.defaultText));
}

bool Settings::readFlag(const SettingKey& k) const {
    return readFlag(QString::fromLatin1(k.section), QString::fromLatin1(k.key),
                    toInteger(QString::fromLatin1(k.defaultText)) != 0);
}

int Settings::readInteger(const SettingKey& k) const {
    return toInteger(readText(k));
}

void Settings::writeText(const SettingKey& k, const QString& text) const {
    writeText(QString::fromLatin1(k.section), QString::fromLatin1(k.key), text);
}

void Settings::writeFlag(const SettingKey& k, bool flag) const {
    writeFlag(QString::fromLatin1(k.section), QString::fromLatin1(k.key), flag);
}

void writeDefaultLocations(const Settings& ini) {
    const auto restore = [&ini](const SettingKey& k) {
        ini.writeText(k, QString::fromLatin1(k.defaultText));
    };
    restore(keys::NavBarLeft);
    restore(keys::NavBarTop);
    restore(keys::Form2Left);
    restore(keys::Form2Top);
    restore(keys::Splitter1Left);
    ini.writeText(keys::Form1Left, kCentred);
    ini.writeText(keys::Form1Top, kCentred);
    restore(keys::Form1Width);
    restore(keys::Form1Height);
}

} // namespace settings
