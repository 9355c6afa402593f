#include "masterdata/status_tally.h"

#include "db/row_cursor.h"

namespace masterdata {

namespace {

const QString suspendedPolicy = QStringLiteral("Vuva_Susp");

} // namespace

void StatusTally::add(const std::optional<QString>& status, const std::optional<QString>& policy) {
    ++total;
    if (!status)
        return;
    const std::optional<QString> trimmedPolicy =
        policy ? std::optional<QString>(db::trimBlanks(*policy)) : std::nullopt;
    const bool isActive = *status == QLatin1String("active");
    if (isActive && trimmedPolicy && *trimmedPolicy != suspendedPolicy)
        ++active;
    if (*status == QLatin1String("inactive"))
        ++inactive;
    if (*status == QLatin1String("DELETED"))
        ++deleted;
    if (isActive && trimmedPolicy && *trimmedPolicy == suspendedPolicy)
        ++suspended;
    if (*status == QLatin1String("MarkedForDeletion"))
        ++markedForDeletion;
}

} // namespace masterdata
