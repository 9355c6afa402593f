// CliSession against the emulated ZTE and Huawei OLTs over real SSH and
// telnet connections on 127.0.0.1.
#include "oltd/session/cli_session.h"

#include <olt_emulator.h>

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <libssh/libssh.h>

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

// The SHA-256 fingerprint of the emulator's key, computed the way ssh-keygen
// -l does: base64 of the digest of the public key blob, without padding.
QString fingerprint(const QString& keyDir) {
    ssh_key key = nullptr, pub = nullptr;
    const QByteArray path = (keyDir + QStringLiteral("/ssh_host_rsa_key")).toLocal8Bit();
    ssh_pki_import_privkey_file(path.constData(), nullptr, nullptr, nullptr, &key);
    ssh_pki_export_privkey_to_pubkey(key, &pub);
    char* b64 = nullptr;
    ssh_pki_export_pubkey_base64(pub, &b64);
    const QByteArray blob = QByteArray::fromBase64(QByteArray(b64));
    ssh_string_free_char(b64);
    ssh_key_free(pub);
    ssh_key_free(key);
    return QStringLiteral("SHA256:") +
           QString::fromLatin1(QCryptographicHash::hash(blob, QCryptographicHash::Sha256)
                                   .toBase64(QByteArray::OmitTrailingEquals));
}

} // namespace

class TestCliSession : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void loginAndCommand_data();
    void loginAndCommand();

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
    m_fingerprint = fingerprint(m_keys.path());
}

Olt TestCliSession::start(const QString& name, TransportKind kind, const QJsonObject& changes,
                          bool legacy) {
    QFile f(QStringLiteral(OLT_EMULATOR_STATES "/") + name);
    f.open(QIODevice::ReadOnly);
    QJsonObject state = QJsonDocument::fromJson(f.readAll()).object();
    for (auto it = changes.begin(); it != changes.end(); ++it)
        state.insert(it.key(), it.value());
    oltemu::EmulatorOptions o;
    o.stateJson = QJsonDocument(state).toJson();
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

QTEST_GUILESS_MAIN(TestCliSession)
#include "tst_cli_session.moc"
