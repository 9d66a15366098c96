// Median, 90th percentile and worst of a run's timings, as the benchmarks print them.
#pragma once

#include <cstddef>
#include <vector>

namespace bench {

struct Summary {
    double median = 0;
    double p90 = 0;
    double worst = 0;
    std::size_t count = 0;
};

Summary summarise(std::vector<double> ms);

} // namespace bench
