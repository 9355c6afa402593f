#include "core/config.h"
#include "integrations/whatsapp.h"
#include "support/event_loop_ticks.h"
#include "support/http_server.h"
#include "support/test_certificate.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using integrations::WhatsAppAccount;

namespace {

const QString token = QStringLiteral("m2qzr7ke0wd5tb1x");

WhatsAppAccount accountFor(const support::LocalHttpServer& server, const QString& caFile) {
    return {server.hostPort(), QStringLiteral("604271"), token, caFile};
}

QJsonObject decoded(const QByteArray& body) {
    QJsonParseError error;
    const auto document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError)
        qWarning("not JSON: %s", body.constData());
    return document.object();
}

} // namespace

class TestWhatsApp : public QObject {
    Q_OBJECT

private slots:
    void bodyDecodesToTheTextsAsGiven_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("message");
        QTest::addRow("fault update")
            << "91 9876543210"
            << "Fault updated by zel NOC for PUNE KOTHRUD update fibre cut";
        QTest::addRow("quote and backslash stay text") << "91 9876543210"
                                                       << "cable \"B\" at C:\\rack\\2 {\"x\": 1}";
        QTest::addRow("a real line break stays one") << "91"
                                                     << "first line\nsecond line";
        QTest::addRow("backslash n typed stays two characters") << "91 1"
                                                                << "a\\nb";
        QTest::addRow("unicode and control characters")
            << "91 1" << QStringLiteral("पुणे ₹ 😀 tab\there \u0001");
    }
    void bodyDecodesToTheTextsAsGiven() {
        QFETCH(QString, number);
        QFETCH(QString, message);
        const auto body = decoded(integrations::whatsAppBody(number, message));
        QCOMPARE(body.value(QStringLiteral("phone")).toString(), number);
        QCOMPARE(body.value(QStringLiteral("body")).toString(), message);
        QCOMPARE(body.size(), 2);
    }

    void addressEncodesInstanceAndToken_data() {
        QTest::addColumn<QString>("api");
        QTest::addColumn<QString>("instance");
        QTest::addColumn<QString>("token");
        QTest::addColumn<QString>("url");
        QTest::addRow("as issued") << "api.zel.example"
                                   << "604271"
                                   << "m2qzr7ke0wd5tb1x"
                                   << "https://api.zel.example/instance604271/sendMessage"
                                      "?token=m2qzr7ke0wd5tb1x";
        QTest::addRow("port, and a token with & and #")
            << "api.zel.example:8443"
            << "6042"
            << "a&b#c"
            << "https://api.zel.example:8443/instance6042/sendMessage?token=a%26b%23c";
    }
    void addressEncodesInstanceAndToken() {
        QFETCH(QString, api);
        QFETCH(QString, instance);
        QFETCH(QString, token);
        QFETCH(QString, url);
        QCOMPARE(integrations::whatsAppUrl({api, instance, token, {}}).toString(QUrl::FullyEncoded),
                 url);
    }

    void postReachesTheApiOverTrustedTls() {
        const support::TestCertificate cert;
        support::LocalHttpServer server(cert.serverConfiguration());
        const QString message = QStringLiteral("Fault updated by zel NOC for PUNE O'Hare "
                                               "update \"cut\" at C:\\x\nsecond line");
        const auto result =
            integrations::whatsAppMessageSend(accountFor(server, cert.certificatePath()), 5,
                                              QStringLiteral("91 9876543210"), message);
        QVERIFY2(result.ok(), qPrintable(result.error));
        QCOMPARE(server.requests().size(), 1);
        const auto& request = server.requests().first();
        QCOMPARE(request.method, QByteArray("POST"));
        QCOMPARE(request.url.path(), QStringLiteral("/instance604271/sendMessage"));
        QCOMPARE(request.url.query(QUrl::FullyEncoded), QStringLiteral("token=") + token);
        QCOMPARE(request.header("Content-type"), QByteArray("application/json"));
        QCOMPARE(request.header("X-WM-CLIENT-ID"), QByteArray("604271"));
        const auto body = decoded(request.body);
        QCOMPARE(body.value(QStringLiteral("phone")).toString(), QStringLiteral("91 9876543210"));
        QCOMPARE(body.value(QStringLiteral("body")).toString(), message);
    }

    void aFailureIsReportedWithoutTheToken_data() {
        QTest::addColumn<QString>("caFile"); // "cert", "other", "none", "missing"
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("reached");
        QTest::addRow("certificate trusted by the system only") << "none" << 200 << "" << false;
        QTest::addRow("certificate file of another server") << "other" << 200 << "" << false;
        QTest::addRow("certificate file missing") << "missing" << 200 << "no certificate" << false;
        QTest::addRow("API refuses the token") << "cert" << 401 << "answered HTTP 401" << true;
        QTest::addRow("API fails") << "cert" << 500 << "answered HTTP 500" << true;
    }
    void aFailureIsReportedWithoutTheToken() {
        QFETCH(QString, caFile);
        QFETCH(int, status);
        QFETCH(QString, reason);
        QFETCH(bool, reached);
        const support::TestCertificate cert;
        const support::TestCertificate other;
        support::LocalHttpServer server(cert.serverConfiguration());
        server.answer(QStringLiteral("/instance604271/sendMessage"), "{}", "application/json",
                      status);
        const QString file = caFile == QLatin1String("cert")    ? cert.certificatePath()
                             : caFile == QLatin1String("other") ? other.certificatePath()
                             : caFile == QLatin1String("missing")
                                 ? cert.certificatePath() + QStringLiteral(".gone")
                                 : QString();
        const auto result = integrations::whatsAppMessageSend(
            accountFor(server, file), 5, QStringLiteral("91 1"), QStringLiteral("x"));
        QVERIFY(!result.ok());
        QVERIFY2(result.error.contains(reason), qPrintable(result.error));
        QVERIFY2(!result.error.contains(token), qPrintable(result.error));
        QCOMPARE(!server.requests().isEmpty(), reached);
    }

    void anUnreachableApiIsReported() {
        quint16 port;
        {
            const support::LocalHttpServer gone;
            port = gone.port();
        }
        const WhatsAppAccount account{
            QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("604271"), token, {}};
        const auto result = integrations::whatsAppMessageSend(account, 2, QStringLiteral("91"),
                                                              QStringLiteral("x"));
        QVERIFY(!result.ok());
        QVERIFY2(!result.error.contains(token), qPrintable(result.error));
    }

    void aSilentApiEndsAtTheWaitLimitWithTheUiLive() {
        const support::TestCertificate cert;
        support::LocalHttpServer server(cert.serverConfiguration());
        server.setDelay(5000);
        const support::EventLoopTicks ticks;
        QElapsedTimer clock;
        clock.start();
        const auto result =
            integrations::whatsAppMessageSend(accountFor(server, cert.certificatePath()), 1,
                                              QStringLiteral("91"), QStringLiteral("x"));
        QVERIFY(!result.ok());
        QVERIFY2(clock.elapsed() < 2900, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(ticks.count() > 5);
    }

    void accountComesFromConfiguration_data() {
        QTest::addColumn<QString>("dropped");
        QTest::addColumn<QString>("error");
        QTest::addRow("everything set") << ""
                                        << "";
        QTest::addRow("no CA file") << "services/message_api_ca_file"
                                    << "";
        QTest::addRow("no API") << "services/message_api"
                                << "Missing setting [services] message_api in zel.ini";
        QTest::addRow("no instance")
            << "accounts/message_api_instance"
            << "Missing setting [accounts] message_api_instance in zel.ini";
        QTest::addRow("no token") << "accounts/message_api_token"
                                  << "Missing setting [accounts] message_api_token in zel.ini";
    }
    void accountComesFromConfiguration() {
        QFETCH(QString, dropped);
        QFETCH(QString, error);
        QHash<QString, QString> values{
            {QStringLiteral("services/message_api"), QStringLiteral("api.zel.example")},
            {QStringLiteral("services/message_api_ca_file"), QStringLiteral("/etc/zel/ca.pem")},
            {QStringLiteral("accounts/message_api_instance"), QStringLiteral("604271")},
            {QStringLiteral("accounts/message_api_token"), token}};
        values.remove(dropped);
        try {
            const auto a = WhatsAppAccount::fromConfig(
                core::Config::fromValues(values, QStringLiteral("zel.ini")));
            QVERIFY2(error.isEmpty(), qPrintable(error));
            QCOMPARE(a.api, QStringLiteral("api.zel.example"));
            QCOMPARE(a.instance, QStringLiteral("604271"));
            QCOMPARE(a.token, token);
            QCOMPARE(a.caFile, values.value(QStringLiteral("services/message_api_ca_file")));
        } catch (const core::ConfigError& e) {
            QCOMPARE(e.message(), error);
        }
    }
};

QTEST_MAIN(TestWhatsApp)
#include "tst_whatsapp.moc"
