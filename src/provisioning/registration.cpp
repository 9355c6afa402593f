#include "provisioning/registration.h"

#include "core/clock.h"
#include "core/text_formats.h"
#include "db/dialect.h"
#include "db/screen_db.h"
#include "provisioning/customer_rules.h"

#include <exception>

namespace provisioning {

namespace {

void insertCustomer(db::ScreenDb& db, const CustomerEntry& e, const QString& today) {
    const LookupValues& l = e.lookup;
    db.execute(QStringLiteral("insert into cdata values(?,?,?,?,?,?,?,'0','0',?,?,?,?,'0',?,'0',"
                              "?,?,'0','0','0','0',?,'0',?,'0',?,?,?,?)"),
               {db::text(e.userName),      db::text(e.name),         db::text(e.ssa),
                db::text(e.mobile),        db::text(e.address),      db::text(e.circle),
                db::text(today),           db::text(e.voiceDomain),  db::text(e.secondAccount),
                db::text(e.voiceAccount),  db::text(l.lookupNumber), db::text(l.lookupStatus),
                db::text(l.customerPhone), db::text(l.lookupMarker), db::text(QString()),
                db::text(e.service),       db::text(e.site),         db::text(l.customerPhone),
                db::text(today),           db::text(e.cluster)});
}

void insertComplaint(db::ScreenDb& db, const CustomerEntry& e, const core::Clock& clock) {
    db.execute(
        QStringLiteral("insert into complain(name,mobile,[issue date],description,status,"
                       "[close date],ssa,fe,[fe mob],pending,address,[user id],circle,ap,ne) "
                       "values(?,?,?,'NEW CONNECTION CONFIGURATION','CLOSED',?,?,?,?,'0',?,?,?,?,"
                       "?)"),
        {db::text(e.name), db::text(e.mobile),
         db::dateTime(core::formats::shortDateTime(clock.now())),
         db::dateTime(core::formats::shortDateTime(clock.now())), db::text(e.ssa),
         db::text(e.engineer), db::text(e.engineerMobile), db::text(e.address),
         db::text(e.userName), db::text(e.circle), db::text(e.site), db::text(e.operatorName)});
}

// A user name that already holds inner VLAN rows keeps them; otherwise the
// chosen free row becomes the customer's, but only while it is still free.
void assignInnerVlan(db::ScreenDb& db, const CustomerEntry& e, RegistrationResult& result) {
    QString heldId;
    result.innerVlanValue = e.innerVlan;
    {
        auto row =
            db.query(QStringLiteral("select * from OLT where  ID=?"), {db::text(e.userName)});
        for (; !row.atEnd(); row.next()) {
            result.heldInnerVlanFound = true;
            heldId = row.field(QStringLiteral("id"));
            result.innerVlanValue = row.field(QStringLiteral("IN_VLAN"));
        }
    }
    if (result.heldInnerVlanFound && heldId == e.userName) {
        result.innerVlan = RegistrationResult::InnerVlan::AlreadyPresent;
        return;
    }
    if (result.innerVlanValue.isEmpty()) {
        result.innerVlan = RegistrationResult::InnerVlan::NotChosen;
        return;
    }
    const int changed = db.execute(
        QStringLiteral("update OLT  set ID=?,MAC=? where OUT_VLAN=? AND IN_VLAN=? AND SITE=? AND "
                       "ID='NA'"),
        {db::text(e.userName), db::text(e.mac), db::text(e.outerVlan),
         db::text(result.innerVlanValue), db::text(e.site)});
    if (changed == 0)
        result.outcome = RegistrationResult::Outcome::InnerVlanTaken;
    else
        result.innerVlan = RegistrationResult::InnerVlan::Assigned;
}

RegistrationResult writeRegistration(db::ScreenDb& db, const CustomerEntry& entry,
                                     const core::Clock& clock) {
    RegistrationResult result;
    if (!entry.complete())
        return result;
    // The claim comes first: the check below must see every customer
    // another workstation could still be registering under this name.
    db.begin(true);
    db.claim(db::Claim::SubscriberId, trimBlanks(entry.userName));
    result.duplicates = countDuplicates(db, entry.userName);
    if (result.duplicates > 0) {
        result.outcome = RegistrationResult::Outcome::Duplicate;
        db.rollback();
        return result;
    }
    result.outcome = RegistrationResult::Outcome::Registered;
    insertCustomer(db, entry, core::formats::shortDate(clock.now().date()));
    insertComplaint(db, entry, clock);
    assignInnerVlan(db, entry, result);
    if (result.outcome == RegistrationResult::Outcome::InnerVlanTaken)
        db.rollback();
    else
        db.commit();
    return result;
}

} // namespace

bool CustomerEntry::complete() const {
    for (const QString* field :
         {&engineer, &cluster, &userName, &name, &mobile, &address, &circle, &ssa, &service, &site})
        if (field->isEmpty())
            return false;
    return true;
}

QString beginsWithPattern(const QString& text) {
    QString pattern;
    pattern.reserve(text.size() + 1);
    for (const QChar c : text) {
        if (c == QLatin1Char('!') || c == QLatin1Char('%') || c == QLatin1Char('_') ||
            c == QLatin1Char('['))
            pattern += QLatin1Char('!');
        pattern += c;
    }
    return pattern + QLatin1Char('%');
}

// The typed name is trimmed too: " ravi.k" would otherwise register a second
// customer beside a stored "ravi.k" (and SQL Server compares the two equal
// once the blanks trail).
int countDuplicates(db::ScreenDb& db, const QString& userName) {
    const QString name = trimBlanks(userName);
    int count = 0;
    auto row =
        db.query(db::duplicateCandidatesSql(db.backend()), {db::text(beginsWithPattern(name))});
    for (; !row.atEnd(); row.next())
        if (trimBlanks(row.field(0)) == name)
            ++count;
    return count;
}

RegistrationResult registerCustomer(db::ScreenDb& db, const CustomerEntry& entry,
                                    const core::Clock& clock) {
    db.open();
    RegistrationResult result;
    try {
        result = writeRegistration(db, entry, clock);
    } catch (const std::exception&) {
        // Nothing of a registration stays half written.
        try {
            db.rollback();
        } catch (const std::exception&) {
        }
        db.close();
        throw;
    }
    db.close();
    return result;
}

} // namespace provisioning
