#include "httpd/raw_client.h"
#include "integrations/mail.h"
#include "integrations/sms.h"
#include "integrations/whatsapp.h"
#include "sandbox_fixture.h"

#include <QCoreApplication>

// What the client sends through its own channels is what the trainer sees on
// the sandbox page, newest first, and nothing a message holds can take over
// that page.
class TestSandboxInbox : public QObject {
    Q_OBJECT

    static integrations::SmsAccount sms(const SandboxFixture& f) {
        return {f.http(), f.accounts.smsUser, f.accounts.smsPassword, QStringLiteral("ZELCRM")};
    }
    static integrations::WhatsAppAccount whatsApp(const SandboxFixture& f) {
        return {f.https(), f.accounts.messageInstance, f.accounts.messageToken, f.certificate()};
    }
    static integrations::MailAccount mail(const SandboxFixture& f) {
        integrations::MailAccount m;
        m.smtpUrl = f.smtpUrl();
        m.starttls = true;
        m.caFile = f.certificate();
        m.from = QStringLiteral("noc@zel.example.com");
        m.username = f.accounts.smtpUser;
        m.password = f.accounts.smtpPassword;
        return m;
    }

private slots:
    void messagesOfTheClientsChannelsAreListedNewestFirst() {
        SandboxFixture f;
        const QString smsText = QStringLiteral("BTS DOWN & <site> Ernakulam — 5 min");
        QVERIFY(
            integrations::smsMessageSend(sms(f), 10, QStringLiteral("9846012345"), smsText).ok());
        const QString waText = QStringLiteral("Fault #12 \"restored\"\nthanks");
        const auto wa = integrations::whatsAppMessageSend(whatsApp(f), 10,
                                                          QStringLiteral("919846012345"), waText);
        QVERIFY2(wa.ok(), qPrintable(wa.error));
        const integrations::Mail fault{QStringLiteral("gm@zel.example.com"),
                                       QStringLiteral(";noc@zel.example.com;;sde@zel.example.com"),
                                       QStringLiteral("BTS FAULT ERNAKULAM – ticket 12"),
                                       QStringLiteral("<p>Site <b>down</b></p><script>alert(1)"
                                                      "</script>\"quoted\"")};
        const auto sent = integrations::mailSend(mail(f), 10, fault);
        QVERIFY2(sent.ok(), qPrintable(sent.error));

        const auto [status, page] = f.get(QStringLiteral("http://") + f.http() + QLatin1Char('/'));
        QCOMPARE(status, 200);
        const qsizetype mailAt = page.indexOf(QStringLiteral("<h3>Mail"));
        const qsizetype waAt = page.indexOf(QStringLiteral("<h3>WhatsApp"));
        const qsizetype smsAt = page.indexOf(QStringLiteral("<h3>SMS"));
        QVERIFY(mailAt >= 0 && waAt > mailAt && smsAt > waAt);
        for (const QString& shown :
             {QStringLiteral("<td>9846012345</td>"), smsText.toHtmlEscaped(),
              QStringLiteral("<td>919846012345</td>"), waText.toHtmlEscaped(),
              QStringLiteral("<td>gm@zel.example.com</td>"),
              QStringLiteral("<td>noc@zel.example.com, sde@zel.example.com</td>"),
              QStringLiteral("<td>BTS FAULT ERNAKULAM – ticket 12</td>")})
            QVERIFY2(page.contains(shown), qPrintable(shown));
        // The mail's HTML lives only in a sandboxed frame's srcdoc, escaped.
        QVERIFY(page.contains(QStringLiteral("<iframe sandbox=\"\" title=\"mail body\" srcdoc=\"") +
                              fault.htmlBody.toHtmlEscaped() + QStringLiteral("\">")));
        QVERIFY(!page.contains(QStringLiteral("<script>")));
        QVERIFY(!page.contains(QStringLiteral("<b>down</b>")));
        QVERIFY(!page.contains(f.accounts.smsPassword));
    }

    void aWrongAccountIsRefusedAndNothingIsListed_data() {
        QTest::addColumn<QString>("channel");
        QTest::addRow("SMS password") << QStringLiteral("sms");
        QTest::addRow("WhatsApp token") << QStringLiteral("whatsapp");
        QTest::addRow("mail password") << QStringLiteral("mail");
        QTest::addRow("mail without STARTTLS") << QStringLiteral("plain mail");
    }
    void aWrongAccountIsRefusedAndNothingIsListed() {
        QFETCH(QString, channel);
        SandboxFixture f;
        integrations::SendResult result;
        if (channel == QLatin1String("sms")) {
            auto account = sms(f);
            account.password = QStringLiteral("wrong");
            result = integrations::smsMessageSend(account, 10, QStringLiteral("98"),
                                                  QStringLiteral("x"));
        } else if (channel == QLatin1String("whatsapp")) {
            auto account = whatsApp(f);
            account.token = QStringLiteral("wrong");
            result = integrations::whatsAppMessageSend(account, 10, QStringLiteral("91"),
                                                       QStringLiteral("x"));
        } else {
            auto account = mail(f);
            if (channel == QLatin1String("plain mail"))
                account.starttls = false; // the password would travel in clear
            else
                account.password = QStringLiteral("wrong");
            result = integrations::mailSend(
                account, 10,
                {QStringLiteral("a@b.c"), {}, QStringLiteral("s"), QStringLiteral("b")});
        }
        QVERIFY(!result.ok());
        QVERIFY(f.service->inbox().items().isEmpty());
    }

    // Each page records what it was told, passwords left out.
    void pagesRecordWhatTheyReceived_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("shown");
        QTest::addRow("complaint closed")
            << QStringLiteral("/waba_complaint_closed.php?mobile=9846012345&cn=C%2F0042")
            << QStringLiteral("Notice")
            << QStringList{QStringLiteral("9846012345"), QStringLiteral("C/0042")};
        QTest::addRow("click-to-call")
            << QStringLiteral("/webphone/click2call.html?wp_serveraddress=127.0.0.1:5060&"
                              "wp_username=desk01&wp_password=secret99&wp_callto=004842423456&"
                              "wp_autoaction=1")
            << QStringLiteral("Lookup")
            << QStringList{QStringLiteral("004842423456"), QStringLiteral("desk01")};
        QTest::addRow("policy") << QStringLiteral("/policy.php?bb=anil.kumar&ip=10.1.1.1")
                                << QStringLiteral("Lookup")
                                << QStringList{QStringLiteral("anil.kumar"),
                                               QStringLiteral("Vuva_FTTH_100M")};
        QTest::addRow("MTNL by number")
            << QStringLiteral("/elite/?telno=4842423456") << QStringLiteral("Lookup")
            << QStringList{QStringLiteral("4842423456"), QStringLiteral("anil.kumar")};
    }
    void pagesRecordWhatTheyReceived() {
        QFETCH(QString, address);
        QFETCH(QString, kind);
        QFETCH(QStringList, shown);
        SandboxFixture f;
        QCOMPARE(f.get(QStringLiteral("http://") + f.http() + address).first, 200);
        const auto& items = f.service->inbox().items();
        QCOMPARE(items.size(), 1);
        QCOMPARE(sandbox::kindName(items.first().kind), kind);
        const QString page = f.get(QStringLiteral("http://") + f.http() + QLatin1Char('/')).second;
        for (const QString& value : shown)
            QVERIFY2(page.contains(QStringLiteral("<td>") + value + QStringLiteral("</td>")),
                     qPrintable(value));
        QVERIFY(!page.contains(QStringLiteral("secret99")));
    }

    // The sandbox stands for the OLT management web server: its pages go on
    // to zelcrm-oltd with the query exactly as sent.
    void oltServicePagesAreSentOnToTheOltService() {
        SandboxFixture f;
        const auto [status, target] = f.get(
            QStringLiteral("http://%1/olt/onu_reboot.php?ip=192.0.2.11&mac=A4%3A7B%26x&pas=s%2Bc")
                .arg(f.http()));
        QCOMPARE(status, 307);
        QCOMPARE(
            target,
            QStringLiteral(
                "http://127.0.0.1:9/olt/onu_reboot.php?ip=192.0.2.11&mac=A4%3A7B%26x&pas=s%2Bc"));
        const QString page = f.get(QStringLiteral("http://") + f.http() + QLatin1Char('/')).second;
        for (const QString& shown : {QStringLiteral("OLT service onu_reboot.php"),
                                     QStringLiteral("192.0.2.11"), QStringLiteral("A4:7B&amp;x")})
            QVERIFY2(page.contains(QStringLiteral("<td>") + shown + QStringLiteral("</td>")),
                     qPrintable(shown));
        QVERIFY(!page.contains(QStringLiteral("s+c")));
    }

    void anUnknownRequestGetsA404Page_data() {
        QTest::addColumn<QString>("url");
        QTest::addRow("http") << QStringLiteral("http://HTTP/api/nothing.asp");
        QTest::addRow("https") << QStringLiteral("https://HTTPS/olt/onu_status.php");
    }
    void anUnknownRequestGetsA404Page() {
        QFETCH(QString, url);
        SandboxFixture f;
        const auto [status, body] = f.get(url.replace(QStringLiteral("HTTPS"), f.https())
                                              .replace(QStringLiteral("HTTP"), f.http()));
        QCOMPARE(status, 404);
        QVERIFY(body.contains(QStringLiteral("404 Not Found")));
        QVERIFY(f.service->inbox().items().isEmpty());
    }

    // A client's oversize request is refused before the sandbox holds it; a
    // long path shows shortened in the 404 page. Nothing is recorded.
    void oversizeAndLongRequests_data() {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<int>("status");
        QTest::addRow("10 MB query")
            << "/api/swsendSingle.asp?username=smsuser&message=" + QByteArray(10 << 20, 'x') << 414;
        QTest::addRow("long path") << "/" + QByteArray(5000, 'x') << 404;
    }
    void oversizeAndLongRequests() {
        QFETCH(QByteArray, target);
        QFETCH(int, status);
        SandboxFixture f;
        const QByteArray answer =
            RawClient::exchangeWhole(f.ports.http, "GET " + target +
                                                       " HTTP/1.1\r\nHost: t\r\n"
                                                       "Connection: close\r\n\r\n");
        QCOMPARE(answer.mid(9, 3).toInt(), status);
        QVERIFY(!answer.contains(QByteArray(300, 'x')));
        QVERIFY(f.service->inbox().items().isEmpty());
        QCOMPARE(f.get(QStringLiteral("http://") + f.http() + QLatin1Char('/')).first, 200);
    }
};

QTEST_MAIN(TestSandboxInbox)
#include "tst_sandbox_inbox.moc"
