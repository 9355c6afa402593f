#pragma once

#include <QList>
#include <algorithm>
#include <array>
#include <functional>

namespace bench {

// The middle value (the mean of the two middle ones for an even count).
inline double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

// Times one(target, run) for two targets, warmUp + runs times each,
// alternating which goes first so that a drift of the disk or the page cache
// favours neither; the median milliseconds of each after the warm-up.
inline std::array<double, 2> alternatingMedians(int warmUp, int runs,
                                                const std::function<double(int, int)>& one) {
    std::array<QList<double>, 2> ms;
    for (int i = 0; i < warmUp + runs; ++i)
        for (int k = 0; k < 2; ++k) {
            const int target = (i + k) % 2;
            const double taken = one(target, i);
            if (i >= warmUp)
                ms[target] << taken;
        }
    return {median(ms[0]), median(ms[1])};
}

} // namespace bench
