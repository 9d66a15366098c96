// What one helper program decodes. Each helper program links exactly one readers_*.cpp, which
// names the libraries that process holds (see components/decoders/routes.h for which formats
// each helper is sent).
#pragma once

#include "components/decoders/format.h"
#include "components/decoders/picture.h"

#include <QByteArray>
#include <QSize>

namespace decoder_helper {

// Loads and initializes the libraries, before the sandbox closes: everything they read by
// name at start-up (configuration, plugins) is read here.
void prepareReaders(int& argc, char** argv);

// For the helpers that draw with Qt (metafiles, SVG): an offscreen application object and
// Qt's font database, both read before the sandbox closes (text needs them).
void startQtDrawing(int& argc, char** argv);

// Decodes one file's bytes. factsOnly: size and bits per pixel, no pixels needed.
decoders::Picture readInHelper(const QByteArray& bytes, decoders::Format format, QSize hint,
                               bool factsOnly);

} // namespace decoder_helper
