// PNG through libpng, row by row: with a hint box each run of rows is averaged into one output
// row as it is decoded, so a large PNG previews without ever holding the whole picture (nor
// 16 bits per channel).
#pragma once

#include "components/decoders/picture.h"

#include <cstdio>

namespace decoders {

Picture readPng(std::FILE* file, QSize hint);

} // namespace decoders
