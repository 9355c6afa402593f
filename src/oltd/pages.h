#pragma once

#include "oltd/driver.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrlQuery>
#include <functional>

namespace oltd {

// A page of the service, the keys it needs (in the order the client sends
// them; they may come in any order) and whether it changes an ONU.
struct PageInfo {
    QString name;
    QStringList keys;
    bool configuring = false;
};

const QList<PageInfo>& pageList();
const PageInfo* findPage(const QString& name);

// Keys whose values are passwords: never shown, logged or audited in clear.
bool isSecretKey(const QString& key);

struct PageAnswer {
    int status = 200;
    QByteArray html;
    QString outcome;           // a result code name, or what went wrong with the request
    QList<OnuSummary> removed; // the ONUs a clearing removed
};

// What a page runs with besides its query.
struct PageContext {
    Driver& driver;
    QDateTime now;
    // Clearing offline ONUs removes only those down at least this long.
    int offlineMinHours = 72;
    // Called by a configuring page right before it changes anything, with
    // the ONUs it is about to remove (none for a page that changes the ONU
    // its query names). False: the change must not be made; the page then
    // answers 503 and changes nothing.
    std::function<bool(const QList<OnuSummary>& toRemove)> beforeChange;
};

// The first key of the page that the query lacks; empty when all are there.
QString missingKey(const PageInfo& page, const QUrlQuery& query);

// The query's values, fully decoded; a key given twice counts once (first).
QString queryValue(const QUrlQuery& query, const QString& key);

// Runs the page against the driver. The query holds every key of the page.
PageAnswer servePage(const PageInfo& page, const QUrlQuery& query, PageContext& context);

// The SIP user configured from the phone key: the client sends a leading
// "+" as "k" (a "+" cannot travel in a query), which turns back into "+".
QString sipUserOf(const QString& phone);

// The body of onu_mac.php on a single match: exactly 84 characters of text,
// the whole MAC at characters 11 to 27.
QString macMatchText(const OnuSummary& onu, const QString& oltIp);

PageAnswer errorPage(int status, const QString& outcome, const QString& title, const QString& text);

// The HTTP status a driver's result code is answered with.
int httpStatus(Code code);

} // namespace oltd
