// Pictures for the benchmarks that compress like photographs.
#pragma once

#include <QImage>
#include <cstdint>

namespace bench {

// Smooth gradients with grain; seed varies the grain, so pictures differ.
QImage photoLike(int w, int h, std::uint32_t seed = 7);

} // namespace bench
