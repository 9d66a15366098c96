// How a path given to the directory list names a directory, on the file system's bytes.
#pragma once

#include <QByteArray>

namespace filelists {

// dir + "/" + name, without doubling the "/" of the root.
QByteArray joinPath(const QByteArray& dir, const QByteArray& name);

// The absolute directory a request names: "[name]" stands for name (the form in which a file
// list shows a directory), unless "[name]" is itself a directory; a relative path is taken
// against workingDirectory; a last component that names an existing file, or that holds "*" or
// "?" and is no existing directory, is dropped. The result is not checked further: entering
// it reports what is wrong.
QByteArray requestedDirectory(const QByteArray& path, const QByteArray& workingDirectory);

} // namespace filelists
