#include "complaints/complaint_register_form.h"
#include "integrations/web_browser.h"
#include "register_fixture.h"
#include "support/http_server.h"
#include "support/strings.h"
#include "support/test_context.h"
#include "support/widgets.h"

#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

using support::click;
using support::textOf;
using support::type;
using Shown = support::ScriptedDialogs::Shown;

class TestSubscriberMaintenance : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_policy = std::make_unique<support::LocalHttpServer>();
        m_ctx = std::make_unique<support::TestContext>(QHash<QString, QString>{
            {QStringLiteral("services/policy_server"), m_policy->hostPort()},
            {QStringLiteral("tools/router_tool"), QStringLiteral("/opt/winbox/winbox")},
            {QStringLiteral("accounts/router_password"), QStringLiteral("r0uter&pw")},
        });
        m_ctx->session().setSignedInUser(QStringLiteral("NOC1"));
        fixture::network(m_ctx->db());
        fixture::subscriber(m_ctx->db());
        fixture::subscriber(m_ctx->db(),
                            {{QStringLiteral("ID"), QStringLiteral("kl0000002")},
                             {QStringLiteral("OTC"), QStringLiteral("10.1.1.6")},
                             {QStringLiteral("BA"), QStringLiteral("1000000002")},
                             {QStringLiteral("indicator"), QStringLiteral("KLM000002")},
                             {QStringLiteral("Mobile"), QStringLiteral("9447000002")}});
        m_form = std::make_unique<complaints::ComplaintRegisterForm>(m_ctx->app());
    }
    void cleanup() {
        m_form.reset();
        m_ctx.reset();
        m_policy.reset();
    }

    void updateSavesTheCorrectedRecord() {
        search(QStringLiteral("kl0000001"));
        type(form(), QStringLiteral("Text2"), QStringLiteral("Ravi 'Kutty' Kumar"));
        type(form(), QStringLiteral("Text4"), QStringLiteral(" 9447000099"));
        type(form(), QStringLiteral("Text8"), QStringLiteral("14 MG Road"));
        type(form(), QStringLiteral("Text16"), QStringLiteral("CBA-1"));
        type(form(), QStringLiteral("Text17"), QStringLiteral("ravi@example.net"));
        type(form(), QStringLiteral("Combo6"), QStringLiteral("NO"));
        type(form(), QStringLiteral("Text18"), QStringLiteral("EKM-OLT-2"));
        click(form(), QStringLiteral("Command5"));
        QCOMPARE(m_ctx->dialogs().shown(),
                 QList<Shown>({{QStringLiteral("DATA UPDATED"), QStringLiteral("VUVA"),
                                ui::Icon::Information}}));
        QCOMPARE(subscriberRow(QStringLiteral("kl0000001")),
                 QStringLiteral("EKM-OLT-2|Ravi 'Kutty' Kumar|9447000099|14 MG Road|CBA-1|"
                                "ravi@example.net|NO"));
        QCOMPARE(subscriberRow(QStringLiteral("kl0000002")),
                 QStringLiteral("EKM-OLT-1| Ravi Kumar |9447000002|12 MG Road |0|"
                                "ravi@mail.example.com|YES"));
    }

    void updateRefusesAMobileThatIsNoNumber_data() {
        QTest::addColumn<QString>("mobile");
        QTest::addRow("empty") << QString();
        QTest::addRow("letters") << QStringLiteral("94470x");
        QTest::addRow("country code") << QStringLiteral("+919447000001");
    }
    void updateRefusesAMobileThatIsNoNumber() {
        QFETCH(QString, mobile);
        search(QStringLiteral("kl0000001"));
        type(form(), QStringLiteral("Text2"), QStringLiteral("Changed"));
        type(form(), QStringLiteral("Text4"), mobile);
        click(form(), QStringLiteral("Command5"));
        QCOMPARE(m_ctx->dialogs().shown(),
                 QList<Shown>({{QStringLiteral("MOBILE NUMBER MUST BE NUMERIC"),
                                QStringLiteral("VUVA"), ui::Icon::Information}}));
        QCOMPARE(m_ctx->db().scalar(QStringLiteral("select name from cdata where id='kl0000001'")),
                 QStringLiteral(" Ravi Kumar "));
    }

    void updateOfAnUnknownSubscriberSaysSo() {
        type(form(), QStringLiteral("Text1"), QStringLiteral("kl0000001 "));
        type(form(), QStringLiteral("Text4"), QStringLiteral("9447000099"));
        click(form(), QStringLiteral("Command5"));
        QCOMPARE(m_ctx->dialogs().texts(), support::strings({"SUBSCRIBER kl0000001  NOT FOUND"}));
        QCOMPARE(m_ctx->db().scalar(QStringLiteral("select count(*) from cdata where "
                                                   "Mobile='9447000099'")),
                 QStringLiteral("0"));
    }

    void aVoiceIpGoesToOneSubscriberOnly_data() {
        QTest::addColumn<QString>("voiceIp");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("stored"); // OTC of kl0000001 afterwards
        QTest::addRow("free") << QStringLiteral("10.1.1.9") << QStringLiteral("DATA UPDATED")
                              << QStringLiteral("10.1.1.9");
        QTest::addRow("held by another")
            << QStringLiteral("10.1.1.6") << QStringLiteral("IP ALREADY IN USE FOR USER kl0000002")
            << QStringLiteral("10.1.1.5");
        QTest::addRow("already its own")
            << QStringLiteral("10.1.1.5") << QStringLiteral("IP ALREADY IN USE FOR USER kl0000001")
            << QStringLiteral("10.1.1.5");
    }
    void aVoiceIpGoesToOneSubscriberOnly() {
        QFETCH(QString, voiceIp);
        QFETCH(QString, message);
        QFETCH(QString, stored);
        search(QStringLiteral("kl0000001"));
        // The id is taken trimmed for this update alone.
        type(form(), QStringLiteral("Text1"), QStringLiteral(" kl0000001 "));
        type(form(), QStringLiteral("Text20"), voiceIp);
        click(form(), QStringLiteral("Command10"));
        QCOMPARE(m_ctx->dialogs().texts(), QStringList{message});
        QCOMPARE(m_ctx->dialogs().shown().first().title, message == QLatin1String("DATA UPDATED")
                                                             ? QStringLiteral("VUVA")
                                                             : QStringLiteral("ZEL CRM"));
        QCOMPARE(m_ctx->db().scalar(QStringLiteral("select OTC from cdata where id='kl0000001'")),
                 stored);
        QCOMPARE(m_ctx->db().scalar(QStringLiteral("select OTC from cdata where id='kl0000002'")),
                 QStringLiteral("10.1.1.6"));
    }

    void anEmptyVoiceIpIsRefusedOnceAnyoneHasNone() {
        m_ctx->db().exec(QStringLiteral("update cdata set OTC='' where id='kl0000002'"));
        search(QStringLiteral("kl0000001"));
        type(form(), QStringLiteral("Text20"), QString());
        click(form(), QStringLiteral("Command10"));
        QCOMPARE(m_ctx->dialogs().texts(),
                 support::strings({"IP ALREADY IN USE FOR USER kl0000002"}));
    }

    void thePolicyPageOpensInTheBrowser() {
        m_policy->answer(QStringLiteral("/policy.php"), "<html><body>Vuva_FTTH_100M</body></html>");
        search(QStringLiteral("kl0000001"));
        support::clickLabel(form(), QStringLiteral("Label26"));
        const auto pages = pageRequests();
        QCOMPARE(pages.size(), 1);
        QCOMPARE(pages.first().url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority),
                 QByteArray("/policy.php?bb=kl0000001&ip=ims.kl.vuva.example.net%2F201"));
        auto* browser =
            support::find<integrations::WebBrowser>(form(), QStringLiteral("WebBrowser1"));
        QCOMPARE(browser->bodyText(), QStringLiteral("Vuva_FTTH_100M"));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    void theApPageRefreshesTheAp_data() {
        QTest::addColumn<QString>("subscriber");
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("shownAp");
        QTest::addColumn<QString>("storedAp");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        QTest::addRow("online") << QStringLiteral("kl0000001") << QByteArray("EKM-AP-9")
                                << QStringLiteral("EKM-AP-9") << QStringLiteral("EKM-AP-9")
                                << QStringLiteral("AP UPDATED") << QStringLiteral("ALVEN VELMORA");
        QTest::addRow("offline") << QStringLiteral("kl0000001") << QByteArray() << QString()
                                 << QStringLiteral("EKM-OLT-1") << QStringLiteral("OFFLINE")
                                 << QString();
        const QByteArray errorPage(50, 'E');
        QTest::addRow("error page")
            << QStringLiteral("kl0000001") << errorPage << QString::fromLatin1(errorPage)
            << QStringLiteral("EKM-OLT-1") << QStringLiteral("OFFLINE") << QString();
        QTest::addRow("no such subscriber")
            << QStringLiteral("nobody") << QByteArray("EKM-AP-9") << QStringLiteral("EKM-AP-9")
            << QStringLiteral("EKM-OLT-1") << QStringLiteral("SUBSCRIBER  NOT FOUND")
            << QStringLiteral("ALVEN VELMORA");
    }
    void theApPageRefreshesTheAp() {
        QFETCH(QString, subscriber);
        QFETCH(QByteArray, page);
        QFETCH(QString, shownAp);
        QFETCH(QString, storedAp);
        QFETCH(QString, message);
        QFETCH(QString, title);
        m_policy->answer(QStringLiteral("/ap.php"), page, "text/plain");
        search(QStringLiteral("kl0000001"));
        type(form(), QStringLiteral("Text1"), subscriber);
        support::clickLabel(form(), QStringLiteral("Label29"));
        QCOMPARE(textOf(form(), QStringLiteral("Text18")), shownAp);
        QCOMPARE(m_ctx->dialogs().texts(), QStringList{message});
        QCOMPARE(m_ctx->dialogs().shown().first().title, title);
        QCOMPARE(m_ctx->db().scalar(QStringLiteral("select AP from cdata where id='kl0000001'")),
                 storedAp);
        const auto pages = pageRequests();
        QCOMPARE(pages.size(), 1);
        QCOMPARE(pages.first().url.query(QUrl::FullyEncoded),
                 subscriber == QLatin1String("nobody")
                     ? QStringLiteral("bb=&ip=")
                     : QStringLiteral("bb=kl0000001&ip=ims.kl.vuva.example.net%2F201"));
    }

    // The policy page still shown must not pass for the AP page's answer.
    void anApPageThatDoesNotComeInTimeCountsAsOffline() {
        m_form.reset();
        m_ctx = std::make_unique<support::TestContext>(QHash<QString, QString>{
            {QStringLiteral("services/policy_server"), m_policy->hostPort()},
            {QStringLiteral("app/wait_limit_seconds"), QStringLiteral("1")},
        });
        fixture::subscriber(m_ctx->db());
        m_form = std::make_unique<complaints::ComplaintRegisterForm>(m_ctx->app());
        m_policy->answer(QStringLiteral("/policy.php"), "<html><body>EKM-AP-OLD</body></html>");
        m_policy->answer(QStringLiteral("/ap.php"), "EKM-AP-9", "text/plain");
        search(QStringLiteral("kl0000001"));
        support::clickLabel(form(), QStringLiteral("Label26"));
        m_policy->setDelay(3000);
        support::clickLabel(form(), QStringLiteral("Label29"));
        QCOMPARE(textOf(form(), QStringLiteral("Text18")), QString());
        QCOMPARE(m_ctx->dialogs().texts(), support::strings({"OFFLINE"}));
        QCOMPARE(m_ctx->db().scalar(QStringLiteral("select AP from cdata")),
                 QStringLiteral("EKM-OLT-1"));
    }

    // While a page click waits, the screen's connection stays open on the
    // primary; a wire-fault update made meanwhile must still reach the
    // secondary's offline records.
    void aWireFaultUpdateDuringAPageWaitMarksTheOfflineRecords() {
        m_policy->answer(QStringLiteral("/policy.php"), "<html><body>policy</body></html>");
        m_policy->setDelay(1500);
        fixture::openComplaint(m_ctx->db());
        m_ctx->db().execSecondary(QStringLiteral(
            "insert into offline_user (id, LDR, FS) values ('kl0000001', '', 'OPEN')"));
        search(QStringLiteral("kl0000001"));
        bool updated = false;
        QTimer::singleShot(300, this, [&] {
            type(form(), QStringLiteral("Text6"), QStringLiteral("7"));
            support::leave(form(), QStringLiteral("Text6"));
            support::find<QPlainTextEdit>(form(), QStringLiteral("Text10"))
                ->setPlainText(QStringLiteral("drop wire cut"));
            type(form(), QStringLiteral("Combo2"), QStringLiteral("WIRE DOWN"));
            click(form(), QStringLiteral("Command2"));
            updated = true;
        });
        support::clickLabel(form(), QStringLiteral("Label26"));
        QVERIFY(updated);
        QCOMPARE(m_ctx->dialogs().texts(), support::strings({"COMPLAINT UPDATED"}));
        QCOMPARE(m_ctx->db().rowsSecondary(QStringLiteral("select id, LDR from offline_user")),
                 support::strings({"kl0000001|WIRE DOWN"}));
    }

    void apRefreshWithoutThePolicyServerSaysWhatIsMissing() {
        m_form.reset();
        m_ctx = std::make_unique<support::TestContext>();
        fixture::subscriber(m_ctx->db());
        m_form = std::make_unique<complaints::ComplaintRegisterForm>(m_ctx->app());
        search(QStringLiteral("kl0000001"));
        support::clickLabel(form(), QStringLiteral("Label29"));
        QCOMPARE(m_ctx->dialogs().texts().size(), 1);
        QVERIFY(m_ctx->dialogs().last().contains(QStringLiteral("policy_server")));
        QCOMPARE(textOf(form(), QStringLiteral("Text18")), QStringLiteral("EKM-OLT-1"));
    }

    void openApUsesTheRouterToolOrTheBrowser_data() {
        QTest::addColumn<QString>("service");
        QTest::addColumn<bool>("browser");
        QTest::addRow("FTTH") << QStringLiteral("FTTH") << true;
        QTest::addRow("FTTH with blanks") << QStringLiteral(" FTTH ") << true;
        QTest::addRow("AF") << QStringLiteral("AF") << false;
        QTest::addRow("ftth in small letters") << QStringLiteral("ftth") << false;
        QTest::addRow("no service") << QString() << false;
    }
    void openApUsesTheRouterToolOrTheBrowser() {
        QFETCH(QString, service);
        QFETCH(bool, browser);
        m_ctx->db().exec(QStringLiteral("update cdata set SERVICE=?"), {service});
        search(QStringLiteral("kl0000001"));
        click(form(), QStringLiteral("Command4"));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
        const auto& started = m_ctx->programs().started();
        QCOMPARE(started.size(), 1);
        if (browser) {
            QCOMPARE(started.first().url, QUrl(QStringLiteral("https://10.20.0.1")));
        } else {
            QCOMPARE(started.first().program, QStringLiteral("/opt/winbox/winbox"));
            QCOMPARE(started.first().arguments,
                     support::strings({"10.20.0.1", "admin", "r0uter&pw"}));
        }
    }

    void openApNeedsAKnownSite() {
        // Right after opening, and for an AP without a site row alike.
        click(form(), QStringLiteral("Command4"));
        m_ctx->db().exec(QStringLiteral("update cdata set AP='NOWHERE'"));
        search(QStringLiteral("kl0000001"));
        click(form(), QStringLiteral("Command4"));
        QCOMPARE(m_ctx->dialogs().shown(),
                 QList<Shown>({{QStringLiteral("AP NOT UPDATED IN CRM"), QStringLiteral("ZEL"),
                                ui::Icon::Information},
                               {QStringLiteral("AP NOT UPDATED IN CRM"), QStringLiteral("ZEL"),
                                ui::Icon::Information}}));
        QVERIFY(m_ctx->programs().started().isEmpty());
    }

    void aRouterToolThatWillNotStartIsReported() {
        m_ctx->programs().fail();
        m_ctx->db().exec(QStringLiteral("update cdata set SERVICE='AF'"));
        search(QStringLiteral("kl0000001"));
        click(form(), QStringLiteral("Command4"));
        QCOMPARE(m_ctx->dialogs().texts().size(), 1);
        QVERIFY(m_ctx->dialogs().last().contains(QStringLiteral("/opt/winbox/winbox")));
        QVERIFY(!m_ctx->dialogs().last().contains(QStringLiteral("r0uter")));
    }

private:
    QWidget* form() { return m_form.get(); }
    void search(const QString& text) {
        type(form(), QStringLiteral("Text1"), text);
        click(form(), QStringLiteral("Command8"));
    }
    QString subscriberRow(const QString& id) {
        return m_ctx->db()
            .rows(QStringLiteral("select AP, name, Mobile, Address, CBA, EMAIL, PAID from cdata "
                                 "where id=?"),
                  {id})
            .value(0);
    }
    // What the pages asked for; the browser's own favicon requests aside.
    QList<support::LocalHttpServer::Request> pageRequests() const {
        QList<support::LocalHttpServer::Request> pages;
        for (const auto& request : m_policy->requests())
            if (request.url.path() != QLatin1String("/favicon.ico"))
                pages.append(request);
        return pages;
    }

    std::unique_ptr<support::LocalHttpServer> m_policy;
    std::unique_ptr<support::TestContext> m_ctx;
    std::unique_ptr<complaints::ComplaintRegisterForm> m_form;
};

QTEST_MAIN(TestSubscriberMaintenance)
#include "tst_subscriber_maintenance.moc"
