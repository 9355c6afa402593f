#include "sandbox_fixture.h"

#include <QSslSocket>

// The sandbox's mail server over a real socket, as a mail client meets it:
// a mail too big or too many recipients are refused with the codes a client
// understands, and the session goes on.
class TestSandboxSmtp : public QObject {
    Q_OBJECT

    // One SMTP session, signed in over STARTTLS.
    struct Session {
        QSslSocket socket;
        QByteArray pending;

        Session(const SandboxFixture& f) {
            QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
            tls.addCaCertificates(f.certificate());
            socket.setSslConfiguration(tls);
            socket.setPeerVerifyName(QStringLiteral("127.0.0.1"));
            socket.connectToHost(QHostAddress::LocalHost, f.ports.smtp);
            if (!QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; },
                                 10000))
                QTest::qFail("no connection", __FILE__, __LINE__);
            expect(reply(), "220");
            expect(send("EHLO desk"), "250");
            expect(send("STARTTLS"), "220");
            socket.startClientEncryption();
            if (!QTest::qWaitFor([&] { return socket.isEncrypted(); }, 10000))
                QTest::qFail("no TLS", __FILE__, __LINE__);
            QByteArray credentials = '\0' + f.accounts.smtpUser.toUtf8();
            credentials += '\0' + f.accounts.smtpPassword.toUtf8();
            expect(send("EHLO desk"), "250");
            expect(send("AUTH PLAIN " + credentials.toBase64()), "235");
        }

        // The whole reply, its lines joined; empty when none came.
        QByteArray reply() {
            const auto complete = [&] {
                const qsizetype end = pending.lastIndexOf("\r\n");
                if (end < 0)
                    return false;
                const qsizetype start = pending.lastIndexOf("\r\n", end - 1);
                const QByteArray last = pending.mid(start < 0 ? 0 : start + 2);
                return last.size() >= 4 && last.at(3) == ' ';
            };
            // An empty reply is the caller's to judge.
            static_cast<void>(QTest::qWaitFor(
                [&] {
                    pending += socket.readAll();
                    return complete() || socket.state() == QAbstractSocket::UnconnectedState;
                },
                20000));
            return std::exchange(pending, {});
        }
        QByteArray send(const QByteArray& line) {
            socket.write(line + "\r\n");
            return reply();
        }
        static void expect(const QByteArray& reply, const char* code) {
            if (!reply.startsWith(code))
                QTest::qFail(reply.isEmpty() ? "no reply" : reply.constData(), __FILE__, __LINE__);
        }
    };

private slots:
    // Past its size limit a mail is refused once it ended, and nothing of it
    // is delivered; a size declared too big is refused at once.
    void aMailTooBigIsRefusedAndTheSessionGoesOn() {
        SandboxFixture f;
        Session s(f);
        QVERIFY(s.send("MAIL FROM:<noc@zel.example.com> SIZE=99999999").startsWith("552"));
        QVERIFY(s.send("MAIL FROM:<noc@zel.example.com>").startsWith("250"));
        QVERIFY(s.send("RCPT TO:<gm@zel.example.com>").startsWith("250"));
        QVERIFY(s.send("DATA").startsWith("354"));
        const QByteArray line(998, 'x');
        for (int i = 0; i < 17 * 1024 * 1024 / 1000; ++i)
            s.socket.write(line + "\r\n");
        QVERIFY(s.send(".").startsWith("552"));
        QVERIFY(s.socket.state() == QAbstractSocket::ConnectedState);
        QVERIFY(f.service->inbox().items().isEmpty());

        // The next mail of the session goes through.
        QVERIFY(s.send("MAIL FROM:<noc@zel.example.com>").startsWith("250"));
        QVERIFY(s.send("RCPT TO:<gm@zel.example.com>").startsWith("250"));
        QVERIFY(s.send("DATA").startsWith("354"));
        QVERIFY(s.send("Subject: small\r\n\r\nfits\r\n.").startsWith("250"));
        QCOMPARE(f.service->inbox().items().size(), 1);
        QVERIFY(s.send("QUIT").startsWith("221"));
    }

    // Recipients past the limit are refused one by one (452); the mail goes
    // to the ones accepted.
    void recipientsPastTheLimitAreRefused() {
        SandboxFixture f;
        Session s(f);
        QVERIFY(s.send("MAIL FROM:<noc@zel.example.com>").startsWith("250"));
        for (int i = 0; i < 100; ++i)
            QVERIFY(s.send("RCPT TO:<desk" + QByteArray::number(i) + "@zel.example.com>")
                        .startsWith("250"));
        QVERIFY(s.send("RCPT TO:<one.more@zel.example.com>").startsWith("452"));
        QVERIFY(s.send("DATA").startsWith("354"));
        QVERIFY(s.send("Subject: many\r\n\r\nto all\r\n.").startsWith("250"));
        QCOMPARE(f.service->inbox().items().size(), 1);
    }
};

QTEST_MAIN(TestSandboxSmtp)
#include "tst_sandbox_smtp.moc"
