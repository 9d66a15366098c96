#include "platform/profile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

const QByteArray kByteOrderMark("\xEF\xBB\xBF");

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

QString lookupKey(const QString& section, const QString& key) {
    return section.toCaseFolded() + u'\n' + key.toCaseFolded();
}

// What one line of the file means.
struct Meaning {
    enum Kind { Other, Section, Entry } kind = Other;
    QString name;  // section name or key
    QString value; // entry value, blanks dropped
};

Meaning meaningOf(const QByteArray& text) {
    Meaning m;
    const QString t = trimBlanks(QString::fromUtf8(text));
    if (t.startsWith(u'[')) {
        const qsizetype close = t.indexOf(u']');
        m.kind = Meaning::Section;
        m.name = trimBlanks(close < 0 ? t.mid(1) : t.mid(1, close - 1));
        return m;
    }
    const qsizetype eq = t.indexOf(u'=');
    if (eq > 0) {
        m.kind = Meaning::Entry;
        m.name = trimBlanks(t.left(eq));
        m.value = trimBlanks(t.mid(eq + 1));
    }
    return m;
}

// One line as it stands in the file: its bytes and its own line end ("\n", "\r\n", or nothing
// for a last line without one).
struct Line {
    QByteArray text;
    QByteArray end;
};

// The file's bytes taken apart so that putting them together again gives the same bytes.
struct Lines {
    QByteArray byteOrderMark;
    std::vector<Line> lines;

    static Lines split(QByteArray bytes) {
        Lines out;
        if (bytes.startsWith(kByteOrderMark)) {
            out.byteOrderMark = kByteOrderMark;
            bytes.remove(0, kByteOrderMark.size());
        }
        qsizetype start = 0;
        while (start < bytes.size()) {
            const qsizetype nl = bytes.indexOf('\n', start);
            if (nl < 0) {
                out.lines.push_back({bytes.mid(start), {}});
                break;
            }
            const bool crlf = nl > start && bytes[nl - 1] == '\r';
            const qsizetype textEnd = crlf ? nl - 1 : nl;
            out.lines.push_back({bytes.mid(start, textEnd - start), crlf ? "\r\n" : "\n"});
            start = nl + 1;
        }
        return out;
    }

    QByteArray join() const {
        QByteArray out = byteOrderMark;
        for (const Line& line : lines)
            out += line.text + line.end;
        return out;
    }

    // The line end new lines get: the file's first, else "\n".
    QByteArray lineEnd() const {
        for (const Line& line : lines)
            if (!line.end.isEmpty())
                return line.end;
        return "\n";
    }

    // Inserts text as a new line after line `after` (before the first line when nullopt),
    // keeping a missing final line end missing.
    void insertAfter(std::optional<size_t> after, const QByteArray& text) {
        const QByteArray eol = lineEnd();
        if (!after) {
            lines.insert(lines.begin(), {text, eol});
            return;
        }
        Line& previous = lines[*after];
        Line added{text, previous.end};
        if (previous.end.isEmpty()) {
            previous.end = eol;
            added.end.clear();
        }
        lines.insert(lines.begin() + std::ptrdiff_t(*after + 1), added);
    }

    // Adds text as a new last line.
    void append(const QByteArray& text) {
        if (lines.empty())
            lines.push_back({text, lineEnd()});
        else
            insertAfter(lines.size() - 1, text);
    }
};

QString unquote(const QString& v) {
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        return v.mid(1, v.size() - 2);
    return v;
}

QString systemReason(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

// Reads everything from fd, at most kProfileFileMax bytes; a longer file is refused.
std::optional<QByteArray> readAll(int fd, QString* problem) {
    QByteArray bytes;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *problem = systemReason(errno);
            return std::nullopt;
        }
        if (n == 0)
            return bytes;
        if (bytes.size() + n > kProfileFileMax) {
            *problem = QStringLiteral("larger than 16 MB");
            return std::nullopt;
        }
        bytes.append(buf, n);
    }
}

// Opens the profile for reading without ever blocking, and only when it is a regular file
// that is not too large. A missing file gives -1 with an empty problem.
int openRegular(const QByteArray& path, int flags, QString* problem, struct stat* st) {
    const int fd = ::open(path.constData(), flags | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno != ENOENT && errno != ENOTDIR && errno != EEXIST)
            *problem = systemReason(errno);
        return -1;
    }
    if (::fstat(fd, st) != 0 || !S_ISREG(st->st_mode) || st->st_size > kProfileFileMax) {
        *problem = !S_ISREG(st->st_mode) ? QStringLiteral("not a regular file")
                                         : QStringLiteral("larger than 16 MB");
        ::close(fd);
        return -1;
    }
    return fd;
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
bool replaceAtomically(const QByteArray& target, const QByteArray& data, mode_t mode) {
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
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray dir = slash <= 0 ? QByteArray("/") : target.left(slash);
    const int dfd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

// The changed file: [section] key set to entry's line.
QByteArray withEntry(Lines text, const QString& section, const QString& key,
                     const QByteArray& entry) {
    std::vector<Line>& lines = text.lines;
    std::optional<size_t> lastInSection;
    bool inSection = false;
    bool seenSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Meaning m = meaningOf(lines[i].text);
        if (m.kind == Meaning::Section) {
            if (seenSection && inSection)
                break; // the section has ended without the key
            inSection = sameName(m.name, section);
            if (inSection) {
                seenSection = true;
                lastInSection = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (m.kind == Meaning::Entry && sameName(m.name, key)) {
            lines[i].text = entry; // the line keeps its own line end
            return text.join();
        }
        if (!trimBlanks(QString::fromUtf8(lines[i].text)).isEmpty())
            lastInSection = i;
    }
    if (lastInSection) {
        text.insertAfter(lastInSection, entry);
    } else {
        text.append('[' + section.toUtf8() + ']');
        text.append(entry);
    }
    return text.join();
}

// The path a write changes: a link is followed, so the link stays and its file changes.
QByteArray writeTarget(const QString& fileName) {
    const QString path = profilePath(fileName);
    const QFileInfo info(path);
    if (info.isSymLink() && info.exists())
        return QFile::encodeName(info.canonicalFilePath());
    return QFile::encodeName(path);
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

ProfileFile::Identity ProfileFile::identityOf(const QByteArray& path) {
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return {};
    const auto ns = [](const timespec& t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; };
    return {quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size), ns(st.st_mtim),
            ns(st.st_ctim)};
}

bool ProfileFile::unchangedOnDisk() const {
    return identityOf(path_) == identity_;
}

ProfileFile ProfileFile::read(const QString& fileName) {
    ProfileFile file;
    file.path_ = QFile::encodeName(profilePath(fileName));
    file.identity_ = identityOf(file.path_);
    struct stat st {};
    const int fd = openRegular(file.path_, O_RDONLY, &file.problem_, &st);
    if (fd < 0)
        return file;
    const std::optional<QByteArray> bytes = readAll(fd, &file.problem_);
    ::close(fd);
    if (!bytes)
        return file;
    QString section;
    for (const Line& line : Lines::split(*bytes).lines) {
        const Meaning m = meaningOf(line.text);
        if (m.kind == Meaning::Section)
            section = m.name;
        else if (m.kind == Meaning::Entry && !file.values_.contains(lookupKey(section, m.name)))
            file.values_.insert(lookupKey(section, m.name), m.value);
    }
    return file;
}

QString ProfileFile::value(const QString& section, const QString& key,
                           const QString& defaultText) const {
    const auto it = values_.constFind(lookupKey(section, key));
    if (it != values_.cend())
        return unquote(*it).left(kProfileValueMax);
    return trimBlanks(defaultText).left(kProfileValueMax);
}

QString getPrivateProfileString(const QString& section, const QString& key,
                                const QString& defaultText, const QString& fileName) {
    return ProfileFile::read(fileName).value(section, key, defaultText);
}

QString profileValueText(const QString& value) {
    const bool blankAtEnd = !value.isEmpty() && (isBlank(value.front()) || isBlank(value.back()));
    if (blankAtEnd || unquote(value).size() != value.size())
        return u'"' + value + u'"';
    return value;
}

bool writePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& fileName) {
    // A line break would split the value into lines of their own and change other keys.
    if (value.contains(u'\n') || value.contains(u'\r') || key.contains(u'\n') ||
        key.contains(u'\r') || key.contains(u'=') || section.contains(u'\n') ||
        section.contains(u']'))
        return false;
    const QByteArray path = writeTarget(fileName);
    if (!QDir().mkpath(QFileInfo(QFile::decodeName(path)).absolutePath()))
        return false;
    const QByteArray entry = key.toUtf8() + '=' + profileValueText(value).toUtf8();

    // The lock lives on the file itself, which every write replaces: a lock taken on a file
    // that has been replaced meanwhile is worthless, so it is taken again on the new one.
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString problem;
        struct stat st {};
        bool created = false;
        int fd = openRegular(path, O_RDONLY, &problem, &st);
        if (fd < 0 && problem.isEmpty() && errno == ENOENT) {
            fd = openRegular(path, O_RDONLY | O_CREAT | O_EXCL, &problem, &st);
            created = fd >= 0;
            if (fd < 0 && problem.isEmpty() && errno == EEXIST)
                continue; // created by another program meanwhile
        }
        if (fd < 0)
            return false;
        int locked = 0;
        while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        struct stat now {};
        if (locked != 0 || ::stat(path.constData(), &now) != 0 || now.st_dev != st.st_dev ||
            now.st_ino != st.st_ino) {
            ::close(fd);
            if (locked != 0)
                return false;
            continue;
        }
        // A file the user may not write, or one marked read-only (no write bit at all, which
        // binds root too), stays as it is although its folder would let us replace it.
        bool ok = ::access(path.constData(), W_OK) == 0 &&
                  (now.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
        std::optional<QByteArray> bytes;
        if (ok)
            bytes = readAll(fd, &problem);
        ok = ok && bytes &&
             replaceAtomically(path, withEntry(Lines::split(*bytes), section, key, entry),
                               now.st_mode & 07777);
        if (!ok && created)
            ::unlink(path.constData());
        ::close(fd);
        return ok;
    }
    return false;
}

} // namespace platform
