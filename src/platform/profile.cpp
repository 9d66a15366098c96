#include "platform/profile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

QString trimBlanks(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// One line of the file as it stands, with what it means.
struct Line {
    QString raw;
    enum Kind { Other, Section, Entry } kind = Other;
    QString name;  // section name or key
    QString value; // entry value, blanks dropped
};

Line parseLine(const QString& raw) {
    Line line;
    line.raw = raw;
    const QString t = trimBlanks(raw);
    if (t.startsWith(u'[')) {
        const qsizetype close = t.indexOf(u']');
        line.kind = Line::Section;
        line.name = trimBlanks(close < 0 ? t.mid(1) : t.mid(1, close - 1));
        return line;
    }
    const qsizetype eq = t.indexOf(u'=');
    if (eq > 0) {
        line.kind = Line::Entry;
        line.name = trimBlanks(t.left(eq));
        line.value = trimBlanks(t.mid(eq + 1));
    }
    return line;
}

struct ProfileText {
    std::vector<Line> lines;
    bool crlf = false;
};

std::optional<ProfileText> load(const QString& path, int* error) {
    *error = 0;
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = errno;
        return std::nullopt;
    }
    QByteArray bytes;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *error = errno;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        bytes.append(buf, n);
    }
    ::close(fd);

    ProfileText text;
    text.crlf = bytes.contains("\r\n");
    QList<QByteArray> rows = bytes.split('\n');
    if (!bytes.isEmpty() && bytes.endsWith('\n'))
        rows.removeLast();
    if (bytes.isEmpty())
        rows.clear();
    for (QByteArray& row : rows) {
        if (row.endsWith('\r'))
            row.chop(1);
        text.lines.push_back(parseLine(QString::fromUtf8(row)));
    }
    return text;
}

QString unquote(const QString& v) {
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        return v.mid(1, v.size() - 2);
    return v;
}

bool writeAll(int fd, const QByteArray& data) {
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}

// Replaces the file at path with data: a temporary file beside it, flushed, then renamed over it,
// so the old file stays whole until the new one is complete.
bool replaceAtomically(const QString& path, const QByteArray& data, mode_t mode) {
    const QByteArray target = QFile::encodeName(path);
    QByteArray tmpl = target + ".XXXXXX";
    const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, data) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::rename(tmpl.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(tmpl.constData());
        return false;
    }
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    const int dfd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

} // namespace

QString profilePath(const QString& fileName) {
    if (fileName.contains(u'/'))
        return fileName;
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + u'/' + fileName;
}

QString getPrivateProfileString(const QString& section, const QString& key,
                                const QString& defaultText, const QString& fileName) {
    int error = 0;
    const std::optional<ProfileText> text = load(profilePath(fileName), &error);
    if (text) {
        bool inSection = false;
        for (const Line& line : text->lines) {
            if (line.kind == Line::Section)
                inSection = sameName(line.name, section);
            else if (inSection && line.kind == Line::Entry && sameName(line.name, key))
                return unquote(line.value).left(kProfileValueMax);
        }
    }
    return trimBlanks(defaultText).left(kProfileValueMax);
}

bool writePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& fileName) {
    // A line break would split the value into lines of their own and change other keys.
    if (value.contains(u'\n') || value.contains(u'\r') || key.contains(u'\n') ||
        key.contains(u'\r') || key.contains(u'=') || section.contains(u'\n') ||
        section.contains(u']'))
        return false;

    QString path = profilePath(fileName);
    // Writing through a link keeps the link and changes the file it names.
    const QFileInfo info(path);
    if (info.isSymLink() && info.exists())
        path = info.canonicalFilePath();

    mode_t mode = S_IRUSR | S_IWUSR;
    struct stat st {};
    const QByteArray native = QFile::encodeName(path);
    if (::stat(native.constData(), &st) == 0) {
        // A file the user may not write, or one marked read-only (no write bit at all, which
        // binds root too), stays as it is although its folder would let us replace it.
        if (::access(native.constData(), W_OK) != 0 ||
            (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return false;
        mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        return false;
    }

    int error = 0;
    std::optional<ProfileText> text = load(path, &error);
    if (!text) {
        if (error != ENOENT)
            return false;
        text.emplace();
        if (!QDir().mkpath(QFileInfo(path).absolutePath()))
            return false;
    }

    const QString entry = key + u'=' + value;
    std::vector<Line>& lines = text->lines;
    std::optional<size_t> sectionStart;
    std::optional<size_t> lastInSection;
    bool done = false;
    bool inSection = false;
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        const Line& line = lines[i];
        if (line.kind == Line::Section) {
            if (sectionStart && inSection)
                break; // the section has ended without the key
            inSection = sameName(line.name, section);
            if (inSection) {
                sectionStart = i;
                lastInSection = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (line.kind == Line::Entry && sameName(line.name, key)) {
            lines[i] = parseLine(entry);
            done = true;
        } else if (!trimBlanks(line.raw).isEmpty()) {
            lastInSection = i;
        }
    }
    if (!done) {
        if (lastInSection) {
            lines.insert(lines.begin() + std::ptrdiff_t(*lastInSection + 1), parseLine(entry));
        } else {
            lines.push_back(parseLine(u'[' + section + u']'));
            lines.push_back(parseLine(entry));
        }
    }

    QByteArray out;
    const char* eol = text->crlf ? "\r\n" : "\n";
    for (const Line& line : lines) {
        out += line.raw.toUtf8();
        out += eol;
    }
    return replaceAtomically(path, out, mode);
}

} // namespace platform
