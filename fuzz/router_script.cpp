// The router console script composed from the inner VLAN, the site's
// indicator and the configured accounts.
#include "provisioning/router_script.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    provisioning::RouterAccounts accounts{fuzz::text(in, 32), fuzz::text(in, 32),
                                          fuzz::text(in, 32)};
    const QString vlan = fuzz::text(in, 16);
    const QString indicator = fuzz::rest(in);
    const QString script = provisioning::routerScript(vlan, indicator, accounts);
    fuzz::require(script.endsWith(QStringLiteral("\r\n")));
    fuzz::require(script.contains(QStringLiteral("vlan-id=") + vlan));
    provisioning::noInnerVlanHeldBy(vlan);
    provisioning::isFreePairMark(indicator);
    return 0;
}
