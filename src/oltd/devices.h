#pragma once

#include "core/clock.h"
#include "oltd/service.h"

namespace oltd {

// The devices of the running service: the simulated network for simulated
// OLTs and addresses the inventory lacks (when [oltd] default_driver says
// so), a vendor's driver on its own command line for the inventory's real
// OLTs. Every command line of one OLT shares that OLT's ONU index.
OltService::DeviceMaker deviceMaker(const ServiceSettings& settings, const core::Clock& clock);

} // namespace oltd
