// CliSession against the emulated ZTE and Huawei OLTs over real SSH and
// telnet connections on 127.0.0.1.
#include "oltd/session/cli_session.h"

#include "support/olt_inventory.h"

#include <olt_emulator.h>

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <libssh/libssh.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

using namespace oltd;
using namespace std::chrono_literals;

namespace {

const QString Zte = QStringLiteral("zte-c320.json");
const QString Huawei = QStringLiteral("huawei-ma5608t.json");

struct Olt {
    std::unique_ptr<oltemu::OltEmulator> emulator;
    SessionTarget target;
    Dialect dialect;
    CliSession session() const { return CliSession(dialect, target); }
};

// A command whose answer does not change with the OLT's running clock.
QString stableCommand(const QString& vendor) {
    return vendor == Zte ? QStringLiteral("show gpon onu state gpon-olt_1/2/3")
                         : QStringLiteral("display service-port port 0/1/2 ont 5");
}

bool onuOnline(oltemu::OltEmulator& emu, int frame, int slot, int port, int id) {
    auto guard = emu.state().lock();
    oltemu::Onu* onu = emu.state().find(frame, slot, port, id);
    return onu && emu.state().isOnline(*onu);
}

} // namespace

class TestCliSession : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void loginAndCommand_data();
    void loginAndCommand();
    void sameAnswerWhateverTheTerminal_data();
    void sameAnswerWhateverTheTerminal();
    void confirmation_data();
    void confirmation();
    void refusedLogin_data();
    void refusedLogin();
    void hostKeyNotPinned_data();
    void hostKeyNotPinned();
    void legacySsh_data();
    void legacySsh();
    void timeLimit_data();
    void timeLimit();
    void connectionLost_data();
    void connectionLost();
    void secretsMasked_data();
    void secretsMasked();
    void telnetOptions();
    void sessionsOnSeveralThreads();

private:
    void transports();
    Olt start(const QString& name, TransportKind kind, const QJsonObject& changes = {},
              bool legacy = false);
    QTemporaryDir m_keys;
    QString m_fingerprint;
};

void TestCliSession::initTestCase() {
    QVERIFY(m_keys.isValid());
    // Makes the key once for every emulator of this test.
    start(Zte, TransportKind::Ssh);
    m_fingerprint = oltemu::hostKeySha256(m_keys.path());
}

Olt TestCliSession::start(const QString& name, TransportKind kind, const QJsonObject& changes,
                          bool legacy) {
    oltemu::EmulatorOptions o;
    o.stateJson = QJsonDocument(support::emulatorState(name, changes)).toJson();
    o.hostKeyDir = m_keys.path();
    o.legacySsh = legacy;
    Olt olt;
    olt.emulator = std::make_unique<oltemu::OltEmulator>(o);
    QString error;
    if (!olt.emulator->start(&error))
        qFatal("emulator: %s", qPrintable(error));
    SessionTarget& t = olt.target;
    t.host = QStringLiteral("127.0.0.1");
    t.transport = kind;
    t.port = kind == TransportKind::Ssh ? olt.emulator->sshPort() : olt.emulator->telnetPort();
    t.user = QStringLiteral("noc-oltd");
    t.password = QStringLiteral("oltd-pass");
    t.enablePassword = QStringLiteral("zxr10");
    t.hostKeySha256 = m_fingerprint;
    t.legacySsh = legacy;
    olt.dialect = name == Zte ? zteDialect() : huaweiDialect();
    return olt;
}

// Rows for both vendors over both transports.
void TestCliSession::transports() {
    QTest::addColumn<QString>("vendor");
    QTest::addColumn<TransportKind>("transport");
    for (const QString& vendor : {Zte, Huawei})
        for (const auto& [kind, name] :
             {std::pair{TransportKind::Ssh, "ssh"}, std::pair{TransportKind::Telnet, "telnet"}})
            QTest::addRow("%s %s", vendor == Zte ? "zte" : "huawei", name) << vendor << kind;
}

void TestCliSession::loginAndCommand_data() {
    transports();
}

void TestCliSession::loginAndCommand() {
    QFETCH(QString, vendor);
    QFETCH(TransportKind, transport);
    Olt olt = start(vendor, transport);
    CliSession s = olt.session();
    const CommandReply opened = s.open();
    QCOMPARE(opened.message, QString());
    QVERIFY(s.isOpen());
    const bool zte = vendor == Zte;
    const CommandReply reply = s.run(zte ? QStringLiteral("show gpon onu state gpon-olt_1/2/3")
                                         : QStringLiteral("display ont info 0 1 2 5"));
    QCOMPARE(reply.code, Code::Ok);
    // The answer alone: no echo before it, no prompt after it.
    const QStringList lines = reply.text.split(QLatin1Char('\n'));
    if (zte) {
        QCOMPARE(lines.first(), QStringLiteral("OnuIndex               Admin State  OMCC State   "
                                               "O7 State     Phase State"));
        QCOMPARE(lines.last(), QStringLiteral("ONU Number: 2/4"));
    } else {
        QCOMPARE(lines.at(1), QStringLiteral("  F/S/P                   : 0/1/2"));
        QCOMPARE(lines.last(), QLatin1String("  ") + QString(77, QLatin1Char('-')));
    }
    QCOMPARE(s.prompt(), zte ? QStringLiteral("KRN-C320#") : QStringLiteral("VLG-MA5608T#"));
}

// However the device's terminal is left (paging on or stuck, Huawei's smart
// parameter prompts, a user-mode account, questions at login), a command
// brings back the same text as on a plainly set-up session.
void TestCliSession::sameAnswerWhateverTheTerminal_data() {
    QTest::addColumn<QString>("vendor");
    QTest::addColumn<TransportKind>("transport");
    QTest::addColumn<QJsonObject>("state");
    QTest::addColumn<bool>("pagerStuck");
    QTest::addColumn<bool>("noSetup");
    const auto ssh = TransportKind::Ssh, telnet = TransportKind::Telnet;
    const QJsonObject shortPages{{QStringLiteral("pageLength"), 3}};
    QTest::addRow("zte pager stuck") << Zte << telnet << shortPages << true << false;
    QTest::addRow("zte pager stuck ssh") << Zte << ssh << shortPages << true << false;
    QTest::addRow("zte no setup, paging on") << Zte << telnet << shortPages << false << true;
    QTest::addRow("zte user mode: enable with password")
        << Zte << ssh << QJsonObject{{QStringLiteral("privileged"), false}} << false << false;
    QTest::addRow("huawei pager stuck") << Huawei << ssh << shortPages << true << false;
    QTest::addRow("huawei no setup: smart prompt and paging")
        << Huawei << telnet << shortPages << false << true;
    QTest::addRow("huawei password change offered")
        << Huawei << telnet << QJsonObject{{QStringLiteral("passwordChange"), true}} << false
        << false;
}

void TestCliSession::sameAnswerWhateverTheTerminal() {
    QFETCH(QString, vendor);
    QFETCH(TransportKind, transport);
    QFETCH(QJsonObject, state);
    QFETCH(bool, pagerStuck);
    QFETCH(bool, noSetup);
    const QString command = stableCommand(vendor);
    const Olt plain = start(vendor, TransportKind::Telnet);
    const CommandReply expected = plain.session().run(command);
    QCOMPARE(expected.code, Code::Ok);
    QVERIFY(expected.text.count(QLatin1Char('\n')) >= 5); // pages of three: several markers

    Olt olt = start(vendor, transport, state);
    olt.emulator->faults().pagerStuck = pagerStuck;
    if (noSetup)
        olt.dialect.setupCommands.clear();
    CliSession s = olt.session();
    const CommandReply reply = s.run(command);
    QCOMPARE(reply.message, QString());
    QCOMPARE(reply.text, expected.text);
    // The session goes on after the pager, as the next command shows.
    QCOMPARE(s.run(command).text, expected.text);
}

void TestCliSession::confirmation_data() {
    QTest::addColumn<QString>("vendor");
    QTest::addColumn<QString>("style"); // ZTE's question, when the firmware asks
    QTest::addColumn<Confirm>("confirm");
    for (const Confirm c : {Confirm::Yes, Confirm::No}) {
        const char* answer = c == Confirm::Yes ? "yes" : "no";
        QTest::addRow("zte [yes/no] %s", answer) << Zte << QStringLiteral("yes/no") << c;
        QTest::addRow("zte [Y/N] %s", answer) << Zte << QStringLiteral("Y/N") << c;
        QTest::addRow("huawei (y/n)[n] %s", answer) << Huawei << QString() << c;
    }
}

void TestCliSession::confirmation() {
    QFETCH(QString, vendor);
    QFETCH(QString, style);
    QFETCH(Confirm, confirm);
    Olt olt = start(vendor, TransportKind::Telnet, {{QStringLiteral("confirm"), style}});
    CliSession s = olt.session();
    const bool zte = vendor == Zte;
    const QStringList steps =
        zte ? QStringList{QStringLiteral("configure terminal"),
                          QStringLiteral("pon-onu-mng gpon-onu_1/2/3:7")}
            : QStringList{QStringLiteral("config"), QStringLiteral("interface gpon 0/1")};
    for (const QString& step : steps)
        QVERIFY(s.run(step).ok());
    QVERIFY(zte ? onuOnline(*olt.emulator, 1, 2, 3, 7) : onuOnline(*olt.emulator, 0, 1, 2, 5));
    const CommandReply reply =
        s.run(zte ? QStringLiteral("reboot") : QStringLiteral("ont reset 2 5"), confirm);
    QCOMPARE(reply.code, Code::Ok);
    QVERIFY2(!reply.text.contains(QLatin1Char('?')), qPrintable(reply.text));
    // A question answered no is said so: nothing was changed.
    QCOMPARE(reply.message.startsWith(QLatin1String("not confirmed: the OLT asked")),
             confirm == Confirm::No);
    const bool online =
        zte ? onuOnline(*olt.emulator, 1, 2, 3, 7) : onuOnline(*olt.emulator, 0, 1, 2, 5);
    QCOMPARE(online, confirm == Confirm::No);
    QCOMPARE(s.prompt(), zte ? QStringLiteral("KRN-C320(gpon-onu-mng)#")
                             : QStringLiteral("VLG-MA5608T(config-if-gpon-0/1)#"));
}

void TestCliSession::refusedLogin_data() {
    QTest::addColumn<QString>("vendor");
    QTest::addColumn<TransportKind>("transport");
    QTest::addColumn<QJsonObject>("state");
    QTest::addColumn<QString>("enablePassword");
    QTest::addColumn<Code>("code");
    QTest::addColumn<QString>("message");
    const auto ssh = TransportKind::Ssh, telnet = TransportKind::Telnet;
    const QJsonObject wrong{{QStringLiteral("password"), QStringLiteral("not-ours")}};
    const QString refused = QStringLiteral("The OLT refused the login of user noc-oltd");
    QTest::addRow("zte ssh") << Zte << ssh << wrong << "zxr10" << Code::Auth << refused;
    QTest::addRow("zte telnet: user prompt again")
        << Zte << telnet << wrong << "zxr10" << Code::Auth << refused;
    QTest::addRow("huawei ssh") << Huawei << ssh << wrong << "" << Code::Auth << refused;
    QTest::addRow("huawei telnet: invalid")
        << Huawei << telnet << wrong << "" << Code::Auth
        << refused + QStringLiteral(" over telnet: Username or password "
                                    "invalid.");
    QTest::addRow("zte enable password refused")
        << Zte << ssh << QJsonObject{{QStringLiteral("privileged"), false}} << "wrong" << Code::Auth
        << QStringLiteral("The OLT refused to enable privileged mode");
    QTest::addRow("huawei busy") << Huawei << telnet
                                 << QJsonObject{{QStringLiteral("maxSessions"), 0}} << ""
                                 << Code::DeviceError << QStringLiteral("The OLT is busy");
}

void TestCliSession::refusedLogin() {
    QFETCH(QString, vendor);
    QFETCH(TransportKind, transport);
    QFETCH(QJsonObject, state);
    QFETCH(QString, enablePassword);
    QFETCH(Code, code);
    QFETCH(QString, message);
    Olt olt = start(vendor, transport, state);
    olt.target.enablePassword = enablePassword;
    CliSession s = olt.session();
    const CommandReply reply = s.run(stableCommand(vendor));
    QCOMPARE(reply.code, code);
    QVERIFY2(reply.message.startsWith(message), qPrintable(reply.message));
    QVERIFY(!s.isOpen());
}

// A host key that is not the pinned one is refused every time, and the
// message gives what an engineer needs to check and pin it.
void TestCliSession::hostKeyNotPinned_data() {
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("pinned");
    QTest::addRow("key changed") << true << true;
    QTest::addRow("nothing pinned") << false << false;
}

void TestCliSession::hostKeyNotPinned() {
    QFETCH(bool, changed);
    QFETCH(bool, pinned);
    Olt olt = start(Huawei, TransportKind::Ssh);
    olt.emulator->faults().hostKeyChanged = changed;
    if (!pinned)
        olt.target.hostKeySha256.clear();
    CliSession s = olt.session();
    for (int attempt = 0; attempt < 2; ++attempt) {
        const CommandReply reply = s.run(stableCommand(Huawei));
        QCOMPARE(reply.code, Code::Auth);
        QVERIFY(!s.isOpen());
        const QRegularExpression offered(QStringLiteral("offers (SHA256:[A-Za-z0-9+/]{43})\\b"));
        const QString seen = offered.match(reply.message).captured(1);
        if (changed) {
            QVERIFY2(reply.message.startsWith(QStringLiteral("The OLT's SSH host key changed")),
                     qPrintable(reply.message));
            QVERIFY(!seen.isEmpty() && seen != m_fingerprint);
            QVERIFY(reply.message.contains(m_fingerprint + QStringLiteral(" is pinned")));
        } else {
            QCOMPARE(seen, m_fingerprint);
        }
    }
}

void TestCliSession::legacySsh_data() {
    QTest::addColumn<bool>("allowed");
    QTest::addRow("allowed") << true;
    QTest::addRow("not allowed") << false;
}

// An old unit that offers only diffie-hellman-group1-sha1 and ssh-rsa.
void TestCliSession::legacySsh() {
    QFETCH(bool, allowed);
    Olt olt = start(Huawei, TransportKind::Ssh, {}, true);
    olt.target.legacySsh = allowed;
    CliSession s = olt.session();
    const CommandReply reply = s.open();
    QVERIFY2(reply.ok() == allowed, qPrintable(reply.message));
    if (!allowed) {
        QCOMPARE(reply.code, Code::DeviceError);
        QVERIFY2(reply.message.contains(QLatin1String("legacy SSH")), qPrintable(reply.message));
    }
}

// Past the time limit the session is closed, so the late answer is never
// taken for the next command's; that one logs in afresh.
void TestCliSession::timeLimit_data() {
    QTest::addColumn<QString>("vendor");
    QTest::addColumn<bool>("duringLogin");
    QTest::addRow("zte command") << Zte << false;
    QTest::addRow("huawei command") << Huawei << false;
    QTest::addRow("zte login") << Zte << true;
}

void TestCliSession::timeLimit() {
    QFETCH(QString, vendor);
    QFETCH(bool, duringLogin);
    Olt olt = start(vendor, TransportKind::Telnet);
    const QString slow = vendor == Zte ? QStringLiteral("show gpon onu state gpon-olt_1/2/3 7")
                                       : QStringLiteral("display ont info 0 1 2 0");
    const QString next = stableCommand(vendor);
    const CommandReply expected = olt.session().run(next);
    QVERIFY(expected.ok());
    // The device's delay is well past the limits, which still leave a busy
    // machine ample time for the quick exchanges.
    olt.target.commandTimeout = 2s;
    olt.target.loginTimeout = 2s;
    CliSession s = olt.session();
    if (!duringLogin)
        QVERIFY(s.open().ok());
    olt.emulator->faults().delayMs = 5000;
    const CommandReply late = s.run(slow);
    QCOMPARE(late.code, Code::Timeout);
    QVERIFY2(late.message.contains(duringLogin ? QStringLiteral("login time limit (2 s)")
                                               : QStringLiteral("command time limit (2 s)")),
             qPrintable(late.message));
    QVERIFY(!s.isOpen());
    olt.emulator->faults().delayMs = 0;
    const CommandReply reply = s.run(next);
    QCOMPARE(reply.message, QString());
    QCOMPARE(reply.text, expected.text);
}

void TestCliSession::connectionLost_data() {
    transports();
}

void TestCliSession::connectionLost() {
    QFETCH(QString, vendor);
    QFETCH(TransportKind, transport);
    Olt olt = start(vendor, transport);
    CliSession s = olt.session();
    const QString command = stableCommand(vendor);
    const CommandReply expected = s.run(command);
    QVERIFY(expected.ok());
    olt.emulator->faults().dropMidOutput = true;
    const CommandReply cut = s.run(command);
    QCOMPARE(cut.code, Code::DeviceError);
    QVERIFY2(cut.message.startsWith(QStringLiteral("connection lost")), qPrintable(cut.message));
    QVERIFY(!s.isOpen());
    olt.emulator->faults().dropMidOutput = false;
    const CommandReply again = s.run(command);
    QCOMPARE(again.message, QString());
    QCOMPARE(again.text, expected.text);
}

void TestCliSession::secretsMasked_data() {
    QTest::addColumn<QString>("vendor");
    QTest::addColumn<TransportKind>("transport");
    QTest::addRow("zte telnet") << Zte << TransportKind::Telnet;
    QTest::addRow("zte ssh") << Zte << TransportKind::Ssh;
    QTest::addRow("huawei telnet") << Huawei << TransportKind::Telnet;
}

// The passwords and every masked text stay out of the transcript, as sent
// and as the device echoes them back (here inside commands it echoes).
void TestCliSession::secretsMasked() {
    QFETCH(QString, vendor);
    QFETCH(TransportKind, transport);
    Olt olt = start(vendor, transport, {{QStringLiteral("privileged"), false}});
    CliSession s = olt.session();
    const QString wanPassword = QStringLiteral("pw0417");
    s.mask(wanPassword);
    for (const QString& secret : {wanPassword, olt.target.password, olt.target.enablePassword})
        QVERIFY(s.run(QStringLiteral("show ") + secret).ok());
    const QStringList transcript = s.takeTranscript();
    const QString all = transcript.join(QLatin1Char('\n'));
    for (const QString& secret : {wanPassword, olt.target.password, olt.target.enablePassword})
        QVERIFY2(!all.contains(secret), qPrintable(all));
    QVERIFY2(all.count(QStringLiteral("********")) >= 3, qPrintable(all));
}

// Against a bare telnet peer: ECHO and SGA offered get DO, NAWS asked for
// gets WILL and the 500x50 window, anything else is refused.
void TestCliSession::telnetOptions() {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QCOMPARE(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    QCOMPARE(::listen(listener, 1), 0);
    socklen_t len = sizeof addr;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
    const QByteArray expected("\xff\xfd\x01"                         // DO ECHO
                              "\xff\xfd\x03"                         // DO SGA
                              "\xff\xfb\x1f"                         // WILL NAWS
                              "\xff\xfa\x1f\x01\xf4\x00\x32\xff\xf0" // SB NAWS 500 50 SE
                              "\xff\xfc\x18",                        // WONT TTYPE
                              21);
    QByteArray heard;
    std::thread peer([&] {
        const int fd = ::accept(listener, nullptr, nullptr);
        const char offer[] = "\xff\xfb\x01\xff\xfb\x03\xff\xfd\x1f\xff\xfd\x18";
        ::send(fd, offer, sizeof offer - 1, MSG_NOSIGNAL);
        pollfd p{fd, POLLIN, 0};
        char buf[256];
        while (heard.size() < expected.size() && ::poll(&p, 1, 15000) > 0) {
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            heard.append(buf, n);
        }
        ::close(fd);
    });
    SessionTarget t;
    t.host = QStringLiteral("127.0.0.1");
    t.port = ntohs(addr.sin_port);
    t.transport = TransportKind::Telnet;
    CliSession s(zteDialect(), t);
    const CommandReply reply = s.open(); // the peer hangs up before any prompt
    peer.join();
    ::close(listener);
    QCOMPARE(heard.toHex(' '), expected.toHex(' '));
    QCOMPARE(reply.code, Code::Auth);
}

// Drivers run one session per thread, several at once.
void TestCliSession::sessionsOnSeveralThreads() {
    std::vector<Olt> olts;
    for (const QString& vendor : {Zte, Huawei})
        for (const TransportKind kind : {TransportKind::Ssh, TransportKind::Telnet})
            olts.push_back(start(vendor, kind));
    std::vector<QStringList> answers(olts.size());
    std::vector<std::thread> threads;
    for (size_t i = 0; i < olts.size(); ++i)
        threads.emplace_back([&, i] {
            CliSession s = olts[i].session();
            const QString command =
                stableCommand(olts[i].dialect.name == QLatin1String("zte") ? Zte : Huawei);
            for (int n = 0; n < 3; ++n) {
                const CommandReply r = s.run(command);
                answers[i].append(r.ok() ? r.text : QStringLiteral("failed: ") + r.message);
            }
        });
    for (std::thread& t : threads)
        t.join();
    for (const QStringList& a : answers) {
        QCOMPARE(a.size(), 3);
        QVERIFY2(!a.at(0).startsWith(QLatin1String("failed: ")), qPrintable(a.at(0)));
        QCOMPARE(a.at(1), a.at(0));
        QCOMPARE(a.at(2), a.at(0));
    }
}

QTEST_GUILESS_MAIN(TestCliSession)
#include "tst_cli_session.moc"
