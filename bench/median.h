#pragma once

#include <QList>
#include <algorithm>

namespace bench {

// The middle value (the mean of the two middle ones for an even count).
inline double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

} // namespace bench
