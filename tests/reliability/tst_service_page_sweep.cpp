// Hostile texts typed into the boxes of the ONU screen and the customer
// record reach the OLT service's pages each in its own query item, exactly as
// typed (or as the screen's own rule for the wifi name, the phone and a short
// MAC leaves them).

#include "onu/onu_configuration_form.h"
#include "onu/onu_rules.h"
#include "provisioning/customer_record_form.h"
#include "provisioning/customer_rules.h"
#include "support/http_server.h"
#include "support/injection_sweep.h"
#include "support/test_context.h"
#include "support/widgets.h"

#include <QLabel>
#include <QTest>
#include <QUrlQuery>

namespace {

using Items = QList<QPair<QString, QString>>;

// The query items of each page asked for, in order; the browser's own
// requests (the site's icon) left out.
QList<Items> pagesAsked(const support::LocalHttpServer& olt) {
    QList<Items> pages;
    for (const auto& r : olt.requests())
        if (r.url.path().endsWith(QLatin1String(".php")))
            pages << QUrlQuery(r.url).queryItems(QUrl::FullyDecoded);
    return pages;
}

} // namespace

class TestServicePageSweep : public QObject {
    Q_OBJECT

private slots:
    void hostileTextsReachTheConfigurationPagesAsTyped_data() {
        QTest::addColumn<QString>("text");
        for (const auto& v : support::hostileValues())
            QTest::addRow("%s", v.name) << v.text;
    }
    void hostileTextsReachTheConfigurationPagesAsTyped() {
        QFETCH(QString, text);
        support::LocalHttpServer olt;
        support::TestContext ctx(
            {{QStringLiteral("services/olt_service"), olt.hostPort()},
             {QStringLiteral("accounts/default_broadband_password"), QStringLiteral("x")}});
        onu::OnuConfigurationForm form(ctx.app());
        form.show();
        QHash<QString, QString> held;
        for (int i = 1; i <= 10; ++i) {
            const QString box = QStringLiteral("Text%1").arg(i);
            // The wifi password must be long enough to be sent at all.
            held[box] =
                support::enterText(&form, box, i == 9 ? text + QStringLiteral("12345678") : text);
        }
        const QString mac = held.value(QStringLiteral("Text10"));
        // What the last lookup left in the OLT address and inner VLAN labels.
        const QString ip = support::find<QLabel>(&form, QStringLiteral("Label3"))->text();
        const QString innerVlan = support::find<QLabel>(&form, QStringLiteral("Label7"))->text();

        support::click(&form, QStringLiteral("Command4"));
        QTRY_VERIFY_WITH_TIMEOUT(pagesAsked(olt).size() == 1, 15000);
        QCOMPARE(pagesAsked(olt).at(0),
                 (Items{{QStringLiteral("ip"), ip},
                        {QStringLiteral("mac"), mac},
                        {QStringLiteral("bb_id"), held.value(QStringLiteral("Text1"))},
                        {QStringLiteral("bb_inner_vlan"), innerVlan},
                        {QStringLiteral("bb_pas"), held.value(QStringLiteral("Text2"))},
                        {QStringLiteral("bb_mtu"), held.value(QStringLiteral("Text3"))}}));

        support::click(&form, QStringLiteral("Command7"));
        QTRY_VERIFY_WITH_TIMEOUT(pagesAsked(olt).size() == 2, 15000);
        QCOMPARE(pagesAsked(olt).at(1),
                 (Items{{QStringLiteral("ip"), ip},
                        {QStringLiteral("mac"), mac},
                        {QStringLiteral("voip_vlan"), held.value(QStringLiteral("Text4"))},
                        {QStringLiteral("pas"), held.value(QStringLiteral("Text7"))},
                        {QStringLiteral("sip"), held.value(QStringLiteral("Text5"))},
                        {QStringLiteral("phone"),
                         onu::phoneForPage(held.value(QStringLiteral("Text6")))}}));

        support::click(&form, QStringLiteral("Command10"));
        QTRY_VERIFY_WITH_TIMEOUT(pagesAsked(olt).size() == 3, 15000);
        QCOMPARE(pagesAsked(olt).at(2),
                 (Items{{QStringLiteral("ip"), ip},
                        {QStringLiteral("mac"), mac},
                        {QStringLiteral("name"),
                         onu::wifiNameForOnu(held.value(QStringLiteral("Text8")))},
                        {QStringLiteral("pas"), held.value(QStringLiteral("Text9"))}}));
        QCOMPARE(ctx.dialogs().texts(), QStringList());
    }

    // The directory lookup fills the user name into the directory's own search
    // form: a text input there drops line breaks, and the rest arrives as typed.
    void aHostileUserNameReachesTheDirectoryAsTyped_data() {
        hostileTextsReachTheConfigurationPagesAsTyped_data();
    }
    void aHostileUserNameReachesTheDirectoryAsTyped() {
        QFETCH(QString, text);
        support::LocalHttpServer ldap;
        ldap.answer(QStringLiteral("/easyldapbeta"),
                    QByteArrayLiteral("<html><body><form action=\"/easyldapbeta/search\" "
                                      "method=\"get\"><input name=\"UserName\"></form>"
                                      "</body></html>"));
        ldap.answer(QStringLiteral("/easyldapbeta/search"),
                    QByteArrayLiteral("<html><body>No record</body></html>"));
        support::TestContext ctx({{QStringLiteral("services/ldap_lookup"), ldap.hostPort()},
                                  {QStringLiteral("app/wait_limit_seconds"), QStringLiteral("3")}});
        provisioning::CustomerRecordForm form(ctx.app());
        form.show();
        const QString held = support::enterText(&form, QStringLiteral("Text1"), text);
        support::click(&form, QStringLiteral("Command5"));
        QString sent;
        bool searched = false;
        for (const auto& r : ldap.requests())
            if (r.url.path() == QLatin1String("/easyldapbeta/search")) {
                // A form is sent with "+" for a blank.
                QByteArray value = r.url.query(QUrl::FullyEncoded).toUtf8();
                QCOMPARE(value.left(9), QByteArray("UserName="));
                value = value.mid(9).replace('+', ' ');
                sent = QUrl::fromPercentEncoding(value);
                searched = true;
            }
        QVERIFY(searched);
        QCOMPARE(sent, QString(held).remove(QLatin1Char('\r')).remove(QLatin1Char('\n')));
    }

    // Leaving the MAC box asks the OLT service for the whole MAC.
    void aHostileMacReachesTheMacPageAsTyped_data() {
        hostileTextsReachTheConfigurationPagesAsTyped_data();
    }
    void aHostileMacReachesTheMacPageAsTyped() {
        QFETCH(QString, text);
        support::LocalHttpServer olt;
        support::TestContext ctx({{QStringLiteral("services/olt_service"), olt.hostPort()}});
        provisioning::CustomerRecordForm form(ctx.app());
        form.show();
        const QString held = support::enterText(&form, QStringLiteral("Text5"), text);
        const QString ip = support::find<QLabel>(&form, QStringLiteral("Label17"))->text();
        support::focusIn(&form, QStringLiteral("Text5"));
        support::leave(&form, QStringLiteral("Text5"));
        QTRY_VERIFY_WITH_TIMEOUT(pagesAsked(olt).size() == 1, 15000);
        QCOMPARE(pagesAsked(olt).first(),
                 (Items{{QStringLiteral("ip"), ip},
                        {QStringLiteral("mac"), provisioning::macToSend(held)}}));
    }
};

QTEST_MAIN(TestServicePageSweep)
#include "tst_service_page_sweep.moc"
