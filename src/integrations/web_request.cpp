#include "integrations/web_request.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QTimer>

namespace integrations {

namespace {

// The services answer with a status and a short page; anything longer is
// not theirs to send, and reading it whole would hold the desk's memory.
constexpr qint64 answerLimitBytes = 1024 * 1024;

HttpAnswer await(QNetworkReply* reply, int waitLimitSeconds) {
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    HttpAnswer answer;
    bool tooLong = false;
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        answer.body += reply->read(answerLimitBytes + 1 - answer.body.size());
        if (answer.body.size() > answerLimitBytes) {
            tooLong = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(waitLimitSeconds * 1000);
    if (!reply->isFinished())
        loop.exec();
    if (tooLong) {
        answer.body.clear();
        answer.error = QStringLiteral("answer longer than %1 MB, not read")
                           .arg(answerLimitBytes / (1024 * 1024));
        return answer;
    }
    if (!reply->isFinished()) {
        reply->abort();
        answer.body.clear();
        answer.error = QStringLiteral("No answer within %1 s").arg(waitLimitSeconds);
        answer.timedOut = true;
        return answer;
    }
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.body += reply->readAll();
    if (reply->error() != QNetworkReply::NoError)
        answer.error = reply->errorString();
    return answer;
}

// A manager per request: requests are rare, and nothing outlives the
// application object this way.
template <class Send> HttpAnswer send(Send sendOn, int waitLimitSeconds) {
    QNetworkAccessManager manager;
    QNetworkReply* reply = sendOn(manager);
    HttpAnswer answer = await(reply, waitLimitSeconds);
    delete reply;
    return answer;
}

} // namespace

HttpAnswer httpGet(const QUrl& url, int waitLimitSeconds) {
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    return send([&](QNetworkAccessManager& m) { return m.get(request); }, waitLimitSeconds);
}

HttpAnswer httpPost(const QUrl& url, const QByteArray& body, const HttpHeaders& headers,
                    int waitLimitSeconds, const QList<QSslCertificate>& extraTrusted) {
    QNetworkRequest request(url);
    if (!extraTrusted.isEmpty()) {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.addCaCertificates(extraTrusted);
        request.setSslConfiguration(tls);
    }
    for (const auto& h : headers)
        request.setRawHeader(h.first, h.second);
    return send([&](QNetworkAccessManager& m) { return m.post(request, body); }, waitLimitSeconds);
}

} // namespace integrations
