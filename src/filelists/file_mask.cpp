#include "filelists/file_mask.h"

#include <QList>

namespace filelists {
namespace {

inline char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c;
}

bool isAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// Wildcard matching with backtracking to the last star; eq compares one name character with
// one pattern character.
template <typename Char, typename Eq>
bool plainGlob(const Char* n, size_t nn, const Char* p, size_t pn, Eq eq) {
    size_t ni = 0, pi = 0;
    size_t starP = size_t(-1), starN = 0;
    while (ni < nn) {
        if (pi < pn && p[pi] == Char('*')) {
            starP = pi++;
            starN = ni;
        } else if (pi < pn && (p[pi] == Char('?') || eq(n[ni], p[pi]))) {
            ++ni;
            ++pi;
        } else if (starP != size_t(-1)) {
            pi = starP + 1;
            ni = ++starN;
        } else {
            return false;
        }
    }
    while (pi < pn && p[pi] == Char('*'))
        ++pi;
    return pi == pn;
}

// The platform's rule on top: a final ".*" may also match nothing ("readme" matches "*.*").
template <typename Char, typename Eq>
bool glob(const Char* n, size_t nn, const Char* p, size_t pn, Eq eq) {
    if (plainGlob(n, nn, p, pn, eq))
        return true;
    return pn >= 2 && p[pn - 2] == Char('.') && p[pn - 1] == Char('*') &&
           plainGlob(n, nn, p, pn - 2, eq);
}

bool asciiGlob(std::string_view name, const std::string& lowerPattern) {
    return glob(name.data(), name.size(), lowerPattern.data(), lowerPattern.size(),
                [](char n, char p) { return lowerAscii(n) == p; });
}

bool unicodeGlob(const QString& name, const QString& pattern) {
    if (pattern.isEmpty())
        return false;
    // Code points, so "?" takes a whole character, and case folded, so case does not count.
    const QList<uint> n = name.toCaseFolded().toUcs4();
    const QList<uint> p = pattern.toCaseFolded().toUcs4();
    return glob(n.constData(), size_t(n.size()), p.constData(), size_t(p.size()),
                [](uint a, uint b) { return a == b; });
}

} // namespace

QStringList maskPatterns(const QString& mask) {
    return mask.split(u';');
}

bool matchesPattern(const QString& name, const QString& pattern) {
    return unicodeGlob(name, pattern);
}

MaskMatcher::MaskMatcher(const QString& mask) {
    for (const QString& text : maskPatterns(mask)) {
        Pattern p;
        p.text = text;
        const QByteArray utf8 = text.toUtf8();
        const std::string_view bytes(utf8.constData(), size_t(utf8.size()));
        p.ascii = isAscii(bytes);
        if (p.ascii)
            for (char c : bytes)
                p.lower += lowerAscii(c);
        const auto wildcards = [](std::string_view s) {
            return s.find_first_of("*?") != std::string_view::npos;
        };
        if (text.isEmpty())
            p.kind = Kind::Nothing;
        else if (text == QStringLiteral("*") || text == QStringLiteral("*.*"))
            p.kind = Kind::Everything;
        else if (p.ascii && p.lower.front() == '*' &&
                 !wildcards(std::string_view(p.lower).substr(1))) {
            p.kind = Kind::Suffix;
            p.lower.erase(0, 1);
        } else if (p.ascii && !wildcards(p.lower))
            p.kind = Kind::Exact;
        else
            p.kind = Kind::General;
        patterns_.push_back(std::move(p));
    }
}

int MaskMatcher::matchCount(std::string_view name) const {
    if (name.empty())
        return 0;
    const bool asciiName = isAscii(name);
    QString decoded; // only for names or patterns beyond ASCII
    int count = 0;
    for (const Pattern& p : patterns_) {
        bool match = false;
        switch (p.kind) {
        case Kind::Nothing:
            break;
        case Kind::Everything:
            match = true;
            break;
        case Kind::Suffix:
        case Kind::Exact:
        case Kind::General:
            if (asciiName && p.ascii) {
                if (p.kind == Kind::Suffix) {
                    const std::string& s = p.lower;
                    if (name.size() >= s.size()) {
                        const char* tail = name.data() + (name.size() - s.size());
                        match = true;
                        for (size_t i = 0; i < s.size(); ++i)
                            if (lowerAscii(tail[i]) != s[i]) {
                                match = false;
                                break;
                            }
                    }
                } else if (p.kind == Kind::Exact) {
                    match = name.size() == p.lower.size();
                    for (size_t i = 0; match && i < name.size(); ++i)
                        match = lowerAscii(name[i]) == p.lower[i];
                } else {
                    match = asciiGlob(name, p.lower);
                }
            } else {
                if (decoded.isNull())
                    decoded = QString::fromUtf8(name.data(), qsizetype(name.size()));
                match = unicodeGlob(decoded, p.text);
            }
            break;
        }
        count += match ? 1 : 0;
    }
    return count;
}

} // namespace filelists
