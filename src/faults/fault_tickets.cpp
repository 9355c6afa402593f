#include "faults/fault_tickets.h"

#include "db/dialect.h"
#include "db/error.h"
#include "db/screen_db.h"

namespace faults {

std::optional<Ticket> findTicket(db::ScreenDb& db, const QString& ftNumber) {
    std::optional<Ticket> found;
    if (!db::isRowNumber(ftNumber))
        return found;
    for (auto row = db.query(QStringLiteral("select * from bts_fault where [fault id]=?"),
                             {db::text(ftNumber)});
         !row.atEnd(); row.next())
        found = Ticket{row.trimmed(1), row.trimmed(2), row.trimmed(3),
                       row.trimmed(4), row.trimmed(5), row.trimmed(QStringLiteral("id")),
                       row.field(4)};
    return found;
}

QString openTicket(db::ScreenDb& db, const NewTicket& t) {
    const QString insert = QStringLiteral(
        " INSERT INTO BTS_FAULT(CIRCLE,SSA,[SITE NAME],FAULT,[ISSUE DATE],[CLOSE DATE],"
        "[DOWN TIME],STATUS,ID,[USER]) VALUES(?,?,?,?,?,?,?,'OPEN',?,?)");
    const auto row =
        db.query(db::insertReturningKey(db.backend(), insert, QStringLiteral("[fault id]")),
                 {db::text(t.circle), db::text(t.ssa), db::text(t.site), db::text(t.history),
                  db::text(t.openingTime), db::text(QStringLiteral("4/4/1970")),
                  db::text(QStringLiteral("0")), db::text(t.tunnelId), db::text(t.usersAffected)});
    return row.trimmed(0);
}

namespace {

// What a guarded write found when it changed no row.
HistoryWrite missedWrite(db::ScreenDb& db, const QString& ftNumber) {
    return findTicket(db, ftNumber) ? HistoryWrite::Changed : HistoryWrite::Gone;
}

} // namespace

HistoryWrite recordUpdate(db::ScreenDb& db, const QString& ftNumber, const QString& lookedUp,
                          const QString& history, qint64 downTime) {
    if (!db::isRowNumber(ftNumber))
        return HistoryWrite::Gone;
    const int changed = db.execute(
        QStringLiteral("update bts_fault  set fault=?,[DOWN TIME]=?where [FAULT ID]=? and "
                       "coalesce(fault,'')=?"),
        {db::text(history), db::text(QString::number(downTime)), db::text(ftNumber),
         db::text(lookedUp)});
    return changed > 0 ? HistoryWrite::Written : missedWrite(db, ftNumber);
}

HistoryWrite recordClosing(db::ScreenDb& db, const QString& ftNumber, const QString& lookedUp,
                           const QString& history, const QString& closingTime) {
    if (!db::isRowNumber(ftNumber))
        return HistoryWrite::Gone;
    const int changed = db.execute(
        QStringLiteral("UPDATE BTS_FAULT SET FAULT=?,STATUS='CLOSED',[CLOSE DATE]=? "
                       "where [fault id]=? and coalesce(fault,'')=?"),
        {db::text(history), db::text(closingTime), db::text(ftNumber), db::text(lookedUp)});
    return changed > 0 ? HistoryWrite::Written : missedWrite(db, ftNumber);
}

QString operatorAt(db::ScreenDb& db, const QString& mac) {
    QString name;
    for (auto row = db.query(QStringLiteral("SELECT * FROM CRM WHERE MAC=?"), {db::text(mac)});
         !row.atEnd(); row.next())
        name = row.trimmed(0);
    return name;
}

FaultContacts readContacts(db::ScreenDb& db, const QString& ssa, const QString& circle) {
    FaultContacts c;
    for (auto row = db.query(QStringLiteral("SELECT * FROM ssa WHERE ssa=?"), {db::text(ssa)});
         !row.atEnd(); row.next()) {
        c.feMobile = normalizedMobile(row.field(3));
        c.sdeBbMobile = normalizedMobile(row.field(4));
        c.sdeBbMail = row.field(5).trimmed();
        c.sdeTxMobile = normalizedMobile(row.field(6));
        c.sdeTxMail = row.field(7).trimmed();
        c.gmMobile = normalizedMobile(row.field(8));
        c.gmMail = row.field(9).trimmed();
    }
    for (auto row =
             db.query(QStringLiteral("select * from circle where circle=?"), {db::text(circle)});
         !row.atEnd(); row.next()) {
        c.circleHeadMobile = normalizedMobile(row.field(2));
        c.circleHeadMail = row.field(3).trimmed();
    }
    return c;
}

ContactsRead tryReadContacts(db::ScreenDb& db, const QString& ssa, const QString& circle) {
    try {
        return {readContacts(db, ssa, circle), {}};
    } catch (const db::Error& e) {
        return {{}, e.message()};
    }
}

} // namespace faults
