#pragma once

#include <QString>
#include <optional>

namespace core {
class Clock;
}

namespace db {
class ScreenDb;
}

namespace provisioning {

// What the lookups of the customer record screen found; kept by the screen
// until the next lookup, and written with every registration. Empty until a
// lookup has run.
struct LookupValues {
    QString customerPhone;
    QString lookupNumber;
    QString lookupStatus;
    QString lookupMarker;
};

// Everything a registration writes, as the customer record screen holds it
// when SUBMIT is clicked.
struct CustomerEntry {
    QString userName;
    QString name;
    QString mobile;
    QString address;
    QString mac;
    QString engineerMobile;
    QString cluster;
    QString voiceDomain;   // "«sip domain»/«voip vlan»"
    QString voiceAccount;  // "«user»/«password»"
    QString secondAccount; // "«user»/«password»"
    QString circle;
    QString ssa;
    QString service;
    QString site;
    QString engineer; // the whole list entry "«name» «mobile»"
    QString innerVlan;
    QString outerVlan;
    LookupValues lookup;
    QString operatorName;

    // The ten fields a registration cannot do without; a blank counts as text.
    bool complete() const;
};

struct RegistrationResult {
    enum class Outcome {
        MissingData,    // a required field is empty; nothing written
        Duplicate,      // the user name is already a customer; nothing written
        Registered,     // customer and complaint written
        InnerVlanTaken, // the chosen inner VLAN is no longer free; nothing written
    };
    enum class InnerVlan { Assigned, AlreadyPresent, NotChosen };

    Outcome outcome = Outcome::MissingData;
    int duplicates = 0; // stored customers whose id is the user name
    InnerVlan innerVlan = InnerVlan::NotChosen;
    // The inner VLAN the registration ended with: the one the user name
    // already holds, or the one chosen.
    QString innerVlanValue;
    // True when the user name already held inner VLAN rows; the screen then
    // shows innerVlanValue in its inner VLAN field.
    bool heldInnerVlanFound = false;
};

// Registers a new customer: the customer row, a closed "NEW CONNECTION
// CONFIGURATION" complaint and the chosen inner VLAN, all in one transaction.
// The duplicate check runs under the user name's claim, so two workstations
// registering one user name at the same moment leave one customer. Opens and
// closes the connection itself; a statement the database refuses rolls
// everything back and throws db::Error.
RegistrationResult registerCustomer(db::ScreenDb& db, const CustomerEntry& entry,
                                    const core::Clock& clock);

// How many stored customer ids equal the user name once the blanks around
// both are trimmed (case counts). Reads only the candidates the id index finds.
int countDuplicates(db::ScreenDb& db, const QString& userName);

// The LIKE pattern for "begins with text": %, _, [ and the escape "!" in the
// text match only themselves.
QString beginsWithPattern(const QString& text);

} // namespace provisioning
