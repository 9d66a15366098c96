// File masks: wildcard patterns separated by semicolons, matched the way the platform's file
// search matches them. Free functions, so tests and the benchmark reach them without a list.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <string_view>
#include <vector>

namespace filelists {

// The patterns of a mask, split at ";" from left to right, each kept unchanged (blanks too).
QStringList maskPatterns(const QString& mask);

// Whether a file name matches one pattern: "*" matches any run of characters, "?" exactly one,
// every other character itself without regard to case; a final ".*" also matches where the
// name has no dot left, so "*.*" matches every name. An empty pattern matches nothing.
bool matchesPattern(const QString& name, const QString& pattern);

// A mask prepared for matching many names, as a file list does once per directory entry.
class MaskMatcher {
public:
    explicit MaskMatcher(const QString& mask);

    // How many patterns of the mask match this name (the file system's bytes): a file list
    // shows the name that many times.
    int matchCount(std::string_view name) const;
    int matchCount(const QByteArray& name) const {
        return matchCount(std::string_view(name.constData(), size_t(name.size())));
    }

    int patternCount() const { return int(patterns_.size()); }

private:
    enum class Kind { Nothing, Everything, Suffix, Exact, General };
    struct Pattern {
        Kind kind = Kind::Nothing;
        bool ascii = true; // the pattern is plain ASCII, so ASCII names match it byte by byte
        std::string lower; // ASCII patterns: the pattern (Suffix: the part after "*"), lowered
        QString text;      // the pattern as given
    };
    std::vector<Pattern> patterns_;
};

} // namespace filelists
