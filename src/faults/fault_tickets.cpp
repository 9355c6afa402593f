#include "faults/fault_tickets.h"

#include "db/error.h"
#include "db/screen_db.h"

namespace faults {

namespace {

// FT numbers are the table's integer identity. Any other text names no
// ticket; the production server would refuse to compare it at all.
bool isFtNumber(const QString& text) {
    if (text.isEmpty() || text.size() > 9)
        return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

} // namespace

std::optional<Ticket> findTicket(db::ScreenDb& db, const QString& ftNumber) {
    std::optional<Ticket> found;
    if (!isFtNumber(ftNumber))
        return found;
    for (auto row = db.query(QStringLiteral("select * from bts_fault where [fault id]=?"),
                             {db::text(ftNumber)});
         !row.atEnd(); row.next())
        found = Ticket{row.trimmed(1), row.trimmed(2), row.trimmed(3),
                       row.trimmed(4), row.trimmed(5), row.trimmed(QStringLiteral("id"))};
    return found;
}

QString openTicket(db::ScreenDb& db, const NewTicket& t) {
    db.begin(true);
    try {
        db.execute(QStringLiteral(" INSERT INTO BTS_FAULT(CIRCLE,SSA,[SITE NAME],FAULT,"
                                  "[ISSUE DATE],[CLOSE DATE],[DOWN TIME],STATUS,ID,[USER]) "
                                  "VALUES(?,?,?,?,?,?,?,'OPEN',?,?)"),
                   {db::text(t.circle), db::text(t.ssa), db::text(t.site), db::text(t.history),
                    db::text(t.openingTime), db::text(QStringLiteral("4/4/1970")),
                    db::text(QStringLiteral("0")), db::text(t.tunnelId),
                    db::text(t.usersAffected)});
        QString number;
        for (auto row = db.query(QStringLiteral(
                 "SELECT [fault id] FROM bts_fault WHERE [fault id] = (SELECT MAX([fault id]) "
                 "FROM bts_fault)"));
             !row.atEnd(); row.next())
            number = row.trimmed(0);
        db.commit();
        return number;
    } catch (...) {
        db.rollback();
        throw;
    }
}

int recordUpdate(db::ScreenDb& db, const QString& ftNumber, const QString& history,
                 qint64 downTime) {
    if (!isFtNumber(ftNumber))
        return 0;
    return db.execute(
        QStringLiteral("update bts_fault  set fault=?,[DOWN TIME]=?where [FAULT ID]=?"),
        {db::text(history), db::text(QString::number(downTime)), db::text(ftNumber)});
}

int recordClosing(db::ScreenDb& db, const QString& ftNumber, const QString& history,
                  const QString& closingTime) {
    if (!isFtNumber(ftNumber))
        return 0;
    return db.execute(QStringLiteral("UPDATE BTS_FAULT SET FAULT=?,STATUS='CLOSED',[CLOSE DATE]=? "
                                     "where [fault id]=?"),
                      {db::text(history), db::text(closingTime), db::text(ftNumber)});
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
