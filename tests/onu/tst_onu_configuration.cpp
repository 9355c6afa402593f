#include "../oltd/oltd_fixture.h"
#include "integrations/web_browser.h"
#include "onu/onu_configuration_form.h"
#include "sandbox/pages.h"
#include "support/http_server.h"
#include "support/strings.h"
#include "support/test_certificate.h"
#include "support/test_context.h"
#include "support/widgets.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>

using support::click;
using support::clickLabel;
using support::textOf;
using support::type;
using Shown = support::ScriptedDialogs::Shown;

namespace {

const QString kDefaultPassword = QStringLiteral("zelhomes");

} // namespace

class TestOnuConfiguration : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_server = std::make_unique<support::LocalHttpServer>();
        m_ctx = std::make_unique<support::TestContext>(QHash<QString, QString>{
            {QStringLiteral("services/olt_service"), m_server->hostPort()},
            {QStringLiteral("accounts/default_broadband_password"), kDefaultPassword}});
        fill(m_ctx->db());
        m_form = std::make_unique<onu::OnuConfigurationForm>(m_ctx->app());
    }
    void cleanup() {
        m_form.reset();
        m_ctx.reset();
        m_server.reset();
    }

    void opensEmptyWithTheDefaults() {
        QCOMPARE(m_form->objectName(), QStringLiteral("Form9"));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("ONU CONFIGURATION"));
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Text2")), kDefaultPassword);
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Text3")), QStringLiteral("1460"));
        QVERIFY(support::entries(m_form.get(), QStringLiteral("Combo1")).isEmpty());
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Label3")), QStringLiteral("OLT IP"));
    }

    void aSearchByIndicatorFindsTheOnuThroughTheId() {
        search(QStringLiteral("0-12 345"));
        const std::pair<const char*, const char*> shown[] = {{"Text1", "anil.kumar"},
                                                             {"Label2", "EKM-KAKKANAD-OLT"},
                                                             {"Label8", "KERALA"},
                                                             {"Label9", "ERNAKULAM"},
                                                             {"Text6", "+914842700001"},
                                                             {"Text7", "sippw"},
                                                             {"Text5", "ims.kerala"},
                                                             {"Text4", "2500"},
                                                             {"Text8", "Anil Home"},
                                                             {"Text9", "wifipass1"},
                                                             {"Text2", "zelhomes"},
                                                             {"Text3", "1460"},
                                                             {"Text10", "A4:7B:2C:10:01:01"},
                                                             {"Label7", "101"},
                                                             {"Label3", "192.0.2.11"},
                                                             {"Label6", "UP"}};
        for (const auto& [control, value] : shown)
            QCOMPARE(textOf(m_form.get(), QString::fromLatin1(control)), QString::fromUtf8(value));
        QCOMPARE(support::sortedEntries(m_form.get(), QStringLiteral("Combo1")),
                 support::strings({"OTHER", "VUVA IMS"}));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    void compositesSplitAsStored_data() {
        QTest::addColumn<QString>("stored"); // "NULL" stores a NULL
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addRow("pair") << "9148/pw/2"
                              << "9148"
                              << "pw/2";
        QTest::addRow("no slash") << "9148"
                                  << ""
                                  << "9148";
        QTest::addRow("NULL") << "NULL"
                              << ""
                              << "";
    }
    void compositesSplitAsStored() {
        QFETCH(QString, stored);
        m_ctx->db().exec(QStringLiteral("update cdata set OTC=?"),
                         {stored == QLatin1String("NULL") ? QVariant() : QVariant(stored)});
        type(m_form.get(), QStringLiteral("Text6"), QStringLiteral("typed user"));
        type(m_form.get(), QStringLiteral("Text7"), QStringLiteral("typed password"));
        search(QStringLiteral("anil.kumar"));
        QTEST(textOf(m_form.get(), QStringLiteral("Text6")), "user");
        QTEST(textOf(m_form.get(), QStringLiteral("Text7")), "password");
    }

    void theWanPasswordComesFromTheRecordOnlyForMtnl_data() {
        QTest::addColumn<QString>("service");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("mtu");
        QTest::addRow("MTNL with a trailing blank") << "MTNL "
                                                    << "BA123"
                                                    << "1480";
        QTest::addRow("mtnl in lower case") << "mtnl"
                                            << "zelhomes"
                                            << "1460";
    }
    void theWanPasswordComesFromTheRecordOnlyForMtnl() {
        QFETCH(QString, service);
        m_ctx->db().exec(QStringLiteral("update cdata set SERVICE=?"), {service});
        type(m_form.get(), QStringLiteral("Text2"), QStringLiteral("typed"));
        search(QStringLiteral("anil.kumar"));
        QTEST(textOf(m_form.get(), QStringLiteral("Text2")), "password");
        QTEST(textOf(m_form.get(), QStringLiteral("Text3")), "mtu");
    }

    void aProviderFillsSipDomainAndVlanForTheCircle() {
        search(QStringLiteral("anil.kumar"));
        support::choose(m_form.get(), QStringLiteral("Combo1"), QStringLiteral("OTHER"));
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Text5")), QStringLiteral("ims.kerala"));
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Text4")), QStringLiteral("2500"));
        support::choose(m_form.get(), QStringLiteral("Combo1"), QStringLiteral("VUVA IMS"));
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Text5")), QStringLiteral("ims.kerala.vuva"));
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Text4")), QStringLiteral("2600"));
    }

    void clearEmptiesTheSubscribersFieldsOnly() {
        search(QStringLiteral("anil.kumar"));
        click(m_form.get(), QStringLiteral("Command15"));
        for (const char* empty :
             {"Text1", "Text4", "Text5", "Text6", "Text7", "Text8", "Text9", "Text10", "Combo1",
              "Label7", "Label3", "Label6", "Label8", "Label9"})
            QCOMPARE(textOf(m_form.get(), QString::fromLatin1(empty)), QString());
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Text2")), kDefaultPassword);
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Label2")),
                 QStringLiteral("EKM-KAKKANAD-OLT"));
        QCOMPARE(support::sortedEntries(m_form.get(), QStringLiteral("Combo1")),
                 support::strings({"OTHER", "VUVA IMS"}));
    }

    // Nothing of the previous subscriber stays for the next CONFIGURE, REBOOT
    // or RESET: what the new one has no row for goes back to how the screen
    // opened.
    void aSearchStartsFromTheOpeningTexts_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("subscriber"); // Text1, Label2, Label8, Label9
        QTest::addRow("a subscriber with nothing else on record")
            << "ravi.n" << support::strings({"ravi.n", "NEW-SITE", "KERALA", "IDUKKI"});
        QTest::addRow("no subscriber")
            << "nobody" << support::strings({"nobody", "OLT NAME", "CIRCLE", "SSA"});
    }
    void aSearchStartsFromTheOpeningTexts() {
        QFETCH(QString, key);
        QFETCH(QStringList, subscriber);
        m_ctx->db().exec(QStringLiteral("update cdata set SERVICE='MTNL'"));
        m_ctx->db().exec(QStringLiteral("insert into cdata (ID, AP, circle, ssa, SERVICE) values "
                                        "('ravi.n', 'NEW-SITE', 'KERALA', 'IDUKKI', 'FTTH')"));
        search(QStringLiteral("anil.kumar"));
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Text3")), QStringLiteral("1480"));
        support::choose(m_form.get(), QStringLiteral("Combo1"), QStringLiteral("OTHER"));

        search(key);

        QStringList shown;
        for (const char* control : {"Text1", "Label2", "Label8", "Label9"})
            shown << textOf(m_form.get(), QString::fromLatin1(control));
        QCOMPARE(shown, subscriber);
        const std::pair<const char*, const char*> opening[] = {
            {"Text2", "zelhomes"}, {"Text3", "1460"},  {"Text4", ""},        {"Text5", ""},
            {"Text6", ""},         {"Text7", ""},      {"Text8", ""},        {"Text9", ""},
            {"Text10", ""},        {"Label7", "VLAN"}, {"Label3", "OLT IP"}, {"Label6", "STATUS"},
            {"Combo1", ""}};
        for (const auto& [control, text] : opening)
            QVERIFY2(textOf(m_form.get(), QString::fromLatin1(control)) == QLatin1String(text),
                     control);
        click(m_form.get(), QStringLiteral("Command12"));
        QCOMPARE(lastPage(), QStringLiteral("/olt/onu_restart.php?ip=OLT%20IP&mac="));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    void aFailingLookupEndsTheSearchWithOneMessage() {
        m_ctx->db().exec(QStringLiteral("drop table af_site"));
        search(QStringLiteral("anil.kumar"));
        QCOMPARE(m_ctx->dialogs().shown().size(), 1);
        QVERIFY(m_ctx->dialogs().last().contains(QStringLiteral("af_site")));
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Text10")),
                 QStringLiteral("A4:7B:2C:10:01:01"));
        QVERIFY(support::entries(m_form.get(), QStringLiteral("Combo1")).isEmpty());
    }

    // As the service receives them: keys in order, values percent-encoded.
    void everyPageWithItsKeysInOrder_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("request");
        const QString onu = QStringLiteral("ip=192.0.2.11&mac=A4%3A7B%3A2C%3A10%3A01%3A01");
        QTest::addRow("CHECK ONU") << "Command2" << QStringLiteral("/olt/onu_status.php?") + onu;
        QTest::addRow("WAN CHECK")
            << "Command3" << QStringLiteral("/olt/onu_wan_status.php?") + onu;
        QTest::addRow("WAN CONFIGURE")
            << "Command4"
            << QStringLiteral("/olt/onu_wan_config.php?") + onu +
                   QStringLiteral(
                       "&bb_id=anil.kumar&bb_inner_vlan=101&bb_pas=zelhomes&bb_mtu=1460");
        QTest::addRow("phone CHECK")
            << "Command6" << QStringLiteral("/olt/onu_phone_status.php?") + onu;
        QTest::addRow("phone CONFIGURE")
            << "Command7"
            << QStringLiteral("/olt/onu_phone_config.php?") + onu +
                   QStringLiteral("&voip_vlan=2500&pas=sippw&sip=ims.kerala&phone=k914842700001");
        QTest::addRow("Wi-Fi CHECK")
            << "Command9" << QStringLiteral("/olt/onu_wifi_status.php?") + onu;
        QTest::addRow("Wi-Fi CONFIGURE") << "Command10"
                                         << QStringLiteral("/olt/onu_wifi_config.php?") + onu +
                                                QStringLiteral("&name=Anil-Home&pas=wifipass1");
        QTest::addRow("WIFI PASSWORD") << "Label16"
                                       << QStringLiteral("/olt/onu_wifi_config5.php?") + onu +
                                              QStringLiteral("&name=Anil-Home&pas=wifipass1");
        QTest::addRow("CLEAR OFFLINE USER") << "Command11"
                                            << "/olt/onu_offline.php?ip=192.0.2.11";
        QTest::addRow("REBOOT ONU") << "Command12" << QStringLiteral("/olt/onu_restart.php?") + onu;
        QTest::addRow("RESET ONU") << "Command13" << QStringLiteral("/olt/onu_reset.php?") + onu;
        QTest::addRow("usage") << "Label1" << QStringLiteral("/olt/usage.php?") + onu;
        QTest::addRow("VLAN") << "Label7"
                              << "/olt/vlan_check.php?ip=192.0.2.11&vlan=101";
    }
    void everyPageWithItsKeysInOrder() {
        QFETCH(QString, control);
        QFETCH(QString, request);
        search(QStringLiteral("anil.kumar"));
        act(control);
        QCOMPARE(lastPage(), request);
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
        // The "k" went to the page only.
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Text6")), QStringLiteral("+914842700001"));
    }

    void beforeASearchTheCaptionsAreSent() {
        click(m_form.get(), QStringLiteral("Command12"));
        QCOMPARE(lastPage(), QStringLiteral("/olt/onu_restart.php?ip=OLT%20IP&mac="));
    }

    void theWifiPasswordRuleAndTheNameWriteBack_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("name"); // Text8 afterwards
        QTest::addRow("CONFIGURE checks first") << "Command10" << true << "My Home Net";
        QTest::addRow("UPDATE writes the name back first") << "Command8" << true << "My-Home-Net";
        QTest::addRow("WIFI PASSWORD has no rule") << "Label16" << false << "My-Home-Net";
    }
    void theWifiPasswordRuleAndTheNameWriteBack() {
        QFETCH(QString, control);
        QFETCH(bool, refused);
        search(QStringLiteral("anil.kumar"));
        type(m_form.get(), QStringLiteral("Text8"), QStringLiteral("My Home Net"));
        type(m_form.get(), QStringLiteral("Text9"), QStringLiteral("1234567"));
        act(control);
        QTEST(textOf(m_form.get(), QStringLiteral("Text8")), "name");
        if (refused) {
            QCOMPARE(m_ctx->dialogs().shown(),
                     (QList<Shown>{{QStringLiteral("PASSWORD MUST BE MINIMUM 8 CHARACTER"),
                                    QStringLiteral("VELMORA"), ui::Icon::Information}}));
            QTest::qWait(300);
            QVERIFY(pages().isEmpty());
            QCOMPARE(m_ctx->db().scalar(QStringLiteral("select [CPE TYPE] from cdata")),
                     QStringLiteral("Anil Home/wifipass1"));
        } else {
            QCOMPARE(lastPage(), QStringLiteral("/olt/onu_wifi_config5.php?ip=192.0.2.11&mac=A4%"
                                                "3A7B%3A2C%3A10%3A01%3A01&name=My-Home-Net&pas="
                                                "1234567"));
        }
        QVERIFY(find<QPushButton>(QStringLiteral("Command10"))->isEnabled());
    }

    void recordUpdatesSayWhatChanged() {
        search(QStringLiteral("anil.kumar"));
        type(m_form.get(), QStringLiteral("Text5"), QStringLiteral("ims.new"));
        type(m_form.get(), QStringLiteral("Text8"), QStringLiteral("New Net"));
        type(m_form.get(), QStringLiteral("Text9"), QStringLiteral("newpass1"));
        click(m_form.get(), QStringLiteral("Command5"));
        click(m_form.get(), QStringLiteral("Command8"));
        QCOMPARE(m_ctx->db().rows(QStringLiteral("select nas_ip, OTC, [CPE TYPE] from cdata")),
                 support::strings({"ims.new/2500|+914842700001/sippw|New-Net/newpass1"}));
        type(m_form.get(), QStringLiteral("Text1"), QStringLiteral("nobody"));
        click(m_form.get(), QStringLiteral("Command5"));
        click(m_form.get(), QStringLiteral("Command8"));
        const QString ftth = QStringLiteral("ZEL FTTH");
        QCOMPARE(
            m_ctx->dialogs().shown(),
            (QList<Shown>{{QStringLiteral("VOIP DETAILS UPDATED"), ftth, ui::Icon::Information},
                          {QStringLiteral("WIFI DETAILS UPDATED"), ftth, ui::Icon::Information},
                          {QStringLiteral("NO SUBSCRIBER nobody"), ftth, ui::Icon::Information},
                          {QStringLiteral("NO SUBSCRIBER nobody"), ftth, ui::Icon::Information}}));
    }

    // A database that fails is told with the server's words, never taken
    // for one without the subscriber's row.
    void theMacGoesToBothDatabases_data() {
        QTest::addColumn<QString>("broken"); // "", "secondary", "main", "both"
        QTest::addColumn<QString>("id");
        QTest::addColumn<QStringList>("message"); // a line ending in ": " goes on with the error
        QTest::addColumn<ui::Icon>("icon");
        QTest::addRow("both") << ""
                              << "anil.kumar" << support::strings({"MAC UPDATED"})
                              << ui::Icon::Information;
        QTest::addRow("second database failing")
            << "secondary"
            << "anil.kumar"
            << support::strings(
                   {"MAC UPDATED ON THE MAIN DATABASE", "MAC NOT UPDATED ON THE SECOND DATABASE: "})
            << ui::Icon::Critical;
        QTest::addRow("main database failing")
            << "main"
            << "anil.kumar"
            << support::strings(
                   {"MAC NOT UPDATED ON THE MAIN DATABASE: ", "MAC UPDATED ON THE SECOND DATABASE"})
            << ui::Icon::Critical;
        QTest::addRow("both failing")
            << "both"
            << "anil.kumar"
            << support::strings({"MAC NOT UPDATED ON THE MAIN DATABASE: ",
                                 "MAC NOT UPDATED ON THE SECOND DATABASE: "})
            << ui::Icon::Critical;
        QTest::addRow("no OLT row")
            << ""
            << "nobody" << support::strings({"NO OLT ROW FOR nobody"}) << ui::Icon::Information;
    }
    void theMacGoesToBothDatabases() {
        QFETCH(QString, broken);
        QFETCH(QString, id);
        QFETCH(QStringList, message);
        QFETCH(ui::Icon, icon);
        const QString drop = QStringLiteral("drop table OLT");
        if (broken == QLatin1String("secondary") || broken == QLatin1String("both"))
            m_ctx->db().execSecondary(drop);
        if (broken == QLatin1String("main") || broken == QLatin1String("both"))
            m_ctx->db().exec(drop);
        type(m_form.get(), QStringLiteral("Text1"), id);
        type(m_form.get(), QStringLiteral("Text10"), QStringLiteral("B8:00:11:22:33:44"));
        click(m_form.get(), QStringLiteral("Command14"));
        QCOMPARE(m_ctx->dialogs().shown().size(), 1);
        const Shown shown = m_ctx->dialogs().shown().first();
        QCOMPARE(shown.title, QStringLiteral("ZEL FTTH"));
        QCOMPARE(shown.icon, icon);
        const QStringList lines = shown.text.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), message.size());
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (message.at(i).endsWith(QLatin1String(": ")))
                QVERIFY2(lines.at(i).startsWith(message.at(i)) &&
                             lines.at(i).contains(QLatin1String("OLT")),
                         qPrintable(lines.at(i)));
            else
                QCOMPARE(lines.at(i), message.at(i));
        }
        const QString mac = QStringLiteral("select MAC from OLT");
        if (broken == QLatin1String("") || broken == QLatin1String("secondary"))
            QCOMPARE(m_ctx->db().scalar(mac), id == QLatin1String("nobody")
                                                  ? QStringLiteral("A4:7B:2C:10:01:01")
                                                  : QStringLiteral("B8:00:11:22:33:44"));
        if ((broken == QLatin1String("") || broken == QLatin1String("main")) &&
            id != QLatin1String("nobody"))
            QCOMPARE(m_ctx->db().rowsSecondary(mac), support::strings({"B8:00:11:22:33:44"}));
    }

    void theStatusLabelOpensTheOltInTheDesktopBrowser() {
        search(QStringLiteral("anil.kumar"));
        clickLabel(m_form.get(), QStringLiteral("Label6"));
        QCOMPARE(m_ctx->programs().started().size(), 1);
        QCOMPARE(m_ctx->programs().started().first().url,
                 QUrl(QStringLiteral("https://192.0.2.11")));
    }

    // The OLT account goes only into the OLT's own page. A redirect elsewhere
    // (another port of the host, another page of the OLT) gets nothing, and
    // the operator reads where the browser went.
    void theOltLoginFillsOnlyTheOltsPage_data() {
        QTest::addColumn<QString>("redirect"); // "", "another address", "another page"
        QTest::addRow("the OLT's page") << "";
        QTest::addRow("redirected to another address") << "another address";
        QTest::addRow("redirected to another page") << "another page";
    }
    void theOltLoginFillsOnlyTheOltsPage() {
        QFETCH(QString, redirect);
        const support::TestCertificate certificate;
        QVERIFY(certificate.isValid());
        support::LocalHttpServer olt(certificate.serverConfiguration());
        support::LocalHttpServer elsewhere(certificate.serverConfiguration());
        const QByteArray login = sandbox::pages::oltLoginPage(olt.hostPort(), false);
        elsewhere.answer(QStringLiteral("/"), login);
        olt.answer(QStringLiteral("/login"), login);
        QUrl target;
        if (redirect.isEmpty())
            olt.answer(QStringLiteral("/"), login);
        else
            olt.redirect(QStringLiteral("/"),
                         target = QUrl(redirect == QLatin1String("another page")
                                           ? olt.baseUrl() + QStringLiteral("/login")
                                           : elsewhere.baseUrl() + QStringLiteral("/")));
        m_form.reset();
        m_ctx = std::make_unique<support::TestContext>(QHash<QString, QString>{
            {QStringLiteral("accounts/default_broadband_password"), kDefaultPassword},
            {QStringLiteral("accounts/olt_web_user"), QStringLiteral("admin")},
            {QStringLiteral("accounts/olt_web_password"), QStringLiteral("p3xd@v827165")},
            {QStringLiteral("services/olt_trust_self_signed"), QStringLiteral("true")},
            {QStringLiteral("app/wait_limit_seconds"), QStringLiteral("20")}});
        fill(m_ctx->db());
        m_ctx->db().exec(QStringLiteral("update af_site set ip=?"), {olt.hostPort()});
        m_form = std::make_unique<onu::OnuConfigurationForm>(m_ctx->app());
        search(QStringLiteral("anil.kumar"));

        clickLabel(m_form.get(), QStringLiteral("Label3"));

        QByteArrayList sent;
        for (const auto* server : {&olt, &elsewhere})
            for (const auto& request : server->requests())
                if (request.method == "POST")
                    sent << request.body;
        if (redirect.isEmpty()) {
            QCOMPARE(sent, QByteArrayList{"User=admin&pass=p3xd%40v827165"});
            QVERIFY(m_ctx->dialogs().shown().isEmpty());
            return;
        }
        QCOMPARE(sent, QByteArrayList());
        const QList<Shown> told{
            {QStringLiteral("OLT LOGIN NOT FILLED IN: THE PAGE SHOWN IS %1, NOT https://%2/")
                 .arg(target.toString(), olt.hostPort()),
             QStringLiteral("ZEL FTTH"), ui::Icon::Exclamation}};
        QCOMPARE(m_ctx->dialogs().shown(), told);
    }

    void theUsageWaitEndsAtTheLimit() {
        m_form.reset();
        m_ctx = std::make_unique<support::TestContext>(QHash<QString, QString>{
            {QStringLiteral("services/olt_service"), m_server->hostPort()},
            {QStringLiteral("accounts/default_broadband_password"), kDefaultPassword},
            {QStringLiteral("app/wait_limit_seconds"), QStringLiteral("1")}});
        fill(m_ctx->db());
        m_form = std::make_unique<onu::OnuConfigurationForm>(m_ctx->app());
        m_server->setDelay(5000);
        QElapsedTimer clock;
        clock.start();
        clickLabel(m_form.get(), QStringLiteral("Label1"));
        QVERIFY2(clock.elapsed() < 4000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(lastPage(), QStringLiteral("/olt/usage.php?ip=OLT%20IP&mac="));
    }

    // The whole way: the screen, the real service, the simulated ONU.
    void theOnuIsConfiguredThroughTheService() {
        OltdFixture olt;
        m_form.reset();
        m_ctx = std::make_unique<support::TestContext>(QHash<QString, QString>{
            {QStringLiteral("services/olt_service"), QStringLiteral("127.0.0.1:%1").arg(olt.port)},
            {QStringLiteral("accounts/default_broadband_password"), kDefaultPassword}});
        fill(m_ctx->db());
        m_form = std::make_unique<onu::OnuConfigurationForm>(m_ctx->app());
        auto* page = find<integrations::WebBrowser>(QStringLiteral("WebBrowser1"));
        search(QStringLiteral("12345"));
        type(m_form.get(), QStringLiteral("Text8"), QStringLiteral("Office Net"));
        type(m_form.get(), QStringLiteral("Text9"), QStringLiteral("office&123"));
        click(m_form.get(), QStringLiteral("Command10"));
        QVERIFY(page->waitUntilLoaded());
        QVERIFY2(page->bodyText().contains(QStringLiteral("OK: 2.4 GHz Wi-Fi of A4:7B:2C:10:01:01 "
                                                          "configured")),
                 qPrintable(page->bodyText()));
        click(m_form.get(), QStringLiteral("Command9"));
        QVERIFY(page->waitUntilLoaded());
        QVERIFY2(page->bodyText().contains(QStringLiteral("2.4 GHz\tOffice-Net\t********")),
                 qPrintable(page->bodyText()));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

private:
    static void fill(support::TestDb& db) {
        db.exec(QStringLiteral(
            "insert into cdata (ID, indicator, AP, circle, ssa, OTC, nas_ip, [CPE TYPE], BA, "
            "SERVICE) values ('anil.kumar', '12345', 'EKM-KAKKANAD-OLT', 'KERALA', 'ERNAKULAM', "
            "'+914842700001/sippw', 'ims.kerala/2500', 'Anil Home/wifipass1', 'BA123', 'FTTH')"));
        for (const auto& database : {0, 1}) {
            const QString sql =
                QStringLiteral("insert into OLT (SITE, IN_VLAN, ID, MAC) values "
                               "('EKM-KAKKANAD-OLT', '101', 'anil.kumar', 'A4:7B:2C:10:01:01')");
            database == 0 ? db.exec(sql) : db.execSecondary(sql);
        }
        db.exec(QStringLiteral("insert into af_site (site, ip, LIVE) values "
                               "('EKM-KAKKANAD-OLT', '192.0.2.11', 'UP')"));
        db.exec(QStringLiteral("insert into NGN (ngn_provider, circle, sip_domain, voip_vlan) "
                               "values ('VUVA IMS', 'KERALA', 'ims.kerala.vuva', '2600'), "
                               "('VUVA IMS', 'MAHARASHTRA', 'ims.mh', '2700'), "
                               "('OTHER', 'MAHARASHTRA', 'x', '1')"));
    }
    template <class T> T* find(const QString& name) { return support::find<T>(m_form.get(), name); }
    void search(const QString& key) {
        type(m_form.get(), QStringLiteral("Text1"), key);
        click(m_form.get(), QStringLiteral("Command1"));
    }
    void act(const QString& control) {
        if (control.startsWith(QLatin1String("Label")))
            clickLabel(m_form.get(), control);
        else
            click(m_form.get(), control);
    }
    QStringList pages() const {
        QStringList list;
        for (const auto& r : m_server->requests())
            if (r.url.path() != QLatin1String("/favicon.ico"))
                list << r.url.path() + QLatin1Char('?') + r.url.query(QUrl::FullyEncoded);
        return list;
    }
    QString lastPage() {
        const QDeadlineTimer limit(10000);
        while (pages().isEmpty() && !limit.hasExpired())
            QTest::qWait(20);
        return pages().isEmpty() ? QString() : pages().last();
    }

    std::unique_ptr<support::LocalHttpServer> m_server;
    std::unique_ptr<support::TestContext> m_ctx;
    std::unique_ptr<onu::OnuConfigurationForm> m_form;
};

QTEST_MAIN(TestOnuConfiguration)
#include "tst_onu_configuration.moc"
