#pragma once

#include "db/history_write.h"
#include "faults/fault_rules.h"

#include <QString>
#include <optional>

namespace db {
class ScreenDb;
}

// The database side of the fault tickets: the site fault screen decides what
// to write and what to tell the operator; these run its statements on the
// screen's open connection.
namespace faults {

// A ticket as the lookup shows it.
struct Ticket {
    QString circle;
    QString ssa;
    QString site;
    QString history;
    QString issueTime;
    QString tunnelId;
    // The history exactly as stored, the text a guarded write compares.
    QString storedHistory;
};

struct NewTicket {
    QString circle;
    QString ssa;
    QString site;
    QString history;
    QString openingTime;
    QString tunnelId;
    QString usersAffected;
};

// The ticket with this FT number; nothing when no ticket has it (a text
// that is no number names none, and is not sent to the server).
std::optional<Ticket> findTicket(db::ScreenDb& db, const QString& ftNumber);

// Stores the ticket as "OPEN" and returns its FT number, the one the
// database gave this row: another desk's ticket stored at the same moment
// cannot be mistaken for it.
QString openTicket(db::ScreenDb& db, const NewTicket& ticket);

// History writes are guarded by `lookedUp`, the history the screen showed.
using db::HistoryWrite;

// Writes the history and the down time.
HistoryWrite recordUpdate(db::ScreenDb& db, const QString& ftNumber, const QString& lookedUp,
                          const QString& history, qint64 downTime);
// Writes the closing entry, the status and the close date.
HistoryWrite recordClosing(db::ScreenDb& db, const QString& ftNumber, const QString& lookedUp,
                           const QString& history, const QString& closingTime);

// The operator whose login bound this workstation's MAC (the last such
// row); empty when none did.
QString operatorAt(db::ScreenDb& db, const QString& mac);

// The SSA's and the circle's contacts, mobiles normalised and mails
// trimmed; the last row of each counts, a missing row leaves its contacts
// empty.
FaultContacts readContacts(db::ScreenDb& db, const QString& ssa, const QString& circle);

// The contacts, or the database's reason when they could not be read: a
// ticket's notices then go to nobody rather than to the fixed list alone,
// and the operator is told why.
struct ContactsRead {
    FaultContacts contacts;
    QString problem; // empty when read
};
ContactsRead tryReadContacts(db::ScreenDb& db, const QString& ssa, const QString& circle);

} // namespace faults
