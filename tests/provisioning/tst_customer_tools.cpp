#include "integrations/web_browser.h"
#include "provisioning/customer_record_form.h"
#include "support/http_server.h"
#include "support/strings.h"
#include "support/test_context.h"
#include "support/widgets.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>

using support::ScriptedDialogs;
using support::strings;
using support::textOf;

namespace {

void writeFixture(const support::TestDb& db) {
    db.exec(QStringLiteral("insert into ssa (circle, SSA) values ('KERALA', 'ERNAKULAM'), "
                           "('DELHI', ' DELHI-EAST '), ('DELHI', 'DELHI-WEST')"));
    db.exec(QStringLiteral("insert into fe (circle, ssa, CLUSTER, name, mobile) values "
                           "('KERALA', 'ERNAKULAM', 'EKM-NORTH', 'Anil Kumar', '9847000001')"));
    db.exec(QStringLiteral(
        "insert into OLT (circle, SSA, SITE, SERVICE, OUT_VLAN, IN_VLAN, ID, MAC, SN) values "
        "('KERALA', 'ERNAKULAM', 'EKM-KAKKANAD-OLT', 'FTTH', '1001', '102', 'NA', 'NA', 'S1'), "
        "('KERALA', 'ERNAKULAM', 'EKM-AP-7', 'AF', '1200', '301', 'NA', 'NA', 'S2')"));
    db.exec(QStringLiteral("insert into af_site (circle, ssa, site, ip) values "
                           "('KERALA', 'ERNAKULAM', 'EKM-KAKKANAD-OLT', '10.20.1.1')"));
    db.exec(QStringLiteral("insert into NGN (ngn_provider, circle, sip_domain, voip_vlan) values "
                           "('ZTE', 'KERALA', 'ims.kl.example', '950')"));
}

QByteArray page(const QString& body) {
    return (QStringLiteral("<html><body>") + body + QStringLiteral("</body></html>")).toUtf8();
}

QByteArray formPage(const QString& action, const QString& field) {
    return page(QStringLiteral("<form action=\"%1\" method=\"get\"><input name=\"%2\"></form>")
                    .arg(action, field));
}

// The directory's answer as the page shows it: a heading line of 61
// characters with its line break, then the record's lines.
QByteArray directoryAnswer(const QString& record) {
    return page(QStringLiteral("<pre>") + QString(59, QLatin1Char('=')) + QLatin1Char('\n') +
                record + QStringLiteral("</pre>"));
}

const QString ravi = QStringLiteral("User Id: ravi.k@ftth.kerala \n"
                                    "Telephone Number:-0484-2345678\n"
                                    "Number:  4400123456\n"
                                    "State:ACTIVE\n"
                                    "Address: 12 MG Road,ERNAKULAM,KERALA\n");

QString query(const support::LocalHttpServer::Request& request) {
    return request.url.query(QUrl::FullyEncoded);
}

// What the pages asked for, without the browser's own icon requests.
QList<support::LocalHttpServer::Request> pageRequests(const support::LocalHttpServer& server) {
    QList<support::LocalHttpServer::Request> pages;
    for (const auto& request : server.requests())
        if (request.url.path() != QLatin1String("/favicon.ico"))
            pages << request;
    return pages;
}

} // namespace

class TestCustomerTools : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_server = std::make_unique<support::LocalHttpServer>();
        const QString server = m_server->hostPort();
        m_ctx = std::make_unique<support::TestContext>(QHash<QString, QString>{
            {QStringLiteral("services/ldap_lookup"), server},
            {QStringLiteral("services/mtnl_lookup"), server},
            {QStringLiteral("services/olt_service"), server},
            {QStringLiteral("services/sip_server"), QStringLiteral("10.9.9.9")},
            {QStringLiteral("accounts/click_to_call_user"), QStringLiteral("301")},
            {QStringLiteral("accounts/click_to_call_password"), QStringLiteral("301")},
            {QStringLiteral("app/wait_limit_seconds"), QStringLiteral("3")}});
        writeFixture(m_ctx->db());
        m_form = std::make_unique<provisioning::CustomerRecordForm>(m_ctx->app());
        m_form->show();
        m_server->answer(
            QStringLiteral("/easyldapbeta"),
            formPage(QStringLiteral("/easyldapbeta/search"), QStringLiteral("UserName")));
    }

    void checkLdapFillsTheRecordForRegistration() {
        QWidget* f = m_form.get();
        m_server->answer(QStringLiteral("/easyldapbeta/search"), directoryAnswer(ravi));
        support::type(f, QStringLiteral("Text1"), QStringLiteral("ravi k"));
        support::click(f, QStringLiteral("Command5"));

        const auto requests = pageRequests(*m_server);
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests.at(1).url.path(), QStringLiteral("/easyldapbeta/search"));
        QCOMPARE(query(requests.at(1)), QStringLiteral("UserName=ravi+k"));
        QCOMPARE(textOf(f, QStringLiteral("Text1")), QStringLiteral("ravi.k@ftth.kerala"));
        QCOMPARE(textOf(f, QStringLiteral("Combo1")), QStringLiteral("ERNAKULAM"));
        QCOMPARE(textOf(f, QStringLiteral("Combo2")), QStringLiteral("KERALA"));
        QCOMPARE(textOf(f, QStringLiteral("Combo3")), QStringLiteral("FTTH"));
        QCOMPARE(support::entries(f, QStringLiteral("Combo4")), strings({"EKM-KAKKANAD-OLT"}));
        QCOMPARE(support::entries(f, QStringLiteral("Combo5")), strings({"Anil Kumar 9847000001"}));
        const provisioning::LookupValues& found = m_form->lookups();
        QCOMPARE((QStringList{found.customerPhone, found.lookupNumber, found.lookupStatus,
                              found.lookupMarker}),
                 strings({"04842345678", "4400123456", "ACTIVE", "0"}));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());

        support::choose(f, QStringLiteral("Combo7"), QStringLiteral("ZTE"));
        QCOMPARE(textOf(f, QStringLiteral("Text9")), QStringLiteral("+9104842345678/123"));
        support::clickLabel(f, QStringLiteral("Label16"));
        QCOMPARE(QUrlQuery(m_ctx->programs().started().value(0).url)
                     .queryItemValue(QStringLiteral("wp_callto")),
                 QStringLiteral("004842345678"));

        support::choose(f, QStringLiteral("Combo4"), QStringLiteral("EKM-KAKKANAD-OLT"));
        support::choose(f, QStringLiteral("Combo6"), QStringLiteral("102"));
        support::choose(f, QStringLiteral("Combo5"), QStringLiteral("Anil Kumar 9847000001"));
        support::click(f, QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().last(), QStringLiteral("DATA SUBMITTED SUCCESSFULY"));
        const QStringList row = m_ctx->db()
                                    .rows(QStringLiteral("select * from cdata"))
                                    .value(0)
                                    .split(QLatin1Char('|'));
        QCOMPARE((QStringList{row.value(12), row.value(14), row.value(16), row.value(17),
                              row.value(27)}),
                 strings({"4400123456", "ACTIVE", "04842345678", "0", "04842345678"}));
    }

    void anUnknownUserChangesOnlyTheSiteListAndMarker() {
        QWidget* f = m_form.get();
        support::type(f, QStringLiteral("Combo2"), QStringLiteral("KERALA"));
        support::type(f, QStringLiteral("Combo1"), QStringLiteral("ERNAKULAM"));
        support::choose(f, QStringLiteral("Combo3"), QStringLiteral("FTTH"));
        QCOMPARE(support::entries(f, QStringLiteral("Combo4")).size(), 1);
        m_server->answer(QStringLiteral("/easyldapbeta/search"),
                         directoryAnswer(QStringLiteral("\nNo such user\n")));
        support::type(f, QStringLiteral("Text1"), QStringLiteral("nobody"));
        support::click(f, QStringLiteral("Command5"));
        QCOMPARE(m_ctx->dialogs().shown(),
                 (QList<ScriptedDialogs::Shown>{{QStringLiteral("USER NOT FOUND"),
                                                 QStringLiteral("ZEL CRM"), ui::Icon::Information,
                                                 false}}));
        QCOMPARE(textOf(f, QStringLiteral("Text1")), QStringLiteral("nobody"));
        QCOMPARE(support::entries(f, QStringLiteral("Combo4")), QStringList());
        QCOMPARE(m_form->lookups().lookupMarker, QStringLiteral("0"));
        QCOMPARE(m_form->lookups().customerPhone, QString());
    }

    void mtnlTurnsToDelhi() {
        QWidget* f = m_form.get();
        m_server->answer(QStringLiteral("/elite/"),
                         formPage(QStringLiteral("/elite/find"), QStringLiteral("telno")));
        m_server->answer(QStringLiteral("/elite/find"), page(QStringLiteral("No record")));
        support::type(f, QStringLiteral("Text1"), QStringLiteral("23456789"));
        support::click(f, QStringLiteral("Command7"));
        QCOMPARE(query(pageRequests(*m_server).value(1)), QStringLiteral("telno=23456789"));
        QCOMPARE(textOf(f, QStringLiteral("Combo2")), QStringLiteral("DELHI"));
        QCOMPARE(support::entries(f, QStringLiteral("Combo1")),
                 strings({"DELHI-EAST", "DELHI-WEST"}));
        QCOMPARE(m_form->lookups().lookupStatus, QStringLiteral("ACTIVE"));
        QCOMPARE(m_form->lookups().customerPhone, QStringLiteral("1123456789"));
    }

    void macImportTakesOnlyAMatch_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("mac");
        QTest::addRow("83") << 83 << "7C:2D";
        QTest::addRow("84") << 84 << "00:1E:A6:4B:7C:2D";
        QTest::addRow("85") << 85 << "7C:2D";
    }
    void macImportTakesOnlyAMatch() {
        QFETCH(int, length);
        QWidget* f = m_form.get();
        chooseSite();
        const QString answer = QStringLiteral("ONU FOUND 00:1E:A6:4B:7C:2D");
        m_server->answer(QStringLiteral("/olt/onu_mac.php"),
                         page(answer.leftJustified(length, QLatin1Char('.'))));
        support::type(f, QStringLiteral("Text5"), QStringLiteral("7C2D"));
        support::leave(f, QStringLiteral("Text5"));
        QCOMPARE(query(pageRequests(*m_server).value(0)),
                 QStringLiteral("ip=10.20.1.1&mac=7C%3A2D"));
        QCOMPARE(m_ctx->dialogs().shown(),
                 (QList<ScriptedDialogs::Shown>{{QStringLiteral("PRESS OK TO IMPORT MAC"),
                                                 QString(), ui::Icon::Information, false}}));
        QTEST(textOf(f, QStringLiteral("Text5")), "mac");
    }

    void aSlowOltServiceEndsAtTheWaitLimit() {
        QWidget* f = m_form.get();
        m_server->setDelay(5000);
        m_server->answer(QStringLiteral("/olt/onu_mac.php"),
                         page(QStringLiteral("ONU FOUND 00:1E:A6:4B:7C:2D").leftJustified(84)));
        support::type(f, QStringLiteral("Text5"), QStringLiteral("7C2D"));
        QElapsedTimer waited;
        waited.start();
        support::leave(f, QStringLiteral("Text5"));
        QVERIFY(waited.elapsed() < 4500);
        QCOMPARE(m_ctx->dialogs().texts(), strings({"PRESS OK TO IMPORT MAC"}));
        QCOMPARE(textOf(f, QStringLiteral("Text5")), QStringLiteral("7C:2D"));
    }

    void closingDuringAWaitWaitsForTheAction() {
        m_server->setDelay(800);
        QPointer<QWidget> form(m_form.release());
        form->setAttribute(Qt::WA_DeleteOnClose);
        QTimer::singleShot(200, form, [form] { form->close(); });
        support::type(form, QStringLiteral("Text5"), QStringLiteral("7C2D"));
        support::leave(form, QStringLiteral("Text5"));
        QCOMPARE(m_ctx->dialogs().texts(), strings({"PRESS OK TO IMPORT MAC"}));
        QTRY_VERIFY(form.isNull());
    }

    // The OLT's login page is reached by HTTPS only; a self-signed certificate
    // is taken only where the configuration says so.
    void openOltTrustsSelfSignedOnlyWhenConfigured_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("trusted");
        QTest::addRow("trusted") << "true"
                                 << "127.0.0.1";
        QTest::addRow("not trusted") << "false"
                                     << "";
        QTest::addRow("not configured") << ""
                                        << "";
    }
    void openOltTrustsSelfSignedOnlyWhenConfigured() {
        QFETCH(QString, setting);
        support::TestContext ctx(
            {{QStringLiteral("accounts/olt_web_user"), QStringLiteral("admin")},
             {QStringLiteral("accounts/olt_web_password"), QStringLiteral("pw")},
             {QStringLiteral("services/olt_trust_self_signed"), setting},
             {QStringLiteral("app/wait_limit_seconds"), QStringLiteral("3")}});
        ctx.db().exec(QStringLiteral("insert into af_site (site, ip) values ('OLT-1', ?)"),
                      {m_server->hostPort()});
        ctx.db().exec(QStringLiteral("insert into OLT (circle, SSA, SITE, SERVICE, ID) values "
                                     "('KERALA', 'ERNAKULAM', 'OLT-1', 'FTTH', 'NA')"));
        provisioning::CustomerRecordForm form(ctx.app());
        form.show();
        chooseSite(&form, QStringLiteral("OLT-1"));
        support::click(&form, QStringLiteral("Command6"));
        auto* browser =
            support::find<integrations::WebBrowser>(&form, QStringLiteral("WebBrowser1"));
        QCOMPARE(browser->url().scheme(), QStringLiteral("https"));
        QTEST(browser->trustedSelfSignedHost(), "trusted");
        QVERIFY(ctx.dialogs().shown().isEmpty());
    }

    void checkVlanAsksTheOltService() {
        QWidget* f = m_form.get();
        chooseSite();
        support::type(f, QStringLiteral("Combo6"), QStringLiteral("102 &x"));
        support::click(f, QStringLiteral("Command2"));
        QVERIFY(m_server->waitForRequests(1));
        QCOMPARE(m_server->requests().at(0).url.path(), QStringLiteral("/olt/vlan_check.php"));
        QCOMPARE(query(m_server->requests().at(0)), QStringLiteral("ip=10.20.1.1&vlan=102%20%26x"));
    }

    void labelsOpenPagesInTheDesktopBrowser() {
        QWidget* f = m_form.get();
        chooseSite();
        support::clickLabel(f, QStringLiteral("Label17"));
        support::clickLabel(f, QStringLiteral("Label16"));
        const auto& started = m_ctx->programs().started();
        QCOMPARE(started.size(), 2);
        QCOMPARE(started.at(0).url, QUrl(QStringLiteral("https://10.20.1.1")));
        QCOMPARE(
            started.at(1).url.toEncoded(),
            (QStringLiteral("http://%1/webphone/click2call.html?wp_serveraddress=10.9.9.9%3A5060&"
                            "wp_username=301&wp_password=301&wp_callto=0&wp_autoaction=1")
                 .arg(m_server->hostPort())
                 .toUtf8()));
    }

    void openApHasNoAddressToOpen() {
        support::click(m_form.get(), QStringLiteral("Command3"));
        QCOMPARE(
            m_ctx->dialogs().shown(),
            (QList<ScriptedDialogs::Shown>{{QStringLiteral("AP NOT UPDATED IN CRM"),
                                            QStringLiteral("ZEL"), ui::Icon::Information, false}}));
        QVERIFY(m_ctx->programs().started().isEmpty());
    }

    void aMissingSettingIsNamed() {
        support::TestContext bare;
        provisioning::CustomerRecordForm form(bare.app());
        support::click(&form, QStringLiteral("Command6"));
        QCOMPARE(bare.dialogs().texts(),
                 strings({"Missing setting [accounts] olt_web_user in test.ini"}));
    }

private:
    void chooseSite(QWidget* f = nullptr,
                    const QString& site = QStringLiteral("EKM-KAKKANAD-OLT")) {
        if (!f)
            f = m_form.get();
        support::type(f, QStringLiteral("Combo2"), QStringLiteral("KERALA"));
        support::type(f, QStringLiteral("Combo1"), QStringLiteral("ERNAKULAM"));
        support::choose(f, QStringLiteral("Combo3"), QStringLiteral("FTTH"));
        support::choose(f, QStringLiteral("Combo4"), site);
    }

    std::unique_ptr<support::LocalHttpServer> m_server;
    std::unique_ptr<support::TestContext> m_ctx;
    std::unique_ptr<provisioning::CustomerRecordForm> m_form;
};

QTEST_MAIN(TestCustomerTools)
#include "tst_customer_tools.moc"
