#pragma once

#include <QTimeZone>

namespace oltd {

// What a vendor driver is told about its OLT besides the command line.
struct DeviceOptions {
    // The zone of the OLT's clock, for times it prints without one
    // (inventory key time_zone; default: the service's own).
    QTimeZone timeZone = QTimeZone::systemTimeZone();
};

} // namespace oltd
