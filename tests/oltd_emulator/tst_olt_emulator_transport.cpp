// The emulators' transports and misbehaviour: SSH through libssh (password,
// host key, legacy algorithms), telnet option negotiation, the session cap,
// and answers that come late, stop halfway or arrive mangled.
#include "emulator_fixture.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

using namespace oltemu;

class TestOltEmulatorTransport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void sshSession_data();
    void sshSession();
    void sshLoginRefused_data();
    void sshLoginRefused();
    void hostKeyChange();
    void legacyAlgorithms();
    void telnetNegotiation();
    void sessionCap_data();
    void sessionCap();
    void delayedAnswer();
    void droppedMidAnswer();
    void garbledAnswer();
    void programOptions_data();
    void programOptions();

private:
    QTemporaryDir m_keys;
};

void TestOltEmulatorTransport::initTestCase() {
    QVERIFY(m_keys.isValid());
}

void TestOltEmulatorTransport::sshSession_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<QByteArray>("greeting");
    QTest::addColumn<QByteArray>("firstPrompt");
    QTest::addRow("zte: prompt at once") << Zte << QByteArray() << QByteArray("KRN-C320#");
    QTest::addRow("huawei: banner, then user mode")
        << Huawei << QByteArray("  Access Type : SSH\r\n") << QByteArray("VLG-MA5608T>");
}

// SSH authenticates on its own; the device greets and echoes as on telnet.
void TestOltEmulatorTransport::sshSession() {
    QFETCH(QString, state);
    QFETCH(QByteArray, greeting);
    QFETCH(QByteArray, firstPrompt);
    auto emu = startEmulator(state, {}, m_keys.path());
    SshClient c;
    QString error;
    QVERIFY2(c.connectTo(emu->sshPort(), {}, &error), qPrintable(error));
    QVERIFY(c.waitFor(firstPrompt));
    QVERIFY(c.take().contains(greeting));
    if (state == Huawei) {
        QCOMPARE(c.command("enable", prompt(state)), QByteArray());
        QCOMPARE(c.command("scroll", prompt(state)), QByteArray());
    }
    const QByteArray answer = state == Zte
                                  ? c.command("show gpon onu by sn ZTEGC4A7D19E", prompt(state))
                                  : c.command("display ont info by-sn HWTC9C2E71A4", prompt(state));
    QVERIFY2(answer.contains(state == Zte ? "gpon-onu_1/2/3:7\r\n"
                                          : "  ONT-ID                  : 5\r\n"),
             answer.constData());
}

void TestOltEmulatorTransport::sshLoginRefused_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("fault");
    QTest::addRow("zte, wrong password") << Zte << false;
    QTest::addRow("zte, login refused by fault") << Zte << true;
    QTest::addRow("huawei, wrong password") << Huawei << false;
    QTest::addRow("huawei, login refused by fault") << Huawei << true;
}

void TestOltEmulatorTransport::sshLoginRefused() {
    QFETCH(QString, state);
    QFETCH(bool, fault);
    auto emu = startEmulator(state, {}, m_keys.path());
    emu->faults().wrongPassword = fault;
    SshOptions o;
    if (!fault)
        o.password = "guess";
    SshClient c;
    QString error;
    QVERIFY(!c.connectTo(emu->sshPort(), o, &error));
    QCOMPARE(error, QStringLiteral("auth"));
}

// The changed key is another key, and switching back restores the first.
void TestOltEmulatorTransport::hostKeyChange() {
    auto emu = startEmulator(Zte, {}, m_keys.path());
    const auto keyOf = [&] {
        SshClient c;
        QString error;
        return c.connectTo(emu->sshPort(), {}, &error) ? c.hostKeyHash() : QByteArray();
    };
    const QByteArray first = keyOf();
    QVERIFY(!first.isEmpty());
    emu->faults().hostKeyChanged = true;
    const QByteArray changed = keyOf();
    QVERIFY(!changed.isEmpty());
    QVERIFY(changed != first);
    emu->faults().hostKeyChanged = false;
    QCOMPARE(keyOf(), first);
}

// An old MA5600T offers only group1 and ssh-rsa: a client that does not
// enable them fails at key exchange, one that does gets in.
void TestOltEmulatorTransport::legacyAlgorithms() {
    auto emu = startEmulator(Huawei, {}, m_keys.path(), true);
    {
        SshClient modern;
        QString error;
        QVERIFY(!modern.connectTo(emu->sshPort(), {}, &error));
        QVERIFY2(error.startsWith(QStringLiteral("connect")), qPrintable(error));
    }
    SshClient old;
    SshOptions o;
    o.legacy = true;
    QString error;
    QVERIFY2(old.connectTo(emu->sshPort(), o, &error), qPrintable(error));
    QVERIFY(old.waitFor("VLG-MA5608T>"));
}

// The device offers echo and suppress-go-ahead and asks for the window size.
void TestOltEmulatorTransport::telnetNegotiation() {
    auto emu = startEmulator(Zte);
    TelnetClient c;
    QVERIFY(c.connectTo(emu->telnetPort()));
    QVERIFY(c.waitFor("Username:"));
    QCOMPARE(c.negotiation(), (QStringList{QStringLiteral("WILL 1"), QStringLiteral("WILL 3"),
                                           QStringLiteral("DO 31")}));
}

void TestOltEmulatorTransport::sessionCap_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("cap");
    QTest::addColumn<QByteArray>("busy");
    QTest::addRow("huawei says it is busy")
        << Huawei << 2 << QByteArray("System is busy, please try after a while\r\n");
    QTest::addRow("zte hangs up") << Zte << 1 << QByteArray();
}

// Sessions up to the cap work side by side; one more is turned away, and a
// place freed is taken again.
void TestOltEmulatorTransport::sessionCap() {
    QFETCH(QString, state);
    QFETCH(int, cap);
    QFETCH(QByteArray, busy);
    auto emu = startEmulator(state, {{QStringLiteral("maxSessions"), cap}});
    std::vector<std::unique_ptr<TelnetClient>> open;
    for (int i = 0; i < cap; ++i) {
        open.push_back(telnetLogin(*emu, state));
        QVERIFY(open.back());
    }
    TelnetClient extra;
    QVERIFY(extra.connectTo(emu->telnetPort()));
    QVERIFY(extra.waitClosed());
    QCOMPARE(extra.take(), busy);
    QVERIFY(
        open.front()->command(state == Zte ? "show clock" : "display time", prompt(state)).size() >
        5);
    open.front().reset();
    std::unique_ptr<TelnetClient> again;
    for (int i = 0; i < 100 && !again; ++i) {
        if (emu->activeSessions() < cap + 1)
            again = telnetLogin(*emu, state);
        else
            QTest::qWait(50);
    }
    QVERIFY(again);
}

// Every answer waits; a client never gets it sooner.
void TestOltEmulatorTransport::delayedAnswer() {
    auto emu = startEmulator(Zte);
    auto c = telnetLogin(*emu, Zte);
    QVERIFY(c);
    emu->faults().delayMs = 400;
    QElapsedTimer t;
    t.start();
    const QByteArray answer = c->command("show gpon onu by sn ZTEGC4A7D19E", prompt(Zte));
    QVERIFY(t.elapsed() >= 400);
    QCOMPARE(answer, lines({"SearchResult", "-----------------", "gpon-onu_1/2/3:7"}));
}

// The device hangs up halfway: what arrived is the start of the answer and
// no prompt follows.
void TestOltEmulatorTransport::droppedMidAnswer() {
    auto emu = startEmulator(Zte);
    auto ref = telnetLogin(*emu, Zte);
    QVERIFY(ref);
    const QByteArray command = "show gpon remote-onu wan-ip gpon-onu_1/2/3:7";
    const QByteArray whole = ref->command(command, prompt(Zte));
    auto c = telnetLogin(*emu, Zte);
    QVERIFY(c);
    emu->faults().dropMidOutput = true;
    c->send(command + "\n");
    QVERIFY(c->waitClosed());
    const QByteArray got = c->take().mid(command.size() + 2);
    QCOMPARE(got.size(), (whole.size()) / 2);
    QVERIFY(whole.startsWith(got));
}

// A mangled answer is shorter and altered, yet the prompt still follows.
void TestOltEmulatorTransport::garbledAnswer() {
    auto emu = startEmulator(Huawei);
    auto c = telnetLogin(*emu, Huawei);
    QVERIFY(c);
    const QByteArray command = "display ont info summary 0/1/2";
    const QByteArray whole = c->command(command, prompt(Huawei));
    emu->faults().garble = true;
    const QByteArray got = c->command(command, prompt(Huawei));
    QVERIFY2(!got.startsWith("<no answer"), got.constData());
    QVERIFY(got.size() < whole.size() * 2 / 3);
    QVERIFY(got.contains('~'));
    QVERIFY(!whole.startsWith(got));
}

// The program the demo starts: one OLT from a state file, misbehaving as its
// options say.
struct EmulatorProgram {
    QProcess process;
    quint16 ssh = 0, telnet = 0;

    bool start(const QString& state, const QStringList& options, const QString& keyDir) {
        process.start(QStringLiteral(OLT_EMULATOR_PROGRAM),
                      QStringList{QStringLiteral("--state"),
                                  QStringLiteral(OLT_EMULATOR_STATES "/") + state,
                                  QStringLiteral("--host-key-dir"), keyDir} +
                          options);
        while (!process.canReadLine())
            if (!process.waitForReadyRead(15000))
                return false;
        const QList<QByteArray> words = process.readLine().trimmed().split(' ');
        if (words.size() != 4)
            return false;
        ssh = static_cast<quint16>(words[1].toUInt());
        telnet = static_cast<quint16>(words[3].toUInt());
        return ssh && telnet;
    }
    ~EmulatorProgram() {
        process.terminate();
        process.waitForFinished(15000);
    }
};

void TestOltEmulatorTransport::programOptions_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("kind");
    for (const QString& state : {Zte, Huawei}) {
        const QByteArray vendor = state == Zte ? "zte " : "huawei ";
        const QString serial =
            state == Zte ? QStringLiteral("ZTEGC4A7D19E") : QStringLiteral("HWTC9C2E71A4");
        const auto row = [&](const char* kind, const QStringList& options) {
            QTest::addRow("%s", (vendor + kind).constData())
                << state << options << QByteArray(kind);
        };
        row("wrong password", {QStringLiteral("--wrong-password")});
        row("host key changed", {QStringLiteral("--host-key-changed")});
        row("delay", {QStringLiteral("--delay-ms"), QStringLiteral("300")});
        row("drop", {QStringLiteral("--drop-mid-output")});
        row("pager stuck", {QStringLiteral("--pager-stuck")});
        row("garble", {QStringLiteral("--garble")});
        row("acs only", {QStringLiteral("--acs-only"), serial});
    }
}

// Every misbehaviour the library can show is one option of the program away,
// for either dialect.
void TestOltEmulatorTransport::programOptions() {
    QFETCH(QString, state);
    QFETCH(QStringList, options);
    QFETCH(QByteArray, kind);
    const bool zte = state == Zte;
    EmulatorProgram program;
    QVERIFY(program.start(state, options, m_keys.path()));
    if (kind == "wrong password") {
        TelnetClient c;
        QVERIFY(c.connectTo(program.telnet));
        QVERIFY(c.waitFor(zte ? "Username:" : ">>User name:"));
        c.send("noc-oltd\n");
        QVERIFY(c.waitFor(zte ? "Password:" : "password:"));
        c.take();
        c.send("oltd-pass\n");
        QVERIFY(c.waitFor(zte ? "Username:" : "  Username or password invalid."));
        return;
    }
    if (kind == "host key changed") {
        EmulatorProgram plain;
        QVERIFY(plain.start(state, {}, m_keys.path()));
        SshClient usual, changed;
        QString error;
        QVERIFY2(usual.connectTo(plain.ssh, {}, &error), qPrintable(error));
        QVERIFY2(changed.connectTo(program.ssh, {}, &error), qPrintable(error));
        QVERIFY(usual.hostKeyHash() != changed.hostKeyHash());
        return;
    }
    auto c = telnetLogin(program.telnet, state);
    QVERIFY(c);
    if (zte)
        QCOMPARE(c->command("terminal length 0", prompt(state)), QByteArray());
    const QByteArray longAnswer =
        zte ? "show gpon onu detail-info gpon-onu_1/2/3:3" : "display ont info 0 1 2 9";
    if (kind == "delay") {
        QElapsedTimer t;
        t.start();
        QVERIFY(c->command(longAnswer, prompt(state))
                    .contains(zte ? "ZTEGC0FFEE03" : "4857544312F0D6E5"));
        QVERIFY(t.elapsed() >= 300);
    } else if (kind == "drop") {
        c->send(longAnswer + "\n");
        QVERIFY(c->waitClosed());
    } else if (kind == "pager stuck") {
        c->send(longAnswer + "\n");
        QVERIFY(c->waitFor(zte ? "--More--" : "---- More ( Press 'Q' to break ) ----"));
    } else if (kind == "garble") {
        QVERIFY(c->command(longAnswer, prompt(state)).contains('~'));
    } else {
        const QByteArray shown =
            zte ? c->command("show running-config | include service-mgmt-via-non-omci",
                             prompt(state))
                : c->command("display ont info 0 1 2 5", prompt(state));
        QVERIFY2(shown.contains(zte ? "onu-type F670L" : "Tr069 management        : Enable"),
                 shown.constData());
    }
}

QTEST_GUILESS_MAIN(TestOltEmulatorTransport)
#include "tst_olt_emulator_transport.moc"
