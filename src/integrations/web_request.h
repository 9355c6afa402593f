#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QUrl>
#include <optional>

namespace integrations {

// One HTTP request to an outside service. The caller waits, but the UI keeps
// handling events meanwhile; the wait ends at the time limit.
struct HttpAnswer {
    int status = 0; // HTTP status; 0 when no answer came
    QByteArray body;
    QString error;         // empty when the service answered
    bool timedOut = false; // nothing came within the wait limit
    bool ok() const { return error.isEmpty(); }
};

using HttpHeaders = QList<QPair<QByteArray, QByteArray>>;

// The services answer with a status and a short page; anything longer is not
// theirs to send. Reading stops as soon as an answer declares or delivers
// more, and the answer is reported as not read.
constexpr qint64 answerLimitBytes = 1024 * 1024;

HttpAnswer httpGet(const QUrl& url, int waitLimitSeconds);
// extraTrusted: certificates trusted for this request only, beside the
// system's.
HttpAnswer httpPost(const QUrl& url, const QByteArray& body, const HttpHeaders& headers,
                    int waitLimitSeconds, const QList<QSslCertificate>& extraTrusted = {});

// The TLS configuration of a request that trusts extraTrusted beside the
// system's certificates (and any the application made default).
QSslConfiguration tlsTrusting(const QList<QSslCertificate>& extraTrusted);

} // namespace integrations
