#include "core/config.h"
#include "db/db_settings.h"
#include "db/screen_db.h"
#include "integrations/mail.h"
#include "integrations/sms.h"
#include "integrations/whatsapp.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

// scripts/run as a new user starts it, with a stand-in client: the demo
// configuration it hands the client, and what is left running afterwards.
class TestDemoRun : public QObject {
    Q_OBJECT

    // "section/key" of every key an INI file sets, in file order.
    static QStringList keysOf(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return {};
        static const QRegularExpression section(QStringLiteral(R"(^\[(\w+)\]\s*$)"));
        static const QRegularExpression key(QStringLiteral(R"(^(\w+)\s*=)"));
        QStringList keys;
        QString current;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
            if (const auto m = section.match(line); m.hasMatch())
                current = m.captured(1);
            else if (const auto k = key.match(line); k.hasMatch())
                keys << current + QLatin1Char('/') + k.captured(1);
        }
        return keys;
    }

    struct Run {
        QTemporaryDir dir;
        QProcess script;
        QString out(const QString& name) const { return dir.filePath(name); }

        // mode: the stand-in client's exit code, or "sleep" to stay until stopped.
        explicit Run(const QString& mode, const QStringList& arguments = {}) {
            const QString client = out(QStringLiteral("client"));
            QFile f(client);
            f.open(QIODevice::WriteOnly);
            f.write("#!/bin/sh\n"
                    "cp \"$2\" \"$FAKE_OUT/config.ini\"\n"
                    "cp \"$XDG_DATA_HOME/zelcrm/services.pid\" \"$FAKE_OUT/pids\"\n"
                    "printf '%s' \"$QTWEBENGINE_CHROMIUM_FLAGS\" > \"$FAKE_OUT/flags\"\n"
                    "touch \"$FAKE_OUT/ready\"\n"
                    "[ \"$FAKE_MODE\" = sleep ] && exec sleep 60\n"
                    "exit \"$FAKE_MODE\"\n");
            f.close();
            f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("XDG_DATA_HOME"), out(QStringLiteral("data")));
            env.insert(QStringLiteral("ZELCRM_RUN_PREBUILT"), QStringLiteral("1"));
            env.insert(QStringLiteral("ZELCRM_BUILD_DIR"), QStringLiteral(ZELCRM_BUILD));
            env.insert(QStringLiteral("ZELCRM_CLIENT"), client);
            env.insert(QStringLiteral("FAKE_OUT"), dir.path());
            env.insert(QStringLiteral("FAKE_MODE"), mode);
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            script.setProcessEnvironment(env);
            script.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            script.start(QStringLiteral(ZELCRM_SOURCE "/scripts/run"), arguments);
        }
        bool ready() const { return QFile::exists(out(QStringLiteral("ready"))); }
        bool waitReady() {
            for (int i = 0; i < 600 && !ready() && script.state() != QProcess::NotRunning; ++i)
                QTest::qWait(50);
            return ready();
        }
        QStringList pids() const {
            QFile f(out(QStringLiteral("pids")));
            return f.open(QIODevice::ReadOnly)
                       ? QString::fromUtf8(f.readAll()).split(QLatin1Char(' '), Qt::SkipEmptyParts)
                       : QStringList();
        }
    };

    // A process of that id that is one of ours, still running.
    static bool serviceRunning(const QString& pid) {
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid.trimmed()));
        return comm.open(QIODevice::ReadOnly) && comm.readAll().startsWith("zelcrm-");
    }

    static int statusOf(const QUrl& url) {
        QNetworkAccessManager network;
        QNetworkReply* reply = network.get(QNetworkRequest(url));
        QSignalSpy done(reply, &QNetworkReply::finished);
        done.wait(10000);
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        delete reply;
        return status;
    }

private slots:
    void theDemoConfigurationSetsEveryKeyOfTheExample() {
        Run run(QStringLiteral("0"));
        QVERIFY(run.script.waitForFinished(120000));
        QCOMPARE(run.script.exitCode(), 0);
        const QString written = run.out(QStringLiteral("config.ini"));
        const QStringList example = keysOf(QStringLiteral(ZELCRM_SOURCE "/etc/zelcrm.example.ini"));
        QVERIFY(!example.isEmpty());
        QStringList missing;
        for (const QString& key : example)
            if (!keysOf(written).contains(key))
                missing << key;
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char(' '))));
        // Read as the client reads it; only the keys whose empty value means
        // "the desktop's default program" stay empty.
        const core::Config config = core::Config::load(written);
        const QStringList mayBeEmpty{QStringLiteral("tools/browser"),
                                     QStringLiteral("tools/spreadsheet")};
        QStringList empty;
        for (const QString& key : example)
            if (!config.has(key) && !mayBeEmpty.contains(key))
                empty << key;
        QVERIFY2(empty.isEmpty(), qPrintable(empty.join(QLatin1Char(' '))));
        for (const QString& file :
             {QStringLiteral("services/message_api_ca_file"), QStringLiteral("mail/ca_file"),
              QStringLiteral("tools/router_tool")})
            QVERIFY2(QFile::exists(config.value(file)), qPrintable(file));
    }

    // The accounts and certificate of the demo configuration are the ones the
    // sandbox takes: the client's own channels get through.
    void theClientsChannelsReachTheSandbox() {
        Run run(QStringLiteral("sleep"));
        QVERIFY(run.waitReady());
        const core::Config config = core::Config::load(run.out(QStringLiteral("config.ini")));
        const integrations::SendResult results[] = {
            integrations::smsMessageSend(config, QStringLiteral("9846012345"),
                                         QStringLiteral("demo SMS")),
            integrations::whatsAppMessageSend(integrations::WhatsAppAccount::fromConfig(config), 10,
                                              QStringLiteral("919846012345"),
                                              QStringLiteral("demo WhatsApp")),
            integrations::mailSend(integrations::MailAccount::fromConfig(config), 10,
                                   {QStringLiteral("gm@zel.example.com"),
                                    {},
                                    QStringLiteral("demo mail"),
                                    QStringLiteral("<p>body</p>")})};
        for (const auto& r : results)
            QVERIFY2(r.ok(), qPrintable(r.error));
        QNetworkAccessManager network;
        QNetworkReply* reply = network.get(QNetworkRequest(
            QUrl(QStringLiteral("http://") + config.value(QStringLiteral("services/sms_gateway")) +
                 QLatin1Char('/'))));
        QSignalSpy done(reply, &QNetworkReply::finished);
        QVERIFY(done.wait(10000));
        const QByteArray page = reply->readAll();
        delete reply;
        for (const char* text : {"demo SMS", "demo WhatsApp", "demo mail"})
            QVERIFY2(page.contains(text), text);
        run.script.terminate();
        QVERIFY(run.script.waitForFinished(60000));
    }

    // The demo on PostgreSQL: the client's configuration reaches a server
    // holding the demo data, and the throwaway cluster goes with the client.
    void theDemoRunsOnAThrowawayServer() {
        Run run(QStringLiteral("sleep"), {QStringLiteral("--postgresql")});
        QVERIFY(run.waitReady());
        const core::Config config = core::Config::load(run.out(QStringLiteral("config.ini")));
        const db::DbSettings settings = db::DbSettings::fromConfig(config);
        QCOMPARE(settings.backend, db::Backend::PostgreSql);
        const QString socketFolder = settings.primaryServer;
        QVERIFY(QFileInfo(socketFolder).isDir());
        {
            db::ScreenDb screen(settings);
            screen.open();
            QCOMPARE(screen.query(QStringLiteral("select NAME from CRM where CRM_ID='9876500001'"))
                         .trimmed(0),
                     QStringLiteral("Asha Verma"));
            screen.close();
            screen.openSecondary();
            QCOMPARE(screen.query(QStringLiteral("select current_database()")).field(0),
                     QStringLiteral("zelcrm_secondary"));
            screen.close();
        }
        ::kill(pid_t(run.script.processId()), SIGTERM);
        QVERIFY(run.script.waitForFinished(60000));
        QVERIFY(!QFileInfo::exists(socketFolder));
    }

    // Two of the demo's OLTs are emulated devices behind the real drivers;
    // their subscribers' ONUs answer through them, the others simulated.
    void theDemosEmulatedOltsAnswerThroughTheirDrivers() {
        Run run(QStringLiteral("sleep"));
        QVERIFY(run.waitReady());
        const core::Config config = core::Config::load(run.out(QStringLiteral("config.ini")));
        const QString service = QStringLiteral("http://") +
                                config.value(QStringLiteral("services/olt_service")) +
                                QStringLiteral("/olt/onu_status.php?ip=%1&mac=%2");
        const struct {
            const char *olt, *mac, *serial, *said;
        } onus[] = {{"192.0.2.21", "A4:7B:2C:12:01:01", "ZTEGC8A20101", "show gpon onu"},
                    {"192.0.2.31", "A4:7B:2C:21:01:01", "HWTC9B210101", "display ont"},
                    {"192.0.2.11", "A4:7B:2C:10:01:01", "", ""}};
        QNetworkAccessManager network;
        for (const auto& onu : onus) {
            QNetworkReply* reply = network.get(
                QNetworkRequest(QUrl(service.arg(QLatin1String(onu.olt), QLatin1String(onu.mac)))));
            QSignalSpy done(reply, &QNetworkReply::finished);
            QVERIFY(done.wait(60000));
            const QByteArray page = reply->readAll();
            QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
            delete reply;
            QVERIFY2(page.contains(onu.serial), page.constData());
            QVERIFY2(page.contains(onu.said), page.constData()); // the device's own transcript
        }
        run.script.terminate();
        QVERIFY(run.script.waitForFinished(60000));
    }

    void noServiceOutlivesTheClient_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("signal"); // sent to scripts/run while the client runs; 0: none
        QTest::addColumn<int>("exitCode");
        QTest::addRow("client exits") << QStringLiteral("0") << 0 << 0;
        QTest::addRow("client fails") << QStringLiteral("3") << 0 << 3;
        QTest::addRow("Ctrl-C") << QStringLiteral("sleep") << int(SIGINT) << 130;
        QTest::addRow("terminated") << QStringLiteral("sleep") << int(SIGTERM) << 143;
    }
    void noServiceOutlivesTheClient() {
        QFETCH(QString, mode);
        QFETCH(int, signal);
        QFETCH(int, exitCode);
        Run run(mode);
        QVERIFY(run.waitReady());
        const QStringList pids = run.pids();
        QCOMPARE(pids.size(), 4); // two OLT emulators, the OLT service, the sandbox
        if (signal) {
            // Both services answer while the client runs.
            const core::Config config = core::Config::load(run.out(QStringLiteral("config.ini")));
            QCOMPARE(statusOf(QUrl(QStringLiteral("http://") +
                                   config.value(QStringLiteral("services/ldap_lookup")) +
                                   QStringLiteral("/"))),
                     200);
            QCOMPARE(statusOf(QUrl(QStringLiteral("http://") +
                                   config.value(QStringLiteral("services/olt_service")) +
                                   QStringLiteral("/olt/no_such_page.php"))),
                     404);
            ::kill(pid_t(run.script.processId()), signal);
        }
        run.script.waitForFinished(60000);
        QCOMPARE(run.script.state(), QProcess::NotRunning);
        QCOMPARE(run.script.exitCode(), exitCode);
        for (const QString& pid : pids)
            QVERIFY2(!serviceRunning(pid), qPrintable(pid));
    }
};

QTEST_GUILESS_MAIN(TestDemoRun)
#include "tst_demo_run.moc"
