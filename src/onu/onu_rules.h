#pragma once

#include <QString>
#include <optional>

namespace onu {

// The search key as typed: every "-" and blank removed, then one leading "0".
QString normaliseKey(const QString& typed);

// A stored pair "first/second" split at the first "/". Without a "/" the
// whole value is the second part and the first stays as it was (nullopt).
struct CompositeParts {
    std::optional<QString> first;
    QString second;
};
CompositeParts splitComposite(const QString& stored);

// The subscriber's WAN password and MTU come from the record only for MTNL
// (the service written exactly so, blanks around it aside).
bool isMtnl(const QString& service);

// The phone number as the OLT service takes it: "+" cannot travel, "k" stands in.
QString phoneForPage(const QString& phone);
// A Wi-Fi name with every blank turned into "-".
QString wifiNameForOnu(const QString& name);
// The Wi-Fi password the ONU accepts: at least 8 characters.
bool wifiPasswordLongEnough(const QString& password);

// What the MAC update did on one database: the rows it changed, or the
// server's message when it failed.
struct MacWrite {
    int changed = 0;
    std::optional<QString> failure;
};
// The report of a MAC update on the main and the second database. Without
// a failure it says where the MAC went ("MAC UPDATED", "... ONLY", "NO OLT
// ROW FOR «id»"); with one, a line per database, the failure in its words.
QString macUpdateReport(const MacWrite& main, const MacWrite& second, const QString& id);

} // namespace onu
