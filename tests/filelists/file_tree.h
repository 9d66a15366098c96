// Temporary directory trees for the list tests, built with the file system's own bytes (so
// names that are not valid UTF-8 can be made), and the process state those tests change.
#pragma once

#include "platform/volumes.h"
#include "qt_print.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace test {

class FileTree {
public:
    FileTree() {
        char resolved[PATH_MAX];
        // The working directory is reported with symbolic links resolved: so is the root.
        root_ = ::realpath(QFile::encodeName(dir_.path()).constData(), resolved)
                    ? QByteArray(resolved)
                    : QFile::encodeName(dir_.path());
    }

    const QByteArray& root() const { return root_; }
    QByteArray path(const QByteArray& relative) const {
        return relative.isEmpty() ? root_ : root_ + '/' + relative;
    }
    QString text(const QByteArray& relative) const { return QString::fromUtf8(path(relative)); }

    // Creates a file (and no folders: create them first).
    void file(const QByteArray& relative) const {
        const int fd = ::open(path(relative).constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        ASSERT_GE(fd, 0) << relative.constData();
        ::close(fd);
    }
    void files(std::initializer_list<const char*> names) const {
        for (const char* name : names)
            file(name);
    }
    void dir(const QByteArray& relative) const {
        ASSERT_EQ(::mkdir(path(relative).constData(), 0755), 0) << relative.constData();
    }
    void remove(const QByteArray& relative) const {
        QDir(QString::fromUtf8(path(relative))).removeRecursively();
    }

private:
    QTemporaryDir dir_;
    QByteArray root_;
};

// Saves the working directory and puts it back, with the system's volumes and no remembered
// volume directories, when the test ends.
class ProcessState {
public:
    ProcessState() : saved_(platform::currentDirectory()) {
        platform::setVolumesOverride(std::nullopt);
        platform::forgetVolumeCurrentDirectories();
    }
    ~ProcessState() {
        [[maybe_unused]] const int rc = ::chdir(saved_.constData());
        platform::setVolumesOverride(std::nullopt);
        platform::forgetVolumeCurrentDirectories();
    }

private:
    QByteArray saved_;
};

} // namespace test
