// The browser-driven lookups of the customer record and the complaint
// register, and the OLT service pages of the ONU screen, against a service at its worst: each
// action ends within the wait limit and a second with the UI turning meanwhile, and nothing the
// service failed to say is kept as if it had said it.
#include "complaints/complaint_register_form.h"
#include "complaints/register_fixture.h"
#include "integrations/web_browser.h"
#include "onu/onu_configuration_form.h"
#include "provisioning/customer_record_form.h"
#include "support/bounded_wait.h"
#include "support/hostile_server.h"
#include "support/test_certificate.h"
#include "support/test_context.h"
#include "support/widgets.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <functional>

using Mode = support::HostileServer::Mode;
using support::textOf;

Q_DECLARE_METATYPE(Mode)

namespace {

constexpr int waitLimitSeconds = 1;

const QList<std::pair<const char*, Mode>> modes{
    {"refused", Mode::Refused},           {"hung", Mode::Hang},
    {"server error", Mode::ServerError},  {"50 MB", Mode::Huge},
    {"invalid UTF-8", Mode::InvalidUtf8}, {"redirect loop", Mode::RedirectLoop}};

void checkBounded(const std::function<void()>& action) {
    support::checkBounded(support::timedRun(action), waitLimitSeconds);
}

} // namespace

class TstHostileScreens : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { support::startWebEngine(); }
    void cleanupTestCase() { qInfo("longest wait %s", qPrintable(support::longestBoundedRun())); }
    void policyPages_data();
    void policyPages();
    void customerRecordLookups_data();
    void customerRecordLookups();
    void onuPages_data();
    void onuPages();

private:
    support::TestCertificate m_certificate;
};

// The policy page is only shown; the AP page's answer would be stored as the
// subscriber's AP, so a page that failed must leave the stored one alone.
void TstHostileScreens::policyPages_data() {
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QStringList>("messages");
    for (const auto& [name, mode] : modes) {
        QTest::addRow("policy page, %s", name)
            << mode << QStringLiteral("Label26") << QStringList{};
        QTest::addRow("AP refresh, %s", name)
            << mode << QStringLiteral("Label29") << QStringList{QStringLiteral("OFFLINE")};
    }
}

void TstHostileScreens::policyPages() {
    QFETCH(Mode, mode);
    QFETCH(QString, label);
    QFETCH(QStringList, messages);
    const support::HostileServer policy(mode);
    support::TestContext ctx(
        {{QStringLiteral("services/policy_server"), policy.hostPort()},
         {QStringLiteral("app/wait_limit_seconds"), QString::number(waitLimitSeconds)}});
    fixture::network(ctx.db());
    fixture::subscriber(ctx.db());
    const QString apBefore =
        ctx.db().scalar(QStringLiteral("select AP from cdata where id='kl0000001'"));
    complaints::ComplaintRegisterForm form(ctx.app());
    form.show();
    support::type(&form, QStringLiteral("Text1"), QStringLiteral("kl0000001"));
    support::click(&form, QStringLiteral("Command8"));
    ctx.dialogs().clear();

    checkBounded([&] { support::clickLabel(&form, label); });
    QCOMPARE(ctx.dialogs().texts(), messages);
    QCOMPARE(ctx.db().scalar(QStringLiteral("select AP from cdata where id='kl0000001'")),
             apBefore);
}

void TstHostileScreens::customerRecordLookups_data() {
    QTest::addColumn<Mode>("mode");
    // The control that starts the action: a button, or the MAC box left.
    QTest::addColumn<QString>("control");
    QTest::addColumn<QStringList>("messages");
    const QStringList none;
    const QStringList importMac{QStringLiteral("PRESS OK TO IMPORT MAC")};
    for (const auto& [name, mode] : modes) {
        QTest::addRow("directory lookup, %s", name) << mode << QStringLiteral("Command5") << none;
        QTest::addRow("MTNL lookup, %s", name) << mode << QStringLiteral("Command7") << none;
        QTest::addRow("OLT login, %s", name) << mode << QStringLiteral("Command6") << none;
        QTest::addRow("MAC import, %s", name) << mode << QStringLiteral("Text5") << importMac;
    }
}

void TstHostileScreens::customerRecordLookups() {
    QFETCH(Mode, mode);
    QFETCH(QString, control);
    QFETCH(QStringList, messages);
    const support::HostileServer service(mode);
    const support::HostileServer olt(mode, m_certificate.serverConfiguration());
    support::TestContext ctx(
        {{QStringLiteral("services/ldap_lookup"), service.hostPort()},
         {QStringLiteral("services/mtnl_lookup"), service.hostPort()},
         {QStringLiteral("services/olt_service"), service.hostPort()},
         {QStringLiteral("services/olt_trust_self_signed"), QStringLiteral("true")},
         {QStringLiteral("accounts/olt_web_user"), QStringLiteral("admin")},
         {QStringLiteral("accounts/olt_web_password"), QStringLiteral("pw")},
         {QStringLiteral("app/wait_limit_seconds"), QString::number(waitLimitSeconds)}});
    provisioning::CustomerRecordForm form(ctx.app());
    form.show();
    QWidget* f = &form;
    support::find<QLabel>(f, QStringLiteral("Label17"))->setText(olt.hostPort());
    support::type(f, QStringLiteral("Text1"), QStringLiteral("ravi.k"));
    support::type(f, QStringLiteral("Text5"), QStringLiteral("7C2D"));

    checkBounded([&] {
        if (control.startsWith(QStringLiteral("Text")))
            support::leave(f, control);
        else
            support::click(f, control);
    });
    QCOMPARE(ctx.dialogs().texts(), messages);
    const provisioning::LookupValues& found = form.lookups();
    QCOMPARE((QStringList{found.customerPhone, found.lookupNumber, found.lookupStatus}),
             (QStringList{QString(), QString(), QString()}));
    QCOMPARE(textOf(f, QStringLiteral("Text1")), QStringLiteral("ravi.k"));
    // The MAC box keeps what was typed, completed only to the form sent.
    QVERIFY(textOf(f, QStringLiteral("Text5")).remove(QLatin1Char(':')) == QStringLiteral("7C2D"));
}

// The ONU screen's pages only show what the OLT service answers: a page that
// fails leaves no message, no record changed and the screen ready for the
// next action. The usage page and the OLT login wait for their page; the
// others return at once and the page loads (or fails) meanwhile.
void TstHostileScreens::onuPages_data() {
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<QString>("control");
    const std::pair<const char*, const char*> actions[] = {{"status page", "Command2"},
                                                           {"WAN configuration", "Command4"},
                                                           {"offline clear", "Command11"},
                                                           {"VLAN check", "Label7"},
                                                           {"usage", "Label1"},
                                                           {"OLT login", "Label3"}};
    for (const auto& [name, mode] : modes)
        for (const auto& [action, control] : actions)
            QTest::addRow("%s, %s", action, name) << mode << QString::fromLatin1(control);
}

void TstHostileScreens::onuPages() {
    QFETCH(Mode, mode);
    QFETCH(QString, control);
    const support::HostileServer service(mode);
    const support::HostileServer olt(mode, m_certificate.serverConfiguration());
    support::TestContext ctx(
        {{QStringLiteral("services/olt_service"), service.hostPort()},
         {QStringLiteral("services/olt_trust_self_signed"), QStringLiteral("true")},
         {QStringLiteral("accounts/olt_web_user"), QStringLiteral("admin")},
         {QStringLiteral("accounts/olt_web_password"), QStringLiteral("pw")},
         {QStringLiteral("accounts/default_broadband_password"), QStringLiteral("zelhomes")},
         {QStringLiteral("app/wait_limit_seconds"), QString::number(waitLimitSeconds)}});
    ctx.db().exec(QStringLiteral(
        "insert into cdata (ID, AP, circle, OTC, nas_ip, [CPE TYPE], SERVICE) values "
        "('anil.kumar', 'KKD-OLT', 'KERALA', '+914842700001/sippw', 'ims.kerala/2500', "
        "'Anil Home/wifipass1', 'FTTH')"));
    ctx.db().exec(QStringLiteral("insert into OLT (SITE, IN_VLAN, ID, MAC) values "
                                 "('KKD-OLT', '101', 'anil.kumar', 'A4:7B:2C:10:01:01')"));
    const auto records = [&] {
        return ctx.db().rows(QStringLiteral("select * from cdata")) +
               ctx.db().rows(QStringLiteral("select * from OLT"));
    };
    const QStringList before = records();
    onu::OnuConfigurationForm form(ctx.app());
    form.show();
    QWidget* f = &form;
    support::type(f, QStringLiteral("Text1"), QStringLiteral("anil.kumar"));
    support::click(f, QStringLiteral("Command1"));
    // The OLT's own address is where the login goes.
    support::find<QLabel>(f, QStringLiteral("Label3"))->setText(olt.hostPort());
    auto* browser = support::find<integrations::WebBrowser>(f, QStringLiteral("WebBrowser1"));

    checkBounded([&] {
        if (control.startsWith(QStringLiteral("Label")))
            support::clickLabel(f, control);
        else
            support::click(f, control);
    });
    // A page the action did not wait for fails (or still hangs) meanwhile.
    if (browser->isBusy())
        QSignalSpy(browser, &integrations::WebBrowser::loadFinished).wait(waitLimitSeconds * 1000);
    QCOMPARE(ctx.dialogs().texts(), QStringList());
    QCOMPARE(records(), before);
    for (const char* button : {"Command2", "Command4", "Command7", "Command10", "Command11"})
        QVERIFY(support::find<QPushButton>(f, QString::fromLatin1(button))->isEnabled());
}

QTEST_MAIN(TstHostileScreens)
#include "tst_hostile_screens.moc"
