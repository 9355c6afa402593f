#include "core/config.h"
#include "integrations/mail.h"
#include "support/event_loop_ticks.h"
#include "support/smtp_server.h"
#include "support/strings.h"
#include "support/test_certificate.h"

#include <QElapsedTimer>
#include <QTest>

using integrations::Mail;
using integrations::MailAccount;
using support::LocalSmtpServer;

namespace {

const QString password = QStringLiteral("pa&ss;w0rd");

MailAccount accountFor(const LocalSmtpServer& server, const QString& caFile = {},
                       bool starttls = false) {
    MailAccount a;
    a.smtpUrl = server.url();
    a.starttls = starttls;
    a.caFile = caFile;
    a.from = QStringLiteral("noc@zel.example");
    a.username = QStringLiteral("noc@zel.example");
    a.password = password;
    return a;
}

// A fault update as the ticket screen composes it: first SDE place empty.
Mail faultMail() {
    return {QStringLiteral(";trans@zel.example;head@zel.example"),
            QStringLiteral("gm@zel.example;cc1@zel.example;cc2@zel.example"),
            QStringLiteral("ZEL##MAHARASHTRA##पुणे##KOTHRUD##FT12345##UPDATE"),
            QStringLiteral("Dear Team,<BR>UPDATE : fibre cut &amp; splice é<BR>PH: 1/2/3")};
}

LocalSmtpServer::Mail parsed(const QByteArray& message) {
    LocalSmtpServer::Mail m;
    m.data = message;
    return m;
}

} // namespace

class TestMail : public QObject {
    Q_OBJECT

private slots:
    void recipientsAreTheNonEmptyAddressesOfToAndCc_data() {
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("cc");
        QTest::addColumn<QStringList>("recipients");
        QTest::addRow("three To, GM and CC list")
            << "sde@z.in;tx@z.in;head@z.in"
            << "gm@z.in;a@z.in;b@z.in"
            << support::strings(
                   {"sde@z.in", "tx@z.in", "head@z.in", "gm@z.in", "a@z.in", "b@z.in"});
        QTest::addRow("empty SDE places, empty GM")
            << ";;head@z.in"
            << ";a@z.in" << support::strings({"head@z.in", "a@z.in"});
        QTest::addRow("blanks around an address") << " head@z.in ; "
                                                  << "" << support::strings({"head@z.in"});
        QTest::addRow("an address on both lists goes once")
            << "a@z.in;b@z.in"
            << "A@Z.IN;c@z.in" << support::strings({"a@z.in", "b@z.in", "c@z.in"});
        QTest::addRow("nothing but separators") << ";;"
                                                << ";" << QStringList{};
        QTest::addRow("a place with two addresses")
            << "a@z.in, b@z.in;;head@z.in"
            << "gm@z.in;c@z.in,d@z.in"
            << support::strings({"a@z.in", "b@z.in", "head@z.in", "gm@z.in", "c@z.in", "d@z.in"});
    }
    void recipientsAreTheNonEmptyAddressesOfToAndCc() {
        QFETCH(QString, to);
        QFETCH(QString, cc);
        QFETCH(QStringList, recipients);
        QCOMPARE(integrations::mailRecipients({to, cc, {}, {}}), recipients);
    }

    void messageCarriesHeadersAndBodyIntact_data() {
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("cc");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("toHeader");
        QTest::addColumn<QString>("ccHeader");
        QTest::addRow("plain fault mail")
            << "sde@z.in;tx@z.in;head@z.in"
            << "gm@z.in;a@z.in"
            << "ZEL##MH##PUNE##KOTHRUD##FT12345"
            << "Dear Team,<BR><BR> New Fault open<BR>FAULT ID : FT12345"
            << "sde@z.in, tx@z.in, head@z.in"
            << "gm@z.in, a@z.in";
        QTest::addRow("unicode subject long enough for several encoded words")
            << ";;head@z.in"
            << ";a@z.in"
            << QStringLiteral("ZEL##महाराष्ट्र##पुणे शहर##कोथरूड टॉवर 12##FT98765##UPDATE 😀")
            << QStringLiteral("UPDATE : कोथरूड é ₹ \"q\" \\ done") << "head@z.in"
            << "a@z.in";
        QTest::addRow("a line break in the subject adds no header")
            << "head@z.in"
            << ""
            << "FT1\r\nBcc: thief@evil.example"
            << "x"
            << "head@z.in"
            << "";
        QTest::addRow("subject that looks like an encoded word stays as typed")
            << "head@z.in"
            << ""
            << "=?UTF-8?B?SGVsbG8=?="
            << "x"
            << "head@z.in"
            << "";
    }
    void messageCarriesHeadersAndBodyIntact() {
        QFETCH(QString, to);
        QFETCH(QString, cc);
        QFETCH(QString, subject);
        QFETCH(QString, body);
        QFETCH(QString, toHeader);
        QFETCH(QString, ccHeader);
        MailAccount account;
        account.from = QStringLiteral("noc@zel.example");
        const QDateTime date(QDate(2026, 12, 10), QTime(14, 5, 0), Qt::UTC);
        const QByteArray message =
            integrations::mailMessage(account, {to, cc, subject, body}, date);

        const auto mail = parsed(message);
        QCOMPARE(mail.header("Date"), QStringLiteral("Thu, 10 Dec 2026 14:05:00 +0000"));
        QCOMPARE(mail.header("From"), QStringLiteral("noc@zel.example"));
        QCOMPARE(mail.header("To"), toHeader);
        QCOMPARE(mail.header("Cc"), ccHeader);
        QCOMPARE(mail.header("Subject"), subject);
        QCOMPARE(mail.header("Bcc"), QString());
        QCOMPARE(mail.header("Content-Type"), QStringLiteral("text/html; charset=UTF-8"));
        QCOMPARE(mail.body(), body);
        // Seven-bit, CR LF lines no longer than an encoded word allows.
        for (const QByteArray& line : message.split('\n')) {
            QVERIFY2(line.isEmpty() || line.endsWith('\r'), line.constData());
            QVERIFY2(line.size() <= 998, line.constData());
            for (const char c : line)
                QVERIFY(uchar(c) < 0x80);
        }
    }

    void deliversOverStartTlsWithLogin_data() {
        QTest::addColumn<QByteArray>("mechanism");
        QTest::addRow("AUTH PLAIN") << QByteArray("PLAIN");
        QTest::addRow("AUTH LOGIN") << QByteArray("LOGIN");
    }
    void deliversOverStartTlsWithLogin() {
        QFETCH(QByteArray, mechanism);
        const support::TestCertificate cert;
        LocalSmtpServer server(LocalSmtpServer::Tls::StartTls, cert.serverConfiguration());
        server.setAuthMechanisms(mechanism);
        server.requireLogin(QStringLiteral("noc@zel.example"), password);

        const auto result = integrations::mailSend(accountFor(server, cert.certificatePath(), true),
                                                   5, faultMail());

        QVERIFY2(result.ok(), qPrintable(result.error));
        QCOMPARE(server.mails().size(), 1);
        const auto& mail = server.mails().first();
        QVERIFY(mail.encrypted);
        QCOMPARE(mail.from, QStringLiteral("noc@zel.example"));
        QCOMPARE(mail.recipients,
                 support::strings({"trans@zel.example", "head@zel.example", "gm@zel.example",
                                   "cc1@zel.example", "cc2@zel.example"}));
        QCOMPARE(mail.header("To"), QStringLiteral("trans@zel.example, head@zel.example"));
        QCOMPARE(mail.header("Cc"),
                 QStringLiteral("gm@zel.example, cc1@zel.example, cc2@zel.example"));
        QCOMPARE(mail.header("Subject"), faultMail().subject);
        QCOMPARE(mail.body(), faultMail().htmlBody);
    }

    void deliversOverImplicitTls() {
        const support::TestCertificate cert;
        LocalSmtpServer server(LocalSmtpServer::Tls::Implicit, cert.serverConfiguration());
        const auto result =
            integrations::mailSend(accountFor(server, cert.certificatePath()), 5, faultMail());
        QVERIFY2(result.ok(), qPrintable(result.error));
        QCOMPARE(server.mails().size(), 1);
        QVERIFY(server.mails().first().encrypted);
        QCOMPARE(server.mails().first().password, password);
    }

    void aFailedSendIsReportedWithoutTheSecret_data() {
        QTest::addColumn<int>("tls");
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<QByteArray>("refused");
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("reason");
        const int plain = int(LocalSmtpServer::Tls::Plain);
        const int startTls = int(LocalSmtpServer::Tls::StartTls);
        QTest::addRow("server offers no STARTTLS though it is required")
            << plain << true << QByteArray() << ""
            << "";
        QTest::addRow("server certificate not trusted") << startTls << false << QByteArray() << ""
                                                        << "";
        QTest::addRow("sender refused") << startTls << true << QByteArray("MAIL") << ""
                                        << "550";
        QTest::addRow("recipient refused") << startTls << true << QByteArray("RCPT") << ""
                                           << "550";
        QTest::addRow("message refused") << startTls << true << QByteArray("DATA") << ""
                                         << "550";
        QTest::addRow("login refused") << startTls << true << QByteArray() << "other"
                                       << "";
    }
    void aFailedSendIsReportedWithoutTheSecret() {
        QFETCH(int, tls);
        QFETCH(bool, trusted);
        QFETCH(QByteArray, refused);
        QFETCH(QString, login);
        QFETCH(QString, reason);
        const support::TestCertificate cert;
        LocalSmtpServer server(LocalSmtpServer::Tls(tls), cert.serverConfiguration());
        if (!refused.isEmpty())
            server.refuse(refused);
        server.requireLogin(QStringLiteral("noc@zel.example"), login.isEmpty() ? password : login);

        const auto result = integrations::mailSend(
            accountFor(server, trusted ? cert.certificatePath() : QString(), true), 5, faultMail());

        QVERIFY(!result.ok());
        QVERIFY2(result.error.contains(reason), qPrintable(result.error));
        QVERIFY2(!result.error.contains(QStringLiteral("pa&ss")), qPrintable(result.error));
        QVERIFY(server.mails().isEmpty());
    }

    // One address that cannot take the mail costs the others nothing: the
    // headers still show the mail as composed, the envelope leaves it out,
    // and the result names it. With nobody left, nothing is sent.
    void aRecipientThatCannotTakeTheMailIsLeftOut_data() {
        QTest::addColumn<QString>("to");
        QTest::addColumn<QStringList>("refusedByServer");
        QTest::addColumn<bool>("sent");
        QTest::addColumn<QStringList>("delivered");
        QTest::addColumn<QStringList>("leftOut");
        QTest::addColumn<QString>("toHeader");
        QTest::addRow("one mailbox refused")
            << ";trans@zel.example;head@zel.example" << support::strings({"HEAD@zel.example"})
            << true << support::strings({"trans@zel.example", "gm@zel.example", "cc1@zel.example"})
            << support::strings({"head@zel.example"}) << "trans@zel.example, head@zel.example";
        QTest::addRow("two mailboxes in one contact column")
            << "a@zel.example, b@zel.example;;head@zel.example" << QStringList{} << true
            << support::strings({"a@zel.example", "b@zel.example", "head@zel.example",
                                 "gm@zel.example", "cc1@zel.example"})
            << QStringList{} << "a@zel.example, b@zel.example, head@zel.example";
        QTest::addRow("a contact column that holds no address")
            << "RAJ;;head@zel.example" << QStringList{} << true
            << support::strings({"head@zel.example", "gm@zel.example", "cc1@zel.example"})
            << support::strings({"RAJ"}) << "head@zel.example";
        QTest::addRow("every mailbox refused")
            << ";;head@zel.example"
            << support::strings({"head@zel.example", "gm@zel.example", "cc1@zel.example"}) << false
            << QStringList{}
            << support::strings({"head@zel.example", "gm@zel.example", "cc1@zel.example"}) << "";
    }
    void aRecipientThatCannotTakeTheMailIsLeftOut() {
        QFETCH(QString, to);
        QFETCH(QStringList, refusedByServer);
        QFETCH(bool, sent);
        QFETCH(QStringList, delivered);
        QFETCH(QStringList, leftOut);
        QFETCH(QString, toHeader);
        LocalSmtpServer server;
        for (const QString& address : refusedByServer)
            server.refuseRecipient(address);
        Mail mail = faultMail();
        mail.to = to;
        mail.cc = QStringLiteral("gm@zel.example;cc1@zel.example");

        const auto result = integrations::mailSend(accountFor(server), 5, mail);

        if (!sent) {
            QVERIFY(!result.ok());
            for (const QString& address : leftOut)
                QVERIFY2(result.error.contains(address), qPrintable(result.error));
            QVERIFY2(result.error.contains(QStringLiteral("550")), qPrintable(result.error));
            QVERIFY(server.mails().isEmpty());
            return;
        }
        QVERIFY2(result.ok(), qPrintable(result.error));
        QCOMPARE(server.mails().size(), 1);
        QCOMPARE(server.mails().first().recipients, delivered);
        QCOMPARE(server.mails().first().header("To"), toHeader);
        QCOMPARE(server.mails().first().header("Cc"),
                 QStringLiteral("gm@zel.example, cc1@zel.example"));
        QStringList named;
        for (const auto& refused : result.refused) {
            named << refused.address;
            const QString expected = refusedByServer.isEmpty()
                                         ? QStringLiteral("not a mail address")
                                         : QStringLiteral("550 5.1.1");
            QVERIFY2(refused.reason.contains(expected), qPrintable(refused.reason));
        }
        QCOMPARE(named, leftOut);
    }

    void aSilentServerEndsAtTheWaitLimitWithTheUiLive() {
        LocalSmtpServer server;
        server.setSilent(true);
        const support::EventLoopTicks ticks;
        QElapsedTimer clock;
        clock.start();
        const auto result = integrations::mailSend(accountFor(server), 1, faultMail());
        QVERIFY(!result.ok());
        QVERIFY2(clock.elapsed() < 2900, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(ticks.count() > 5);
        QCOMPARE(server.connections(), 1);
    }

    void aMailWithoutUsableAddressesMakesNoConnection_data() {
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("cc");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("reason");
        QTest::addRow("no recipient at all") << ";;"
                                             << ";"
                                             << "noc@zel.example"
                                             << "no recipient";
        QTest::addRow("a line break in an address")
            << "head@zel.example\r\nRCPT TO:<x@evil.example>"
            << ""
            << "noc@zel.example"
            << "not a mail address";
        QTest::addRow("an address beyond ASCII") << "hëad@zel.example"
                                                 << ""
                                                 << "noc@zel.example"
                                                 << "not a mail address";
        QTest::addRow("a sender that is no address") << "head@zel.example"
                                                     << ""
                                                     << "NOC desk"
                                                     << "not a mail address";
    }
    void aMailWithoutUsableAddressesMakesNoConnection() {
        QFETCH(QString, to);
        QFETCH(QString, cc);
        QFETCH(QString, from);
        QFETCH(QString, reason);
        LocalSmtpServer server;
        auto account = accountFor(server);
        account.from = from;
        const auto result = integrations::mailSend(account, 5, {to, cc, QStringLiteral("s"), {}});
        QVERIFY2(result.error.contains(reason), qPrintable(result.error));
        QTest::qWait(100);
        QCOMPARE(server.connections(), 0);
    }

    void accountComesFromTheMailSection_data() {
        QTest::addColumn<QString>("changes");
        QTest::addColumn<QString>("error");
        QTest::addRow("everything set") << ""
                                        << "";
        QTest::addRow("no login, no CA file") << "mail/username mail/password mail/ca_file"
                                              << "";
        QTest::addRow("server without scheme")
            << "mail/smtp_url=mail.zel.example:587"
            << "Setting [mail] smtp_url in zel.ini must begin with smtp:// or smtps://";
        // The lists follow the GM's address; written without their leading
        // ";" they get one rather than gluing onto it.
        QTest::addRow("Cc lists without the leading separator")
            << "mail/open_cc=a@z.in;b@z.in mail/update_cc=a@z.in;c@z.in"
            << "";
        QTest::addRow("starttls neither true nor false")
            << "mail/starttls=sometimes"
            << "Setting [mail] starttls in zel.ini must be true or false";
        for (const char* key : {"smtp_url", "from", "open_cc", "update_cc", "noc_phones"})
            QTest::addRow("%s missing", key)
                << QStringLiteral("mail/") + QLatin1String(key)
                << QStringLiteral("Missing setting [mail] %1 in zel.ini").arg(QLatin1String(key));
    }
    void accountComesFromTheMailSection() {
        QFETCH(QString, changes);
        QFETCH(QString, error);
        QHash<QString, QString> values;
        const QStringList settings = support::strings(
            {"mail/smtp_url=smtps://mail.zel.example", "mail/starttls=false",
             "mail/ca_file=/etc/zel/ca.pem", "mail/from=noc@zel.example", "mail/username=noc",
             "mail/password=pw", "mail/open_cc=;a@z.in;b@z.in", "mail/update_cc=;a@z.in;c@z.in",
             "mail/noc_phones=1/2/3"});
        for (const QString& s : settings)
            values.insert(s.section(QLatin1Char('='), 0, 0), s.section(QLatin1Char('='), 1));
        // "key" drops a setting, "key=value" replaces it.
        for (const QString& key : changes.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (key.contains(QLatin1Char('=')))
                values.insert(key.section(QLatin1Char('='), 0, 0),
                              key.section(QLatin1Char('='), 1));
            else
                values.remove(key);
        }
        const auto config = core::Config::fromValues(values, QStringLiteral("zel.ini"));
        try {
            const auto a = MailAccount::fromConfig(config);
            QVERIFY2(error.isEmpty(), qPrintable(error));
            QCOMPARE(a.smtpUrl, QStringLiteral("smtps://mail.zel.example"));
            QCOMPARE(a.openCc, QStringLiteral(";a@z.in;b@z.in"));
            QCOMPARE(a.updateCc, QStringLiteral(";a@z.in;c@z.in"));
            QCOMPARE(a.nocPhones, QStringLiteral("1/2/3"));
            QCOMPARE(a.username, values.value(QStringLiteral("mail/username")));
            QCOMPARE(a.caFile, values.value(QStringLiteral("mail/ca_file")));
        } catch (const core::ConfigError& e) {
            QCOMPARE(e.message(), error);
        }
    }
};

QTEST_MAIN(TestMail)
#include "tst_mail.moc"
