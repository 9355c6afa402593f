#include "complaints/complaint_lifecycle.h"

#include "db/dialect.h"
#include "db/screen_db.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>

namespace complaints {

namespace {

// Stored as a date-time, like every other close date, so the report's
// period comparisons see a time long past rather than a text.
const QString notClosedYet = QStringLiteral("4/4/1990 12:00:00 AM");

// The complaint's number is the one the database gave its row.
QString insertComplaint(db::ScreenDb& db, const NewComplaint& c) {
    const QString insert =
        QStringLiteral("insert into complain(name,mobile,[issue date],description,status,"
                       "[close date],ssa,fe,[fe mob],pending,address,[user id],circle,ap,"
                       "ne,cat,srv) values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,'NA',?)");
    const auto row =
        db.query(db::insertReturningKey(db.backend(), insert, QStringLiteral("id")),
                 {db::text(c.name), db::text(c.mobile), db::dateTime(c.issueTime),
                  db::text(c.description), db::text(QStringLiteral("NEW")),
                  db::dateTime(notClosedYet), db::text(c.ssa), db::text(c.fe), db::text(c.feMobile),
                  db::text(QStringLiteral("0")), db::text(c.address), db::text(c.subscriberId),
                  db::text(c.circle), db::text(c.ap), db::text(c.user), db::text(c.service)});
    return row.trimmed(0);
}

void updateSubscriber(db::ScreenDb& db, const NewComplaint& c) {
    db.execute(QStringLiteral("update cdata set name=?,Mobile=?,Address=?,OTC=? where id=?"),
               {db::text(c.name), db::number(c.mobile), db::text(c.address), db::text(c.voiceIp),
                db::text(c.subscriberId)});
}

QNetworkAccessManager* noticeNetwork() {
    static QPointer<QNetworkAccessManager> network;
    if (!network)
        network = new QNetworkAccessManager(QCoreApplication::instance());
    return network;
}

} // namespace

LoggedComplaint logComplaint(db::ScreenDb& db, const NewComplaint& complaint) {
    db.begin(true);
    try {
        db.claim(db::Claim::SubscriberId, complaint.subscriberId);
        LoggedComplaint logged;
        const auto open =
            db.query(db::openComplaintsSql(db.backend()), {db::text(complaint.subscriberId)});
        if (!open.atEnd()) {
            logged.openBefore = open.trimmed(0);
        } else {
            logged.number = insertComplaint(db, complaint);
            updateSubscriber(db, complaint);
        }
        db.commit();
        return logged;
    } catch (...) {
        db.rollback();
        throw;
    }
}

namespace {

HistoryWrite missedWrite(db::ScreenDb& db, const QString& number) {
    const auto row =
        db.query(QStringLiteral("select id from complain where id=?"), {db::rowNumber(number)});
    return row.atEnd() ? HistoryWrite::Gone : HistoryWrite::Changed;
}

} // namespace

HistoryWrite recordUpdate(db::ScreenDb& db, const QString& number, const QString& lookedUp,
                          qint64 hours, const QString& history, const QString& category) {
    const int changed = db.execute(
        QStringLiteral("update complain  set Status='OPEN',Pending=?,Description=?,cat=? where "
                       "id=? and coalesce(description,'')=?"),
        {db::text(QString::number(hours)), db::text(history), db::text(category),
         db::rowNumber(number), db::text(lookedUp)});
    return changed > 0 ? HistoryWrite::Written : missedWrite(db, number);
}

HistoryWrite recordClosing(db::ScreenDb& db, const QString& number, const QString& lookedUp,
                           const Closing& closing) {
    const int changed = db.execute(
        QStringLiteral("update complain  set Status='CLOSED',description=?,[close date]=?,"
                       "Pending=?,ne=?,cat=? where id=? and coalesce(description,'')=?"),
        {db::text(closing.history), db::dateTime(closing.time),
         db::text(QString::number(closing.hours)), db::text(closing.user),
         db::text(closing.category), db::rowNumber(number), db::text(lookedUp)});
    return changed > 0 ? HistoryWrite::Written : missedWrite(db, number);
}

void markOfflineRecords(const db::DbSettings& settings, const QString& category,
                        const QString& subscriberId) {
    db::ScreenDb db(settings);
    db.openSecondary();
    db.execute(QStringLiteral("update offline_user SET LDR=? where id=? and FS<>'CLOSED'"),
               {db::text(category), db::text(subscriberId)});
    db.close();
}

QNetworkReply* sendClosingNotice(const QUrl& url, int waitLimitSeconds) {
    QNetworkReply* reply = noticeNetwork()->get(QNetworkRequest(url));
    // Nobody reads the answer, so it is dropped as it comes rather than held
    // until the reply ends: a portal answering without end costs nothing.
    QObject::connect(reply, &QNetworkReply::readyRead, reply,
                     [reply] { reply->skip(reply->bytesAvailable()); });
    QObject::connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
    QTimer::singleShot(waitLimitSeconds * 1000, reply, [reply] { reply->abort(); });
    return reply;
}

} // namespace complaints
