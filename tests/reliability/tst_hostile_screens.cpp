// The browser-driven lookups of the customer record and the complaint
// register against a service at its worst: each action ends within the wait limit and a second with
// the UI turning meanwhile, and nothing the service failed to say is kept as if it had said it.
#include "complaints/complaint_register_form.h"
#include "complaints/register_fixture.h"
#include "provisioning/customer_record_form.h"
#include "support/event_loop_ticks.h"
#include "support/hostile_server.h"
#include "support/test_certificate.h"
#include "support/test_context.h"
#include "support/widgets.h"

#include <QElapsedTimer>
#include <QLabel>
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

// For the figures: the longest any action took.
qint64 longestMs = 0;
QString longestCase;

// Runs the action, then checks it ended within the limit and a second with
// the UI turning meanwhile.
void checkBounded(const std::function<void()>& action) {
    const support::EventLoopTicks ticks;
    QElapsedTimer clock;
    clock.start();
    action();
    const qint64 elapsedMs = clock.elapsed();
    if (elapsedMs > longestMs) {
        longestMs = elapsedMs;
        longestCase = QString::fromLatin1(QTest::currentDataTag());
    }
    QVERIFY2(elapsedMs <= (waitLimitSeconds + 1) * 1000,
             qPrintable(QStringLiteral("took %1 ms").arg(elapsedMs)));
    // A UI blocked for the wait would let the 50 ms heartbeat fire once at most.
    QVERIFY2(elapsedMs < 300 || ticks.count() >= 2,
             qPrintable(QStringLiteral("%1 ticks in %2 ms").arg(ticks.count()).arg(elapsedMs)));
}

} // namespace

class TstHostileScreens : public QObject {
    Q_OBJECT
private slots:
    void cleanupTestCase() {
        qInfo("longest wait %lld ms (%s)", longestMs, qPrintable(longestCase));
    }
    void policyPages_data();
    void policyPages();
    void customerRecordLookups_data();
    void customerRecordLookups();

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

QTEST_MAIN(TstHostileScreens)
#include "tst_hostile_screens.moc"
