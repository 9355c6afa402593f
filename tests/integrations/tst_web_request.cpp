#include "integrations/web_request.h"
#include "support/event_loop_ticks.h"
#include "support/http_server.h"
#include "support/test_certificate.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

// Answers the first request of each connection with `answer`, byte for byte,
// and then holds the connection open: an answer that never ends shows
// whether the client stopped reading on its own.
class RawServer {
public:
    explicit RawServer(const QByteArray& answer) {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this, answer] {
            QTcpSocket* socket = m_server.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, answer] {
                socket->readAll();
                if (!socket->property("answered").toBool())
                    socket->write(answer);
                socket->setProperty("answered", true);
            });
        });
    }
    QUrl url() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_server.serverPort()));
    }

private:
    QTcpServer m_server;
};

QByteArray head(const QByteArray& fields) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n" + fields + "\r\n";
}

} // namespace

class TestWebRequest : public QObject {
    Q_OBJECT

private slots:
    void getReachesTheServerAndBringsItsAnswer() {
        support::LocalHttpServer server;
        server.answer(QStringLiteral("/api/ping.asp"), "pong");
        const auto answer = integrations::httpGet(
            QUrl(server.baseUrl() + QStringLiteral("/api/ping.asp?to=98%2026&text=a%26b")), 5);
        QVERIFY2(answer.ok(), qPrintable(answer.error));
        QCOMPARE(answer.status, 200);
        QCOMPARE(answer.body, QByteArray("pong"));
        QCOMPARE(server.requests().size(), 1);
        QCOMPARE(server.requests().first().method, QByteArray("GET"));
        QCOMPARE(server.requests().first().url.query(QUrl::FullyEncoded),
                 QStringLiteral("to=98%2026&text=a%26b"));
    }

    void postCarriesBodyAndHeaders() {
        support::LocalHttpServer server;
        const auto answer = integrations::httpPost(
            QUrl(server.baseUrl() + QStringLiteral("/send")), "{\"a\":1}",
            {{"Content-Type", "application/json"}, {"Authorization", "Bearer k"}}, 5);
        QVERIFY(answer.ok());
        QCOMPARE(server.requests().first().body, QByteArray("{\"a\":1}"));
        QCOMPARE(server.requests().first().header("authorization"), QByteArray("Bearer k"));
    }

    void theWaitEndsAtTheLimitAndTheUiStaysLive() {
        support::LocalHttpServer server;
        server.setDelay(3000);
        const support::EventLoopTicks ticks;
        QElapsedTimer clock;
        clock.start();
        const auto answer = integrations::httpGet(QUrl(server.baseUrl()), 1);
        QVERIFY(!answer.ok());
        QCOMPARE(answer.status, 0);
        QVERIFY(clock.elapsed() < 2900);
        QVERIFY(ticks.count() > 5);
    }

    // Reading stops as soon as the answer is known to pass the cap, whether
    // it says so or only delivers it; an answer that keeps coming must not
    // hold the operator until the wait limit. What is read is never decoded.
    void anAnswerOverTheCapIsNotRead_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("error");
        QTest::addColumn<qsizetype>("bodySize");
        const qsizetype cap = integrations::answerLimitBytes;
        const QString tooLong = QStringLiteral("answer longer than 1 MB, not read");
        QTest::addRow("declared over the cap, then silence")
            << head("Content-Length: " + QByteArray::number(cap + 1) + "\r\n") + "<html>" << tooLong
            << qsizetype(0);
        QTest::addRow("delivered over the cap without a length, then silence")
            << head("Transfer-Encoding: chunked\r\n") + QByteArray::number(cap + 1, 16) + "\r\n" +
                   QByteArray(cap + 1, 'x') + "\r\n"
            << tooLong << qsizetype(0);
        QTest::addRow("exactly the cap")
            << head("Content-Length: " + QByteArray::number(cap) + "\r\n") + QByteArray(cap, 'x')
            << QString() << cap;
        const QByteArray deflated = qCompress(QByteArray(2 * cap, ' ')).mid(4);
        QTest::addRow("2 MB deflated to %lld bytes, taken as sent", qlonglong(deflated.size()))
            << head("Content-Encoding: deflate\r\nContent-Length: " +
                    QByteArray::number(deflated.size()) + "\r\n") +
                   deflated
            << QString() << deflated.size();
    }

    void anAnswerOverTheCapIsNotRead() {
        QFETCH(QByteArray, answer);
        QFETCH(QString, error);
        QFETCH(qsizetype, bodySize);
        RawServer server(answer);
        const auto got = integrations::httpGet(server.url(), 30);
        QCOMPARE(got.error, error);
        QVERIFY(!got.timedOut);
        QCOMPARE(got.body.size(), bodySize);
    }

    // A file of extra certificates widens what the message API request
    // trusts; the system's certificates stay trusted beside it.
    void extraCertificatesAreTrustedBesideTheSystems() {
        const QList<QSslCertificate> system = QSslConfiguration::systemCaCertificates();
        if (system.isEmpty())
            QSKIP("this machine has no system certificates");
        const support::TestCertificate extra;
        QVERIFY(extra.isValid());
        const QList<QSslCertificate> trusted =
            integrations::tlsTrusting({extra.certificate()}).caCertificates();
        QVERIFY(trusted.contains(extra.certificate()));
        for (const QSslCertificate& c : system)
            QVERIFY2(trusted.contains(c), qPrintable(c.subjectDisplayName()));
    }

    void aRefusedConnectionIsReported() {
        quint16 port;
        {
            support::LocalHttpServer gone;
            port = gone.port();
        }
        const auto answer =
            integrations::httpGet(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port)), 2);
        QVERIFY(!answer.ok());
    }
};

QTEST_MAIN(TestWebRequest)
#include "tst_web_request.moc"
