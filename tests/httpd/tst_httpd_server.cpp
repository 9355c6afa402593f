#include "httpd/raw_client.h"
#include "httpd/server.h"
#include "support/test_certificate.h"

#include <QSslSocket>
#include <QTimer>
#include <stdexcept>
#include <thread>

namespace {

const QHostAddress kSecondClient(QStringLiteral("127.0.0.2"));

// Answers with what it was asked: "METHOD path q=... body"; "/fails" throws.
httpd::Response echo(const httpd::Request& r) {
    if (r.path == QLatin1String("/fails"))
        throw std::runtime_error("page failed");
    const QByteArray text =
        r.method + ' ' + r.path.toUtf8() +
        " q=" + r.query.queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded).toUtf8() + ' ' +
        r.body;
    return {200, text, {{"Content-Type", "text/plain"}}};
}

httpd::Settings smallLimits() {
    httpd::Settings s;
    s.maxUrlBytes = 1000;
    s.maxHeaderBytes = 2000;
    s.maxBodyBytes = 3000;
    return s;
}

QByteArray get(const QByteArray& target, const QByteArray& more = {}) {
    return "GET " + target + " HTTP/1.1\r\nHost: t\r\n" + more + "\r\n";
}

} // namespace

class TestHttpdServer : public QObject {
    Q_OBJECT

private slots:
    // What comes back for what is sent, and whether the connection stays
    // for another request.
    void answersAsHttpSays_data() {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QList<int>>("statuses");
        QTest::addColumn<QByteArrayList>("bodies"); // starts of the bodies; empty: unchecked
        QTest::addColumn<bool>("staysOpen");
        const QByteArray big(5000, 'x');
        QTest::addRow("HTTP/1.1 keeps the connection")
            << get("/a?q=1%202") << QList<int>{200} << QByteArrayList{"GET /a q=1 2 "} << true;
        QTest::addRow("Connection: close") << get("/a", "Connection: close\r\n") << QList<int>{200}
                                           << QByteArrayList{"GET /a"} << false;
        QTest::addRow("HTTP/1.0") << QByteArray("GET /old HTTP/1.0\r\n\r\n") << QList<int>{200}
                                  << QByteArrayList{"GET /old"} << false;
        QTest::addRow("HTTP/1.0 keep-alive")
            << QByteArray("GET /old HTTP/1.0\r\nConnection: keep-alive\r\n\r\n") << QList<int>{200}
            << QByteArrayList{"GET /old"} << true;
        QTest::addRow("pipelined, answered in order")
            << get("/1") + "POST /2 HTTP/1.1\r\nHost: t\r\nContent-Length: 4\r\n\r\nbody" +
                   get("/3")
            << QList<int>{200, 200, 200} << QByteArrayList{"GET /1", "POST /2 q= body", "GET /3"}
            << true;
        QTest::addRow("chunked body")
            << QByteArray("POST /c HTTP/1.1\r\nHost: t\r\nTransfer-Encoding: chunked\r\n\r\n"
                          "3\r\nabc\r\n2\r\nde\r\n0\r\n\r\n")
            << QList<int>{200} << QByteArrayList{"POST /c q= abcde"} << true;
        QTest::addRow("a page that fails")
            << get("/fails") << QList<int>{500} << QByteArrayList{} << true;
        // libmicrohttpd closes a request line it cannot split at all without
        // an answer; nothing reaches a page.
        QTest::addRow("no request line")
            << QByteArray("GARBAGE\r\n\r\n") << QList<int>{} << QByteArrayList{} << false;
        QTest::addRow("blank in the target")
            << get("/a b") << QList<int>{} << QByteArrayList{} << false;
        QTest::addRow("no HTTP version") << QByteArray("GET /\r\nHost: t\r\n\r\n")
                                         << QList<int>{400} << QByteArrayList{} << false;
        QTest::addRow("unknown HTTP version") << QByteArray("GET / HTTP/9.9\r\nHost: t\r\n\r\n")
                                              << QList<int>{505} << QByteArrayList{} << false;
        QTest::addRow("control characters in the method")
            << QByteArray("G\x01T / HTTP/1.1\r\nHost: t\r\n\r\n") << QList<int>{400}
            << QByteArrayList{} << false;
        QTest::addRow("control character in the target")
            << get("/a\x7f") << QList<int>{400} << QByteArrayList{} << false;
        QTest::addRow("blank in a header name")
            << get("/", "Bad Name: x\r\n") << QList<int>{400} << QByteArrayList{} << false;
        QTest::addRow("broken chunk")
            << QByteArray("POST / HTTP/1.1\r\nHost: t\r\nTransfer-Encoding: chunked\r\n\r\n"
                          "ZZ\r\n")
            << QList<int>{400} << QByteArrayList{} << false;
        QTest::addRow("HTTP/1.1 without Host")
            << QByteArray("GET / HTTP/1.1\r\n\r\n") << QList<int>{400} << QByteArrayList{} << false;
        QTest::addRow("header line without colon")
            << get("/", "NoColonHere\r\n") << QList<int>{400} << QByteArrayList{} << false;
        QTest::addRow("Content-Length not a number")
            << QByteArray("POST / HTTP/1.1\r\nHost: t\r\nContent-Length: abc\r\n\r\n")
            << QList<int>{400} << QByteArrayList{} << false;
        QTest::addRow("URL over the limit")
            << get("/" + big.left(1200)) << QList<int>{414} << QByteArrayList{} << false;
        QTest::addRow("URL far over the limit") << get("/?q=" + QByteArray(1 << 20, 'x'))
                                                << QList<int>{414} << QByteArrayList{} << false;
        QTest::addRow("header over the limit") << get("/", "X-Big: " + big.left(2500) + "\r\n")
                                               << QList<int>{431} << QByteArrayList{} << false;
        QTest::addRow("header far over the limit")
            << get("/", "X-Big: " + QByteArray(1 << 20, 'x') + "\r\n") << QList<int>{431}
            << QByteArrayList{} << false;
        QTest::addRow("body over the limit")
            << "POST / HTTP/1.1\r\nHost: t\r\nContent-Length: 3001\r\n\r\n" + big.left(3001)
            << QList<int>{413} << QByteArrayList{} << false;
    }
    void answersAsHttpSays() {
        QFETCH(QByteArray, sent);
        QFETCH(QList<int>, statuses);
        QFETCH(QByteArrayList, bodies);
        QFETCH(bool, staysOpen);
        httpd::Server server(smallLimits(), echo);
        QVERIFY(server.start());
        if (sent.size() > 65536) { // answered before it is all read, then closed
            QCOMPARE(RawClient::exchangeWhole(server.port(), sent).mid(9, 3).toInt(),
                     statuses.value(0));
            return;
        }
        RawClient client(server.port());
        client.send(sent);
        const auto answers = client.answers(int(statuses.size()));
        QList<int> got;
        for (const auto& a : answers)
            got << a.status;
        QCOMPARE(got, statuses);
        for (qsizetype i = 0; i < bodies.size(); ++i)
            QVERIFY2(answers[i].body.startsWith(bodies[i]), answers[i].body.constData());
        if (staysOpen) {
            client.send(get("/again"));
            const auto again = client.answers(1);
            QCOMPARE(again.size(), 1);
            QCOMPARE(again[0].status, 200);
        } else {
            QVERIFY(client.waitClosed());
        }
    }

    void thePageSeesTheRequestAsSent() {
        httpd::Request seen;
        httpd::Server server(httpd::Settings{}, [&](const httpd::Request& r) {
            seen = r;
            return httpd::Response{204, {}, {}};
        });
        QVERIFY(server.start());
        RawClient client(server.port(), kSecondClient);
        client.send("PUT /p%C3%A4th/x%2Fy?a=1&b=%26%3D+c HTTP/1.1\r\nHost: t\r\n"
                    "X-Client-ID: 7\r\nContent-Length: 3\r\n\r\nabc");
        QCOMPARE(client.answers(1).value(0).status, 204);
        QCOMPARE(seen.method, QByteArray("PUT"));
        QCOMPARE(seen.path, QStringLiteral("/p\u00e4th/x/y"));
        QCOMPARE(seen.query.queryItemValue(QStringLiteral("b"), QUrl::FullyDecoded),
                 QStringLiteral("&=+c"));
        QCOMPARE(seen.header("x-client-id"), QByteArray("7"));
        QCOMPARE(seen.body, QByteArray("abc"));
        QCOMPARE(seen.client, kSecondClient);
    }

    // A connection whose request header is not all there in time is closed,
    // also when it keeps sending a byte now and then; others are served
    // meanwhile.
    void aSlowRequestIsDropped_data() {
        QTest::addColumn<bool>("trickle");
        QTest::addRow("half-sent") << false;
        QTest::addRow("a byte at a time") << true;
    }
    void aSlowRequestIsDropped() {
        QFETCH(bool, trickle);
        httpd::Settings s;
        s.requestTimeoutSeconds = 1;
        s.idleTimeoutSeconds = 60;
        httpd::Server server(s, echo);
        QVERIFY(server.start());
        RawClient slow(server.port());
        slow.send("GET / HTTP/1.1\r\nHost: t\r\n");
        QTimer drip;
        QObject::connect(&drip, &QTimer::timeout, &drip, [&] { slow.send("X"); });
        if (trickle)
            drip.start(100);
        RawClient other(server.port());
        other.send(get("/other"));
        QCOMPARE(other.answers(1).value(0).status, 200);
        QVERIFY(slow.waitClosed());
        QVERIFY(slow.received().isEmpty());
    }

    void anIdleKeepAliveConnectionIsClosed() {
        httpd::Settings s;
        s.idleTimeoutSeconds = 1;
        s.requestTimeoutSeconds = 60;
        httpd::Server server(s, echo);
        QVERIFY(server.start());
        RawClient client(server.port());
        client.send(get("/"));
        QCOMPARE(client.answers(1).value(0).status, 200);
        QVERIFY(client.waitClosed());
    }

    // One address holding many half-sent requests does not lock out another.
    void aClientOverItsLimitLeavesRoomForOthers() {
        httpd::Settings s;
        s.maxConnections = 8;
        s.maxConnectionsPerClient = 3;
        httpd::Server server(s, echo);
        QVERIFY(server.start());
        std::vector<std::unique_ptr<RawClient>> flood;
        for (int i = 0; i < 10; ++i) {
            flood.push_back(std::make_unique<RawClient>(server.port()));
            flood.back()->send("GET / HTTP/1.1\r\n");
        }
        int closed = 0;
        for (auto& c : flood)
            closed += c->waitClosed(200) ? 1 : 0;
        QCOMPARE(closed, 7);
        RawClient other(server.port(), kSecondClient);
        other.send(get("/other"));
        QCOMPARE(other.answers(1).value(0).status, 200);
    }

    // A refused address is closed as it connects: nothing of it is read.
    void theAcceptPolicyRefusesBeforeAnyRequest() {
        QList<QHostAddress> asked;
        httpd::Server server(httpd::Settings{}, echo, [&](const QHostAddress& a) {
            asked << a; // the test's thread waits meanwhile
            return a != kSecondClient;
        });
        QVERIFY(server.start());
        RawClient refused(server.port(), kSecondClient);
        QVERIFY(refused.waitClosed());
        QCOMPARE(asked, QList<QHostAddress>{kSecondClient});
        RawClient allowed(server.port());
        allowed.send(get("/"));
        QCOMPARE(allowed.answers(1).value(0).status, 200);
    }

    void itServesTls() {
        support::TestCertificate certificate;
        QVERIFY(certificate.isValid());
        httpd::Settings s;
        s.tlsCertificate = certificate.certificate().toPem();
        s.tlsKey = certificate.key().toPem();
        httpd::Server server(s, echo);
        QVERIFY(server.start());
        QSslSocket socket;
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.addCaCertificate(certificate.certificate());
        socket.setSslConfiguration(tls);
        QByteArray data;
        QObject::connect(&socket, &QSslSocket::readyRead, &socket,
                         [&] { data += socket.readAll(); });
        socket.connectToHostEncrypted(QStringLiteral("127.0.0.1"), server.port());
        QVERIFY(QTest::qWaitFor([&] { return socket.isEncrypted(); }, 20000));
        socket.write(get("/secure", "Connection: close\r\n"));
        QVERIFY(QTest::qWaitFor([&] { return socket.state() != QAbstractSocket::ConnectedState; },
                                20000));
        QVERIFY2(data.startsWith("HTTP/1.1 200") && data.endsWith("GET /secure q= "),
                 data.constData());
    }

    // stop() closes every connection: idle, half-sent, and one whose answer
    // was on its way to the page when the server stopped.
    void stopClosesEveryConnection() {
        httpd::Server server(httpd::Settings{}, echo);
        QVERIFY(server.start());
        const quint16 port = server.port();
        RawClient idle(port), halfSent(port), waiting(port);
        halfSent.send("GET / HTTP/1.1\r\n");
        // The request is handed to this thread as an event to the server;
        // the server stops as that event arrives, before the page runs.
        struct StopOnHandOver : QObject {
            httpd::Server* server;
            bool eventFilter(QObject*, QEvent* e) override {
                if (e->type() == QEvent::MetaCall)
                    server->stop();
                return false;
            }
        } stopper;
        stopper.server = &server;
        server.installEventFilter(&stopper);
        waiting.send(get("/waits"));
        QVERIFY(waiting.waitClosed());
        QVERIFY(waiting.received().isEmpty());
        QVERIFY(idle.waitClosed());
        QVERIFY(halfSent.waitClosed());
        RawClient after(port);
        QVERIFY(!after.isOpen());
    }

    // A page answered later from another thread holds up neither the pages
    // answered meanwhile nor the server's stop; a reply after the stop, or a
    // second reply, does nothing.
    void aDeferredAnswerComesFromAnotherThread() {
        std::vector<httpd::Reply> held;
        httpd::Server server(httpd::Settings{}, httpd::DeferredHandler([&](const httpd::Request& r,
                                                                           httpd::Reply reply) {
                                 if (r.path == QLatin1String("/later"))
                                     held.push_back(reply);
                                 else
                                     reply(echo(r));
                             }));
        QVERIFY(server.start());
        RawClient slow(server.port()), quick(server.port()), late(server.port());
        slow.send(get("/later"));
        quick.send(get("/now"));
        QCOMPARE(quick.answers(1).value(0).status, 200);
        QVERIFY(slow.received().isEmpty());
        std::thread([reply = held.at(0)] {
            reply({202, "done", {}});
            reply({500, "twice", {}});
        }).join();
        QCOMPARE(slow.answers(1).value(0).status, 202);
        late.send(get("/later"));
        QVERIFY(QTest::qWaitFor([&] { return held.size() == 2; }));
        server.stop();
        held.at(1)({200, "after the stop", {}});
        QVERIFY(late.waitClosed());
        QVERIFY(late.received().isEmpty());
    }

    void aLongPathIsShortenedForTheLog_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("shown");
        QTest::addRow("short") << QStringLiteral("/olt/x.php") << QStringLiteral("/olt/x.php");
        QTest::addRow("exactly the limit")
            << QString(200, QLatin1Char('a')) << QString(200, QLatin1Char('a'));
        QTest::addRow("over it") << QString(5000, QLatin1Char('a'))
                                 << QString(200, QLatin1Char('a')) + QStringLiteral("...");
    }
    void aLongPathIsShortenedForTheLog() {
        QFETCH(QString, path);
        QFETCH(QString, shown);
        QCOMPARE(httpd::shortened(path), shown);
    }
};

QTEST_GUILESS_MAIN(TestHttpdServer)
#include "tst_httpd_server.moc"
