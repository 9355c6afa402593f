// The subscriber directory's answer page as the customer record reads it.
#include "fuzz_input.h"
#include "provisioning/customer_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const auto answer = provisioning::parseLdapAnswer(fuzz::rest(in));
    if (answer.notFound)
        fuzz::require(!answer.userName && !answer.customerPhone && !answer.circle);
    if (answer.customerPhone)
        fuzz::require(!answer.customerPhone->contains(QLatin1Char('-')));
    return 0;
}
