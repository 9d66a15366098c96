// Helpers every test program shares: the private home, GLIM.INI in it, temporary folders.
#pragma once

#include "qt_print.h"

#include <QByteArray>
#include <QString>

namespace test {

// Points HOME and the XDG folders below root (called before the application exists).
void initPrivateHome(const QString& root);

// The GLIM.INI the program reads in tests.
QString iniPath();
// Replaces GLIM.INI with these bytes; an empty argument removes it.
void writeIni(const QByteArray& bytes);
QByteArray readIni();
bool iniExists();

// Writes bytes to a file, creating its folder.
void writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

// The same for paths given as their bytes (names that are not valid UTF-8).
void writeNativeFile(const QByteArray& path, const QByteArray& bytes);
QByteArray readNativeFile(const QByteArray& path);
bool existsNative(const QByteArray& path);
// Removes a folder and everything in it, whatever the names (the toolkit cannot remove names
// that are not valid UTF-8).
void removeNativeTree(const QByteArray& path);

} // namespace test
