#include "integrations/sms.h"
#include "support/http_server.h"

#include <QTest>

using integrations::SmsAccount;

namespace {

SmsAccount accountFor(const QString& gateway) {
    return {gateway, QStringLiteral("zeluser"), QStringLiteral("73019462"),
            QStringLiteral("ZELMSG")};
}

} // namespace

class TestSms : public QObject {
    Q_OBJECT

private slots:
    void addressEncodesEveryValue_data() {
        QTest::addColumn<QString>("mobile");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tail");
        QTest::addRow("normalised mobile keeps its blank")
            << " 9876543210"
            << "Fault updated"
            << "sendto=%209876543210&message=Fault%20updated";
        QTest::addRow("& and # cannot cut the text short") << " 1"
                                                           << "A&B #2"
                                                           << "sendto=%201&message=A%26B%20%232";
        QTest::addRow("empty mobile") << ""
                                      << "x"
                                      << "sendto=&message=x";
    }
    void addressEncodesEveryValue() {
        QFETCH(QString, mobile);
        QFETCH(QString, text);
        QFETCH(QString, tail);
        const QString url =
            integrations::smsUrl(accountFor(QStringLiteral("sms.zel.example")), mobile, text)
                .toString(QUrl::FullyEncoded);
        QCOMPARE(url, QStringLiteral("http://sms.zel.example/api/swsendSingle.asp?username=zeluser"
                                     "&password=73019462&sender=ZELMSG&") +
                          tail);
    }

    void theResultSaysWhetherTheGatewayTookIt_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error");
        QTest::addRow("gateway answers") << 200 << "";
        QTest::addRow("gateway fails") << 500 << "SMS gateway: answered HTTP 500";
        QTest::addRow("gateway page missing") << 404 << "SMS gateway: answered HTTP 404";
    }
    void theResultSaysWhetherTheGatewayTookIt() {
        QFETCH(int, status);
        QFETCH(QString, error);
        support::LocalHttpServer server;
        server.answer(QStringLiteral("/api/swsendSingle.asp"), "ERR", "text/plain", status);
        const auto result = integrations::smsMessageSend(accountFor(server.hostPort()), 5,
                                                         QStringLiteral(" 1"), QStringLiteral("x"));
        QCOMPARE(result.error, error);
        QCOMPARE(server.requests().size(), 1);
    }

    void anUnreachableGatewayIsReportedWithoutThePassword() {
        quint16 port;
        {
            const support::LocalHttpServer gone;
            port = gone.port();
        }
        const auto result =
            integrations::smsMessageSend(accountFor(QStringLiteral("127.0.0.1:%1").arg(port)), 2,
                                         QStringLiteral(" 1"), QStringLiteral("x"));
        QVERIFY(result.error.startsWith(QStringLiteral("SMS gateway: ")));
        QVERIFY2(!result.error.contains(QStringLiteral("73019462")), qPrintable(result.error));
    }
};

QTEST_MAIN(TestSms)
#include "tst_sms.moc"
