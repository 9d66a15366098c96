// JPEG through libjpeg-turbo: decodes at the smallest DCT scale (1/8 ... 1) that still fills
// the hint box, so a 24-megapixel photo previews at about an eighth of the work, and applies
// the EXIF orientation so the picture comes out upright. Within the decode budget: libjpeg's
// own memory is capped at the memory budget, a progressive file may hold at most kMaxScans
// scans (2000 empty scans would otherwise cost minutes), and the time budget is checked
// between scan passes and rows.
#pragma once

#include "components/decoders/budget.h"
#include "components/decoders/picture.h"

#include <QByteArray>
#include <cstdio>

namespace decoders {

// As djpeg -maxscans: encoders write about ten scans (at most a few dozen with tuned scripts);
// each extra scan of a hostile file costs a pass over the whole coefficient buffer.
constexpr int kMaxScans = 100;

// Besides the scan count, the scans times the pixels are limited: each scan is a pass over the
// whole picture, so a huge picture with many scans costs minutes even within kMaxScans.
constexpr double kMaxScanPixels = 4e9;

// factsOnly: the header is read, no pixels. coefficientBytes, when given, receives the size of
// the whole-picture coefficient buffer libjpeg holds for a progressive file (0 for baseline).
Picture readJpeg(std::FILE* file, const DecodeOptions& options, bool factsOnly = false,
                 std::int64_t* coefficientBytes = nullptr);

} // namespace decoders
