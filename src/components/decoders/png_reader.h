// PNG through libpng, row by row: with a hint box each run of rows is averaged into one output
// row as it is decoded, so a large PNG previews without ever holding the whole picture (nor
// 16 bits per channel). An interlaced PNG is previewed pass by pass, each pass's pixels added
// into the reduced picture where they land. The time budget is checked between rows. An EXIF
// orientation (an eXIf chunk before the pixels) turns the picture upright, and the facts are
// the upright picture's.
#pragma once

#include "components/decoders/budget.h"
#include "components/decoders/picture.h"

#include <cstdio>

namespace decoders {

// factsOnly: the header is read, no pixels.
Picture readPng(std::FILE* file, const DecodeOptions& options, bool factsOnly = false);

} // namespace decoders
