#include "provisioning/customer_record_form.h"
#include "support/strings.h"
#include "support/test_context.h"
#include "support/widgets.h"

#include <QComboBox>
#include <QTest>

using support::entries;
using support::strings;
using support::textOf;

namespace {

void writeFixture(const support::TestDb& db) {
    db.exec(QStringLiteral("insert into circle (circle) values ('KERALA'), ('MAHARASHTRA')"));
    db.exec(QStringLiteral("insert into ssa (circle, SSA) values ('KERALA', 'ERNAKULAM'), "
                           "('KERALA', ' TRIVANDRUM '), ('MAHARASHTRA', 'PUNE')"));
    db.exec(QStringLiteral("insert into fe (circle, ssa, CLUSTER, name, mobile) values "
                           "('KERALA', 'ERNAKULAM', 'EKM-NORTH', 'Anil Kumar', '9847000001'), "
                           "('KERALA', 'ERNAKULAM', 'EKM-SOUTH', 'Chandra', '98470'), "
                           "('MAHARASHTRA', 'PUNE', 'PUNE-WEST', 'Vijay Patil', '9890000001')"));
    db.exec(QStringLiteral(
        "insert into OLT (circle, SSA, SITE, SERVICE, OUT_VLAN, IN_VLAN, ID, MAC, SN) values "
        "('KERALA', 'ERNAKULAM', 'EKM-KAKKANAD-OLT', 'FTTH', '1001', '101', 'NA', 'NA', 'S1'), "
        "('KERALA', 'ERNAKULAM', 'EKM-KAKKANAD-OLT', 'FTTH', '1001', '102', 'NA', 'NA', 'S2'), "
        "('KERALA', 'ERNAKULAM', 'EKM-KAKKANAD-OLT', 'FTTH', '1001', '103', 'old', 'M', 'S3'), "
        "('KERALA', 'ERNAKULAM', 'EKM-KAKKANAD-OLT', 'FTTH', '1002', '104', 'NA', 'NA', 'S4'), "
        "('KERALA', 'ERNAKULAM', 'EKM-KAKKANAD-OLT', 'FTTH', '1002', '105', 'NA', 'NA', 'S5'), "
        "('KERALA', 'ERNAKULAM', 'EKM-EDAPPALLY-OLT', 'FTTH', '1100', '201', 'NA', 'NA', 'S6'), "
        "('KERALA', 'ERNAKULAM', 'EKM-AP-7', 'AF', '1200', '301', 'NA', 'NA', 'S7')"));
    db.exec(QStringLiteral("insert into af_site (circle, ssa, site, ip) values "
                           "('KERALA', 'ERNAKULAM', 'EKM-KAKKANAD-OLT', '10.20.1.1')"));
    db.exec(QStringLiteral("insert into NGN (ngn_provider, circle, sip_domain, voip_vlan) values "
                           "('ZTE', 'KERALA', 'ims.kl.example', '950'), "
                           "('ZTE', 'MAHARASHTRA', 'ims.mh.example', '960'), "
                           "('NEW', 'KERALA', 'new.kl.example', '951')"));
}

QStringList sorted(QStringList list) {
    list.sort();
    return list;
}

} // namespace

class TestCustomerRecord : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_ctx = std::make_unique<support::TestContext>(QHash<QString, QString>{
            {QStringLiteral("services/mtnl_sip_domain"), QStringLiteral("ims.mtnl.example")}});
        writeFixture(m_ctx->db());
        m_ctx->session().setSignedInUser(QStringLiteral("Asha Verma"));
        m_form = std::make_unique<provisioning::CustomerRecordForm>(m_ctx->app());
        m_form->show();
    }

    void loadShowsTheOperatorAndFillsTheLists() {
        QCOMPARE(m_form->objectName(), QStringLiteral("Form1"));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("CUSTOMER RECORD"));
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Label11")),
                 QStringLiteral("YOU ARE LOGIN AS Asha Verma"));
        QVERIFY(!support::findWidget(m_form.get(), QStringLiteral("Command1"))->isEnabled());
        QCOMPARE(entries(m_form.get(), QStringLiteral("Combo3")), strings({"FTTH", "AF", "MTNL"}));
        QCOMPARE(entries(m_form.get(), QStringLiteral("Combo2")),
                 strings({"KERALA", "MAHARASHTRA"}));
        QCOMPARE(sorted(entries(m_form.get(), QStringLiteral("Combo7"))), strings({"NEW", "ZTE"}));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    // Filling a list does not choose from it: the texts stay as loaded.
    void initialTexts_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        const char* texts[][2] = {{"Combo2", "SELECT CIRCLE"},
                                  {"Combo1", "SELECT SSA"},
                                  {"Text1", ""},
                                  {"Text2", "NA"},
                                  {"Text4", "NA"},
                                  {"Text3", "99"},
                                  {"Combo3", "SERVICE"},
                                  {"Combo4", "NA"},
                                  {"Combo6", "Combo6"},
                                  {"Label14", "Label14"},
                                  {"Combo5", ""},
                                  {"Text6", ""},
                                  {"Text7", ""},
                                  {"Combo7", "Combo7"},
                                  {"Text8", "Text8"},
                                  {"Label17", "OLT IP"},
                                  {"Text9", "Text9"},
                                  {"Text10", "Text10"},
                                  {"Label9", ""},
                                  {"Label6", "CIRCLE"},
                                  {"Label5", "SSA"},
                                  {"Label2", "USER NAME"},
                                  {"Label1", "NAME"},
                                  {"Label4", "ADDRESS"},
                                  {"Label3", "MOBILE"},
                                  {"Label7", "SERVICE"},
                                  {"Label8", "SELECT SITE"},
                                  {"Label10", "MAC ADDRESS"},
                                  {"Label12", "FE"},
                                  {"Label13", "CLUSTER"},
                                  {"Label16", "NGN"},
                                  {"Label15", "VOIP USER/PASSWORD"},
                                  {"Command1", "SUBMIT"},
                                  {"Command3", "OPEN AP"},
                                  {"Command2", "CHECK VLAN"},
                                  {"Command4", "CLEAR"},
                                  {"Command5", "CHECK LDAP"},
                                  {"Command7", "MTNL"},
                                  {"Command6", "OPEN OLT"}};
        for (const auto& [control, text] : texts)
            QTest::newRow(control) << QString::fromLatin1(control) << QString::fromLatin1(text);
    }
    void initialTexts() {
        QFETCH(QString, control);
        QTEST(textOf(m_form.get(), control), "text");
    }

    void selectionsCascade() {
        QWidget* f = m_form.get();
        support::choose(f, QStringLiteral("Combo2"), QStringLiteral("KERALA"));
        QCOMPARE(entries(f, QStringLiteral("Combo1")), strings({"ERNAKULAM", "TRIVANDRUM"}));
        QCOMPARE(textOf(f, QStringLiteral("Combo1")), QString());
        support::choose(f, QStringLiteral("Combo1"), QStringLiteral("ERNAKULAM"));
        QCOMPARE(entries(f, QStringLiteral("Combo5")),
                 strings({"Anil Kumar 9847000001", "Chandra 98470"}));
        QCOMPARE(textOf(f, QStringLiteral("Combo5")), QString());
        support::choose(f, QStringLiteral("Combo3"), QStringLiteral("FTTH"));
        QCOMPARE(sorted(entries(f, QStringLiteral("Combo4"))),
                 strings({"EKM-EDAPPALLY-OLT", "EKM-KAKKANAD-OLT"}));
        QCOMPARE(textOf(f, QStringLiteral("Combo4")), QString());
        support::choose(f, QStringLiteral("Combo4"), QStringLiteral("EKM-KAKKANAD-OLT"));
        QCOMPARE(entries(f, QStringLiteral("Combo6")), strings({"101", "102", "104", "105"}));
        QCOMPARE(textOf(f, QStringLiteral("Combo6")), QString());
        QCOMPARE(textOf(f, QStringLiteral("Label14")), QStringLiteral("1002"));
        QCOMPARE(textOf(f, QStringLiteral("Label17")), QStringLiteral("10.20.1.1"));
        QVERIFY(support::findWidget(f, QStringLiteral("Command1"))->isEnabled());

        // A site without free pairs or address leaves outer VLAN and address.
        support::choose(f, QStringLiteral("Combo3"), QStringLiteral("AF"));
        m_ctx->db().exec(QStringLiteral("update OLT set ID='taken' where SITE='EKM-AP-7'"));
        support::choose(f, QStringLiteral("Combo4"), QStringLiteral("EKM-AP-7"));
        QCOMPARE(entries(f, QStringLiteral("Combo6")), QStringList());
        QCOMPARE(textOf(f, QStringLiteral("Label14")), QStringLiteral("1002"));
        QCOMPARE(textOf(f, QStringLiteral("Label17")), QStringLiteral("10.20.1.1"));

        // Another circle replaces the SSAs only.
        support::choose(f, QStringLiteral("Combo2"), QStringLiteral("MAHARASHTRA"));
        QCOMPARE(entries(f, QStringLiteral("Combo1")), strings({"PUNE"}));
        QCOMPARE(entries(f, QStringLiteral("Combo4")), strings({"EKM-AP-7"}));
        QCOMPARE(entries(f, QStringLiteral("Combo5")).size(), 2);
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    void engineerChoiceFillsMobileAndCluster() {
        QWidget* f = m_form.get();
        support::choose(f, QStringLiteral("Combo2"), QStringLiteral("KERALA"));
        support::choose(f, QStringLiteral("Combo1"), QStringLiteral("ERNAKULAM"));
        support::choose(f, QStringLiteral("Combo5"), QStringLiteral("Anil Kumar 9847000001"));
        QCOMPARE(textOf(f, QStringLiteral("Text6")), QStringLiteral("9847000001"));
        QCOMPARE(textOf(f, QStringLiteral("Text7")), QStringLiteral("EKM-NORTH"));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());

        // The last ten characters of "Chandra 98470" are no engineer's mobile.
        support::choose(f, QStringLiteral("Combo5"), QStringLiteral("Chandra 98470"));
        QCOMPARE(textOf(f, QStringLiteral("Text6")), QStringLiteral("ndra 98470"));
        QCOMPARE(textOf(f, QStringLiteral("Text7")), QStringLiteral("EKM-NORTH"));
        QCOMPARE(m_ctx->dialogs().shown().size(), 1);
    }

    void providerComposesTheVoiceTexts_data() {
        QTest::addColumn<QString>("circle");
        QTest::addColumn<QString>("service");
        QTest::addColumn<QString>("site");
        QTest::addColumn<QString>("provider");
        QTest::addColumn<bool>("databaseFails");
        QTest::addColumn<QString>("text8");
        QTest::addColumn<QString>("text9");
        QTest::addRow("ZTE") << "KERALA"
                             << "FTTH"
                             << "EKM-KAKKANAD-OLT"
                             << "ZTE" << false << "ims.kl.example/950"
                             << "+91/123";
        QTest::addRow("NEW") << "KERALA"
                             << "FTTH"
                             << "EKM-KAKKANAD-OLT"
                             << "NEW" << false << "new.kl.example/951"
                             << "91/0000";
        QTest::addRow("no row for the circle") << "MAHARASHTRA"
                                               << "FTTH"
                                               << "PUNE-OLT"
                                               << "NEW" << false << "Text8"
                                               << "91/0000";
        QTest::addRow("MTNL service") << "KERALA"
                                      << "MTNL"
                                      << "DEL-JPURI-0042"
                                      << "ZTE" << false << "ims.mtnl.example/0042"
                                      << "+91/123";
        QTest::addRow("database fails") << "KERALA"
                                        << "FTTH"
                                        << "EKM-KAKKANAD-OLT"
                                        << "ZTE" << true << "Text8"
                                        << "+91/123";
    }
    void providerComposesTheVoiceTexts() {
        QFETCH(QString, circle);
        QFETCH(QString, service);
        QFETCH(QString, site);
        QFETCH(QString, provider);
        QFETCH(bool, databaseFails);
        QWidget* f = m_form.get();
        support::type(f, QStringLiteral("Combo2"), circle);
        support::type(f, QStringLiteral("Combo3"), service);
        support::type(f, QStringLiteral("Combo4"), site);
        if (databaseFails)
            m_ctx->db().exec(QStringLiteral("drop table NGN"));
        support::choose(f, QStringLiteral("Combo7"), provider);
        QTEST(textOf(f, QStringLiteral("Text8")), "text8");
        QTEST(textOf(f, QStringLiteral("Text9")), "text9");
        QCOMPARE(textOf(f, QStringLiteral("Text10")), QStringLiteral("ZEL-VUVA-/"));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    void clearEmptiesUserNameAddressCircleAndSsa() {
        QWidget* f = m_form.get();
        support::choose(f, QStringLiteral("Combo2"), QStringLiteral("KERALA"));
        support::choose(f, QStringLiteral("Combo1"), QStringLiteral("ERNAKULAM"));
        support::type(f, QStringLiteral("Text1"), QStringLiteral("ravi"));
        support::type(f, QStringLiteral("Text4"), QStringLiteral("12 MG Road"));
        support::click(f, QStringLiteral("Command4"));
        for (const char* name : {"Text1", "Text4", "Combo2", "Combo1"})
            QCOMPARE(textOf(f, QString::fromLatin1(name)), QString());
        QCOMPARE(textOf(f, QStringLiteral("Text2")), QStringLiteral("NA"));
        QCOMPARE(entries(f, QStringLiteral("Combo1")), strings({"ERNAKULAM", "TRIVANDRUM"}));
        QCOMPARE(entries(f, QStringLiteral("Combo5")).size(), 2);
    }

    void enterMovesToTheNextControl_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("next");
        QTest::addRow("SSA") << "Combo1"
                             << "Text1";
        QTest::addRow("user name") << "Text1"
                                   << "Text2";
        QTest::addRow("name") << "Text2"
                              << "Text4";
        QTest::addRow("address") << "Text4"
                                 << "Text3";
        QTest::addRow("mobile") << "Text3"
                                << "Combo3";
        QTest::addRow("MAC") << "Text5"
                             << "Combo6";
    }
    void enterMovesToTheNextControl() {
        QFETCH(QString, control);
        QFETCH(QString, next);
        QWidget* f = m_form.get();
        support::type(f, control, QStringLiteral("typed"));
        support::pressEnter(f, control);
        QVERIFY(support::findWidget(f, next)->hasFocus());
        QCOMPARE(textOf(f, control), QStringLiteral("typed"));
        if (control == QLatin1String("Combo1"))
            QCOMPARE(entries(f, control), QStringList());
    }

    // Keys typed into a filled list stay what was typed: "ERNA" is no SSA,
    // and a list must not turn it into "ERNAKULAM" behind the operator's back.
    void typedListTextIsNotCompleted() {
        QWidget* f = m_form.get();
        support::choose(f, QStringLiteral("Combo2"), QStringLiteral("KERALA"));
        auto* ssa = support::find<QComboBox>(f, QStringLiteral("Combo1"));
        support::focusIn(f, QStringLiteral("Combo1"));
        ssa->clearEditText();
        QTest::keyClicks(ssa, QStringLiteral("ERNA"));
        support::pressEnter(f, QStringLiteral("Combo1"));
        QCOMPARE(textOf(f, QStringLiteral("Combo1")), QStringLiteral("ERNA"));
        QVERIFY(support::findWidget(f, QStringLiteral("Text1"))->hasFocus());
    }

private:
    std::unique_ptr<support::TestContext> m_ctx;
    std::unique_ptr<provisioning::CustomerRecordForm> m_form;
};

QTEST_MAIN(TestCustomerRecord)
#include "tst_customer_record.moc"
