// The entries to picture decoding: a file in, a Picture out. No widgets here, and nothing tied
// to the UI thread: any thread may call them. The image box only shows what comes back.
//
// Files are named by their native path bytes (exact for names that are no valid UTF-8), or
// handed over open. The format is told by the content (see format.h); routes.h says which
// process decodes it. Every decode runs under the budget of budget.h: a picture that would
// need more memory is refused, one that takes longer than the time budget is abandoned, and a
// decoder that crashes takes only its helper process down. Each way the result is a failed
// Picture (no pixels, width, height and bits per pixel 0).
#pragma once

#include "components/decoders/budget.h"
#include "components/decoders/format.h"
#include "components/decoders/picture.h"

#include <QByteArray>
#include <QSize>
#include <QString>

namespace decoders {

// The facts of a picture from its header (width, height, bits per pixel, animated), without
// its pixels: cheap for every format. The Picture's image stays empty; error says why when the
// file is not a readable picture.
Picture readFacts(const QByteArray& nativePath, const DecodeOptions& options = {});

// Decodes the file, reduced towards options.hint when one is given.
Picture decodeFile(const QByteArray& nativePath, const DecodeOptions& options = {});

// The same for a file already open (read from its start; fd stays the caller's). name gives the
// extension for formats without a signature.
Picture decodeOpenFile(int fd, const QByteArray& name, const DecodeOptions& options = {});
Picture readOpenFileFacts(int fd, const QByteArray& name, const DecodeOptions& options = {});

// For callers holding a display path: the path's local 8-bit encoding is used.
Picture decodeFile(const QString& path, QSize hint = {});

// Decodes bytes already in memory with the readers linked into this process (the program's
// fast paths and our own decoders; the helper's libraries are not here). For tests and the
// helper itself. factsOnly: size and bits per pixel from the header, no pixels (GIF and BMP
// are decoded all the same).
Picture decodeBytes(const QByteArray& bytes, Format format, QSize hint = {},
                    bool factsOnly = false);

} // namespace decoders
