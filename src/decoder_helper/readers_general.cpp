// glimra-decoder: GraphicsMagick (with libwmf for WMF), libtiff for TIFF, our own GIF reader
// and Qt's BMP reader for files too large for the program, and our own decoders of old
// formats.
#include "components/decoders/decode.h"
#include "components/decoders/gif_reader.h"
#include "components/decoders/magick_reader.h"
#include "components/decoders/tiff_reader.h"
#include "decoder_helper/readers.h"

#include <Magick++.h>
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <unistd.h>

namespace decoder_helper {

using decoders::Format;
using decoders::Picture;

namespace {

// GraphicsMagick reads our font map (see font_map.cmake) before its own: installed in
// share/glimra/graphicsmagick, or in the build tree beside the helper.
void useOwnFontMap() {
    char exe[4096];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    const QByteArray own = n > 0 ? QByteArray(exe, n) : QByteArray();
    const QByteArray dir = own.left(own.lastIndexOf('/'));
    for (const QByteArray& candidate :
         {dir + "/../../share/glimra/graphicsmagick", dir + "/graphicsmagick",
          QByteArray(GLIMRA_HELPER_BUILD_DIR "/graphicsmagick")})
        if (::access((candidate + "/type.mgk").constData(), R_OK) == 0) {
            ::setenv("MAGICK_CONFIGURE_PATH", candidate.constData(), 1);
            return;
        }
}

} // namespace

void prepareReaders(int&, char**) {
    useOwnFontMap();
    // One small read loads GraphicsMagick's configuration files before the sandbox, and a
    // font lookup its font map.
    decoders::readWithMagick(QByteArray("P1\n1 1\n0\n"), Format::SunRaster, {}, true);
    MagickLib::ExceptionInfo exception;
    MagickLib::GetExceptionInfo(&exception);
    MagickLib::GetTypeInfo("Times-Roman", &exception);
    MagickLib::DestroyExceptionInfo(&exception);
}

Picture readInHelper(const QByteArray& bytes, Format format, QSize hint, bool factsOnly) {
    switch (format) {
    case Format::Jpeg: // progressive files too large for the program
    case Format::GemImg:
    case Format::Msp:
    case Format::Ilbm:
    case Format::PcPaint:
        return decoders::decodeBytes(bytes, format, hint, factsOnly);
    case Format::Gif:
        // Screens too large for Qt's reader, which holds the whole screen at 32 bits.
        return decoders::readGif(bytes, hint, factsOnly);
    case Format::Bmp: {
        Picture p = decoders::decodeBytes(bytes, format, hint);
        if (p.ok())
            return p;
        // A BMP variant Qt does not read (a DIB without its file header, OS/2 forms).
        return decoders::readWithMagick(bytes, format, hint, factsOnly);
    }
    case Format::Tiff:
        // GraphicsMagick reads what libtiff alone does not (old-style JPEG, say).
        if (std::optional<Picture> p = decoders::readTiff(bytes, hint, factsOnly))
            return *p;
        return decoders::readWithMagick(bytes, format, hint, factsOnly);
    default:
        return decoders::readWithMagick(bytes, format, hint, factsOnly);
    }
}

} // namespace decoder_helper
