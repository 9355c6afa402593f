// The composite texts the screens take apart again: engineer entries, the
// equipment label, leading numbers and mobiles, services and ports, the
// schema script and the service's allow list.
#include "db/schema.h"
#include "faults/fault_rules.h"
#include "fuzz_input.h"
#include "oltd/service_config.h"
#include "provisioning/customer_rules.h"

#include <QRegularExpression>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const QString name = fuzz::text(in, 64);
    const QString mobile = fuzz::text(in, 16);
    const QString text = fuzz::rest(in);
    using namespace provisioning;
    if (mobile.size() == 10)
        fuzz::require(engineerMobile(engineerEntry(name, mobile)) == mobile, "mobile back",
                      name + QLatin1Char('|') + mobile);
    engineerMobile(text);
    static const QRegularExpression plainNumber(
        QStringLiteral("^-?(0|[1-9][0-9]*)(\\.[0-9]*[1-9])?$"));
    const QString number = leadingNumber(text);
    fuzz::require(plainNumber.match(number).hasMatch() && number != QLatin1String("-0"),
                  "plain decimal number", text + QStringLiteral(" -> ") + number);
    serviceForUserName(text);
    mtnlVoiceDomain(name, text);
    withDefaultPort(text, 80);
    trimBlanks(text);
    faults::tunnelIdOf(text);
    faults::siteIsUp(text);
    const QString normal = faults::normalizedMobile(text);
    faults::isReachableMobile(normal);
    db::splitStatements(text);
    try {
        oltd::parseAllow(text, QStringLiteral("allow"), QStringLiteral("fuzz.ini"));
    } catch (const core::ConfigError&) {
    }
    return 0;
}
