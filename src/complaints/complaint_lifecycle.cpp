#include "complaints/complaint_lifecycle.h"

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

void insertComplaint(db::ScreenDb& db, const NewComplaint& c) {
    db.execute(QStringLiteral("insert into complain(name,mobile,[issue date],description,status,"
                              "[close date],ssa,fe,[fe mob],pending,address,[user id],circle,ap,"
                              "ne,cat,srv) values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,'NA',?)"),
               {db::text(c.name), db::text(c.mobile), db::dateTime(c.issueTime),
                db::text(c.description), db::text(QStringLiteral("NEW")),
                db::dateTime(notClosedYet), db::text(c.ssa), db::text(c.fe), db::text(c.feMobile),
                db::text(QStringLiteral("0")), db::text(c.address), db::text(c.subscriberId),
                db::text(c.circle), db::text(c.ap), db::text(c.user), db::text(c.service)});
}

void updateSubscriber(db::ScreenDb& db, const NewComplaint& c) {
    db.execute(QStringLiteral("update cdata set name=?,Mobile=?,Address=?,OTC=? where id=?"),
               {db::text(c.name), db::number(c.mobile), db::text(c.address), db::text(c.voiceIp),
                db::text(c.subscriberId)});
}

QString firstOpenComplaint(db::ScreenDb& db, const QString& subscriberId) {
    const auto row =
        db.query(QStringLiteral("select id from complain WHERE [user id]=? and status<>'CLOSED'"),
                 {db::text(subscriberId)});
    return row.field(QStringLiteral("ID"));
}

QNetworkAccessManager* noticeNetwork() {
    static QPointer<QNetworkAccessManager> network;
    if (!network)
        network = new QNetworkAccessManager(QCoreApplication::instance());
    return network;
}

} // namespace

QString logComplaint(db::ScreenDb& db, const NewComplaint& complaint) {
    db.begin();
    try {
        insertComplaint(db, complaint);
        updateSubscriber(db, complaint);
        const QString number = firstOpenComplaint(db, complaint.subscriberId);
        db.commit();
        return number;
    } catch (...) {
        db.rollback();
        throw;
    }
}

bool recordUpdate(db::ScreenDb& db, const QString& number, qint64 hours, const QString& history,
                  const QString& category) {
    return db.execute(QStringLiteral("update complain  set Status='OPEN',Pending=?,"
                                     "Description=?,cat=? where id=?"),
                      {db::text(QString::number(hours)), db::text(history), db::text(category),
                       db::text(number)}) > 0;
}

bool recordClosing(db::ScreenDb& db, const QString& number, const QString& history,
                   const QString& closingTime, qint64 hours, const QString& user,
                   const QString& category) {
    return db.execute(QStringLiteral("update complain  set Status='CLOSED',description=?,"
                                     "[close date]=?,Pending=?,ne=?,cat=? where id=?"),
                      {db::text(history), db::dateTime(closingTime),
                       db::text(QString::number(hours)), db::text(user), db::text(category),
                       db::text(number)}) > 0;
}

void markOfflineRecords(const db::DbSettings& settings, const QString& category,
                        const QString& subscriberId) {
    db::ScreenDb db(settings);
    db.openSecondary();
    db.execute(QStringLiteral("update offline_user SET LDR=? where id=? and FS<>'CLOSED'"),
               {db::text(category), db::text(subscriberId)});
    db.close();
}

void sendClosingNotice(const QUrl& url, int waitLimitSeconds) {
    QNetworkReply* reply = noticeNetwork()->get(QNetworkRequest(url));
    // Nobody reads the answer, so it is dropped as it comes rather than held
    // until the reply ends: a portal answering without end costs nothing.
    QObject::connect(reply, &QNetworkReply::readyRead, reply,
                     [reply] { reply->skip(reply->bytesAvailable()); });
    QObject::connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
    QTimer::singleShot(waitLimitSeconds * 1000, reply, [reply] { reply->abort(); });
}

} // namespace complaints
