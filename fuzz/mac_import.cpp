// The MAC address in the OLT service's answer, the MAC the operator types,
// and the service's own reading of MAC texts.
#include "fuzz_input.h"
#include "oltd/mac.h"
#include "provisioning/customer_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const QString typed = fuzz::text(in, 64);
    const QString body = fuzz::rest(in);
    if (const auto mac = provisioning::importedMac(body))
        fuzz::require(mac->size() <= 17 && body.size() == 84, "mac from characters 11 to 27", body);
    provisioning::macToSend(typed);
    const QString digits = oltd::macDigits(typed);
    oltd::formatMac(digits);
    oltd::reversed(typed);
    return 0;
}
