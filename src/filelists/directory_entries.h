// Reading a directory for the list controls: one pass over its entries, each name matched
// against every pattern of the mask, attributes as the platform layer defines them (hidden: a
// name starting with "."; system: neither a regular file nor a directory; read-only: not
// writable by the user; directory: a directory, symbolic links followed).
#pragma once

#include "filelists/file_mask.h"
#include "filelists/list_types.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

namespace filelists {

// One row of a file list.
struct FileRow {
    QByteArray name;   // the entry's name as the file system holds it
    QString text;      // what the row shows: the name, or "[name]" for a directory
    bool ascii = true; // the name is plain ASCII (a faster comparison sorts it)
    bool directory = false;

    // The row's text in the file system's bytes: the name, or "[name]" for a directory.
    QByteArray nativeText() const { return directory ? '[' + name + ']' : name; }
};

// The order of the rows: ascending by text without regard to case; equal texts by their bytes.
bool rowLess(const FileRow& a, const FileRow& b);

// The rows a file list shows for directory `dir` (a native path): every entry whose name
// matches a pattern of the mask, once per matching pattern, unless it is hidden, system or a
// directory and fileType does not ask for that; an entry is listed when fileType holds
// ftNormal or one of its attributes. Sorted by rowLess. manyRows runs once, when the 101st
// row is added (the list shows the hourglass from then on). Raises the input/output error of
// a directory that cannot be read; "." and ".." are entries like any other directory.
std::vector<FileRow> readFileRows(const QByteArray& dir, const MaskMatcher& mask,
                                  TFileType fileType, const std::function<void()>& manyRows = {});

// The subdirectories of `dir` a directory list shows: directories (symbolic links followed)
// that are neither hidden nor system, without "." and "..", sorted without regard to case.
// A directory that cannot be read has none.
QList<QByteArray> readSubdirectoryNames(const QByteArray& dir);

} // namespace filelists
