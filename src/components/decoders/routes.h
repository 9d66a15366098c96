// Which process decodes each format: one table, read by decodeFile in the program and by the
// decoder helper. Formats read by our fast paths (libjpeg-turbo, libpng, Qt's GIF and BMP
// readers) decode in the program, under the decode budget; everything read by large
// third-party libraries, and our own decoders of old formats that hold whole pictures, run in
// the sandboxed helper process `glimra-decoder`.
//
// Adding a decoder to the helper:
//  1. add the format to `Format` (format.h) with its signature or extension;
//  2. add a row here naming the helper that reads it (`HelperKind::General` unless its library
//     clashes with one already linked there: then a helper kind of its own, as for EMF);
//  3. write the reader (bytes, format, hint -> Picture, see picture.h) and call it from the
//     helper's reader switch (src/decoder_helper/readers_*.cpp), linking its library to that
//     helper only;
//  4. give it a fixture in tests/components/fixtures.cpp (today's formats:
//     tests/components/todays_fixtures.cpp) and a fuzz target in fuzz/.
// The helper reads the file from the descriptor it is handed, decodes within the budget it is
// sent, and returns facts and pixels; the program never links the library.
#pragma once

#include "components/decoders/format.h"

#include <cstdint>

namespace decoders {

// The helper processes. Each kind is a program of its own, so that libraries with clashing
// symbols (libwmflite and libuemf both export wmf_free) never share a process.
enum class HelperKind {
    None,    // decoded in the program
    General, // glimra-decoder: GraphicsMagick (and libwmf), libtiff, our own decoders of old
             // formats
    Emf,     // glimra-decoder-emf: libemf2svg drawn by Qt SVG
    // glimra-decoder-modern: today's formats (libwebp, libheif, libavif, libjxl, LibRaw, Qt SVG
    // and Qt's icon and netpbm readers), apart from GraphicsMagick.
    Modern,
};

struct FormatRoute {
    Format format;
    HelperKind helper;
    // For a format the program reads itself: pictures claiming more pixels than this go to the
    // helper instead, so a small file claiming a huge picture never costs the program its
    // memory (0: no such limit).
    std::int64_t inProcessUpToPixels;
};

const FormatRoute& routeOf(Format format);

// The helper program's file name for a kind ("glimra-decoder", ...).
const char* helperProgramName(HelperKind kind);

} // namespace decoders
