// Small file systems mounted inside a test's temporary folder, so that moves and the trash can
// cross volumes. Mounting needs root: where it is refused, the mount functions return an empty
// path and the test reports itself skipped (SKIP_UNLESS_MOUNTED), never passed.
#pragma once

#include <QString>
#include <QStringList>

namespace test {

class ScratchMounts {
public:
    ScratchMounts() = default;
    ScratchMounts(const ScratchMounts&) = delete;
    ScratchMounts& operator=(const ScratchMounts&) = delete;
    // Unmounts everything it mounted, latest first.
    ~ScratchMounts();

    // A fresh tmpfs of sizeKiB at path (created); empty when mounting is refused.
    QString tmpfs(const QString& path, int sizeKiB = 8192);
    // A read-only view of folder at path, through which nothing can be removed; empty when
    // refused.
    QString readOnlyView(const QString& folder, const QString& path);
    // A second writable view of folder at path (the same files under another mount).
    QString bindView(const QString& folder, const QString& path);

private:
    bool mountAt(const QString& path, const char* source, const char* type, unsigned long flags,
                 const char* options);
    QStringList mounted_;
};

// Marks a file immutable (no rename, no removal, even by root), or clears the mark; false when
// the file system cannot.
bool setImmutable(const QString& path, bool immutable);

} // namespace test

#define SKIP_UNLESS_MOUNTED(path)                                                                  \
    if ((path).isEmpty())                                                                          \
    GTEST_SKIP() << "mounting a scratch file system is refused here"
