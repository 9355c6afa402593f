#include "integrations/web_request.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <QTimer>

namespace integrations {

namespace {

// Qt's network thread hands the reply this much at most before it waits for
// us to read, so a flood cannot pile up in the UI thread's queue.
constexpr qint64 readAheadBytes = 64 * 1024;

// Reads one reply while the UI keeps turning, and gives up on it the moment
// it cannot be a service's answer: longer than the cap (as declared, or as
// counted), or not finished within the wait limit.
class Reading {
public:
    Reading(QNetworkReply* reply, int waitLimitSeconds)
        : m_reply(reply)
        , m_waitLimitSeconds(waitLimitSeconds) {
        m_limit.setSingleShot(true);
        reply->setReadBufferSize(readAheadBytes);
        QObject::connect(reply, &QNetworkReply::metaDataChanged, &m_loop,
                         [this] { checkDeclared(); });
        QObject::connect(reply, &QNetworkReply::readyRead, &m_loop, [this] { take(); });
        QObject::connect(reply, &QNetworkReply::finished, &m_loop, &QEventLoop::quit);
        QObject::connect(&m_limit, &QTimer::timeout, &m_loop, &QEventLoop::quit);
        m_limit.start(waitLimitSeconds * 1000);
    }

    HttpAnswer answer() {
        if (!m_reply->isFinished())
            m_loop.exec();
        if (m_reply->isFinished())
            take(); // what came with the end
        HttpAnswer answer;
        if (m_tooLong) {
            answer.error = QStringLiteral("answer longer than %1 MB, not read")
                               .arg(answerLimitBytes / (1024 * 1024));
            return answer;
        }
        if (!m_reply->isFinished()) {
            m_reply->abort();
            answer.error = QStringLiteral("No answer within %1 s").arg(m_waitLimitSeconds);
            answer.timedOut = true;
            return answer;
        }
        answer.status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        answer.body = m_body;
        if (m_reply->error() != QNetworkReply::NoError)
            answer.error = m_reply->errorString();
        return answer;
    }

private:
    void checkDeclared() {
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > answerLimitBytes)
            cut();
    }

    void take() {
        if (m_tooLong)
            return;
        m_body += m_reply->read(answerLimitBytes + 1 - m_body.size());
        if (m_body.size() > answerLimitBytes)
            cut();
    }

    void cut() {
        m_tooLong = true;
        m_body.clear();
        if (!m_reply->isFinished())
            m_reply->abort();
        m_loop.quit();
    }

    QNetworkReply* m_reply;
    int m_waitLimitSeconds;
    QEventLoop m_loop;
    QTimer m_limit;
    QByteArray m_body;
    bool m_tooLong = false;
};

// A manager per request: requests are rare, and nothing outlives the
// application object this way.
template <class Send> HttpAnswer send(QNetworkRequest request, Send sendOn, int waitLimitSeconds) {
    // The answer is never examined, so it is never decoded either: asked for
    // as sent, nothing is inflated on any thread, and the cap counts the
    // bytes that came.
    request.setRawHeader("Accept-Encoding", "identity");
    QNetworkAccessManager manager;
    QNetworkReply* reply = sendOn(manager, request);
    HttpAnswer answer = Reading(reply, waitLimitSeconds).answer();
    delete reply;
    return answer;
}

void addMissing(QList<QSslCertificate>& to, const QList<QSslCertificate>& from) {
    for (const QSslCertificate& c : from)
        if (!to.contains(c))
            to.append(c);
}

// Qt consults the system's certificates only for a configuration whose list
// is left alone: once a certificate is added or set, the list is all that is
// trusted. So a request that trusts a file of its own lists the system's
// too. Reading them (each twice over, by file and by hash link) takes a few
// hundred milliseconds, too long for the UI thread: they are read once, on a
// thread of their own, while the UI turns.
QList<QSslCertificate> systemCertificates() {
    static QList<QSslCertificate> certificates;
    static QThread* const reader = [] {
        QThread* thread = QThread::create(
            [] { addMissing(certificates, QSslConfiguration::systemCaCertificates()); });
        thread->start();
        return thread;
    }();
    if (!reader->isFinished()) {
        QEventLoop loop;
        QObject::connect(reader, &QThread::finished, &loop, &QEventLoop::quit);
        if (!reader->isFinished())
            loop.exec();
    }
    return certificates;
}

} // namespace

QSslConfiguration tlsTrusting(const QList<QSslCertificate>& extraTrusted) {
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    QList<QSslCertificate> trusted = systemCertificates();
    addMissing(trusted, tls.caCertificates());
    addMissing(trusted, extraTrusted);
    tls.setCaCertificates(trusted);
    return tls;
}

HttpAnswer httpGet(const QUrl& url, int waitLimitSeconds) {
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    return send(
        request, [](QNetworkAccessManager& m, const QNetworkRequest& r) { return m.get(r); },
        waitLimitSeconds);
}

HttpAnswer httpPost(const QUrl& url, const QByteArray& body, const HttpHeaders& headers,
                    int waitLimitSeconds, const QList<QSslCertificate>& extraTrusted) {
    QNetworkRequest request(url);
    if (!extraTrusted.isEmpty())
        request.setSslConfiguration(tlsTrusting(extraTrusted));
    for (const auto& h : headers)
        request.setRawHeader(h.first, h.second);
    return send(
        request,
        [&](QNetworkAccessManager& m, const QNetworkRequest& r) { return m.post(r, body); },
        waitLimitSeconds);
}

} // namespace integrations
