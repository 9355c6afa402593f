#pragma once

#include "db/history_write.h"

#include <QString>
#include <QUrl>

class QNetworkReply;

namespace db {
class ScreenDb;
struct DbSettings;
} // namespace db

// The database side of logging, updating and closing a complaint. The
// register screen decides what to write and what to tell the operator; these
// run its statements on the screen's open connection.
namespace complaints {

// A complaint as the register logs it, with the subscriber details the
// operator may have corrected on the screen.
struct NewComplaint {
    QString name;
    QString mobile; // digits only: the subscriber record takes it as a number
    QString issueTime;
    QString description;
    QString ssa;
    QString fe;
    QString feMobile;
    QString address;
    QString subscriberId;
    QString circle;
    QString ap;
    QString user;
    QString service;
    QString voiceIp;
};

struct LoggedComplaint {
    QString number;     // the new complaint's, as the database gave it
    QString openBefore; // else: the subscriber's complaint that is still open
};

// Inserts the complaint as "NEW", writes the subscriber's name, mobile,
// address and voice IP, all in one transaction: a subscriber update that
// fails leaves no complaint behind. Nothing is written while the subscriber
// has a complaint that is not closed, also one another desk logged a moment
// ago: the check and the insert hold the subscriber id's claim together.
LoggedComplaint logComplaint(db::ScreenDb& db, const NewComplaint& complaint);

// History writes are guarded by `lookedUp`, the history the screen showed.
using db::HistoryWrite;

// Marks the complaint "OPEN" with its new history, hours and category.
HistoryWrite recordUpdate(db::ScreenDb& db, const QString& number, const QString& lookedUp,
                          qint64 hours, const QString& history, const QString& category);

struct Closing {
    QString history; // with the closing entry
    QString time;
    qint64 hours = 0;
    QString user;
    QString category;
};

// Marks the complaint "CLOSED" with the closing entry, time, hours, closer
// and category.
HistoryWrite recordClosing(db::ScreenDb& db, const QString& number, const QString& lookedUp,
                           const Closing& closing);

// Marks the subscriber's offline records that are not closed with the
// category, on the secondary server. It uses a connection of its own: the
// screen's may still be held open on the primary by a page click waiting for
// its answer.
void markOfflineRecords(const db::DbSettings& settings, const QString& category,
                        const QString& subscriberId);

// Requests the portal's closing notice in the background: the screen does not
// wait, the answer is ignored, and the request is dropped at the wait limit.
// It outlives the screen, so closing the window right after a closing does
// not lose the notice. The request is returned still under way; it deletes
// itself when it ends.
QNetworkReply* sendClosingNotice(const QUrl& url, int waitLimitSeconds);

} // namespace complaints
