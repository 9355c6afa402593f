#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrlQuery>

namespace httpd {

// One request as a service's pages see it, whatever carried it.
struct Request {
    QByteArray method; // as sent: "GET", "HEAD", "POST", ...
    QString path;      // percent-decoded
    QUrlQuery query;
    QHostAddress client;
    QList<QPair<QByteArray, QByteArray>> headers; // names in lower case
    QByteArray body;

    // The first value of the header `name` (given in lower case); empty when
    // the request has none.
    QByteArray header(const QByteArray& name) const {
        for (const auto& [key, value] : headers)
            if (key == name)
                return value;
        return {};
    }
};

// What a page answers: the status, the body and the headers of its own
// (Content-Type, Location, ...).
struct Response {
    int status = 200;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
};

} // namespace httpd
