#include "support/summary.h"

#include <algorithm>

namespace bench {

Summary summarise(std::vector<double> ms) {
    Summary s;
    s.count = ms.size();
    if (ms.empty())
        return s;
    std::sort(ms.begin(), ms.end());
    const std::size_t n = ms.size();
    s.median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    s.p90 = ms[std::min(n - 1, std::size_t(double(n) * 0.9))];
    s.worst = ms.back();
    return s;
}

} // namespace bench
