#include "integrations/web_request.h"
#include "support/event_loop_ticks.h"
#include "support/http_server.h"

#include <QElapsedTimer>
#include <QTest>

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
