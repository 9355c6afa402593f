#include "db/screen_db.h"
#include "provisioning/customer_record_form.h"
#include "provisioning/registration.h"
#include "support/strings.h"
#include "support/test_context.h"
#include "support/widgets.h"

#include <QComboBox>
#include <QTest>
#include <atomic>
#include <thread>

using support::ScriptedDialogs;
using support::strings;
using support::textOf;

namespace {

const QString userName = QStringLiteral("ravi.k@ftth.kerala");
const QString innerVlanTitle = QStringLiteral("ZEL OLT INNER VLAN");

void writeFixture(const support::TestDb& db) {
    db.exec(QStringLiteral("insert into circle (circle) values ('KERALA')"));
    db.exec(QStringLiteral("insert into ssa (circle, SSA) values ('KERALA', 'ERNAKULAM')"));
    db.exec(QStringLiteral("insert into fe (circle, ssa, CLUSTER, name, mobile) values "
                           "('KERALA', 'ERNAKULAM', 'EKM-NORTH', 'Anil Kumar', '9847000001')"));
    db.exec(QStringLiteral(
        "insert into OLT (circle, SSA, SITE, SERVICE, OUT_VLAN, IN_VLAN, ID, MAC, SN) values "
        "('KERALA', 'ERNAKULAM', 'EKM-KAKKANAD-OLT', 'FTTH', '1001', '101', 'NA', 'NA', 'S1'), "
        "('KERALA', 'ERNAKULAM', 'EKM-KAKKANAD-OLT', 'FTTH', '1001', '102', 'NA', 'NA', 'S2')"));
    db.exec(QStringLiteral("insert into af_site (circle, ssa, site, ip) values "
                           "('KERALA', 'ERNAKULAM', 'EKM-KAKKANAD-OLT', '10.20.1.1')"));
    db.exec(QStringLiteral("insert into NGN (ngn_provider, circle, sip_domain, voip_vlan) values "
                           "('ZTE', 'KERALA', 'ims.kl.example', '950')"));
}

ScriptedDialogs::Shown info(const char* text, const QString& title) {
    return {QString::fromLatin1(text), title, ui::Icon::Information, false};
}

const ScriptedDialogs::Shown submitted{QStringLiteral("DATA SUBMITTED SUCCESSFULY"), QString(),
                                       ui::Icon::None, false};

} // namespace

class TestRegistration : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_ctx = std::make_unique<support::TestContext>();
        writeFixture(m_ctx->db());
        m_ctx->session().setSignedInUser(QStringLiteral("Asha Verma"));
        m_ctx->clock().set(QDateTime(QDate(2021, 12, 4), QTime(21, 5, 30)));
        m_form = std::make_unique<provisioning::CustomerRecordForm>(m_ctx->app());
        m_form->show();
    }

    void registrationWritesCustomerComplaintAndInnerVlan() {
        fillCustomer(QStringLiteral("102"));
        submit();
        QCOMPARE(
            m_ctx->dialogs().shown(),
            (QList<ScriptedDialogs::Shown>{info("INNER VLAN UPDATED", innerVlanTitle), submitted}));
        const QStringList customer = m_ctx->db().rows(QStringLiteral("select * from cdata"));
        QCOMPARE(customer.size(), 1);
        // Values 13, 15, 17, 18 and 28 are what no lookup found: empty.
        QCOMPARE(customer.first().split(QLatin1Char('|')), strings({"ravi.k@ftth.kerala",
                                                                    "Ravi D'Souza",
                                                                    "ERNAKULAM",
                                                                    "9847012345",
                                                                    "12 MG Road, Kakkanad",
                                                                    "KERALA",
                                                                    "4-Dec-21",
                                                                    "0",
                                                                    "0",
                                                                    "ims.kl.example/950",
                                                                    "ZEL-VUVA-/",
                                                                    "+91/123",
                                                                    "",
                                                                    "0",
                                                                    "",
                                                                    "0",
                                                                    "",
                                                                    "",
                                                                    "0",
                                                                    "0",
                                                                    "0",
                                                                    "0",
                                                                    "",
                                                                    "0",
                                                                    "FTTH",
                                                                    "0",
                                                                    "EKM-KAKKANAD-OLT",
                                                                    "",
                                                                    "4-Dec-21",
                                                                    "EKM-NORTH"}));
        QCOMPARE(m_ctx->db().rows(QStringLiteral("select * from complain")),
                 strings({"1|Ravi D'Souza|9847012345|2021-12-04 21:05:00|NEW CONNECTION "
                          "CONFIGURATION|CLOSED|2021-12-04 21:05:00|ERNAKULAM|Anil Kumar "
                          "9847000001|9847000001|0|12 MG Road, Kakkanad|ravi.k@ftth.kerala|KERALA|"
                          "EKM-KAKKANAD-OLT|Asha Verma||"}));
        QCOMPARE(oltRows(), strings({"101|NA|NA", "102|ravi.k@ftth.kerala|00:1E:A6:4B:7C:2D"}));
        QVERIFY(!submitEnabled());
    }

    void aMissingFieldWritesNothing_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("refused");
        for (const char* name : {"Combo5", "Text7", "Text1", "Text2", "Text3", "Text4", "Combo2",
                                 "Combo1", "Combo3", "Combo4"})
            QTest::addRow("%s empty", name) << QString::fromLatin1(name) << QString() << true;
        QTest::addRow("a blank is text") << "Text2"
                                         << " " << false;
    }
    void aMissingFieldWritesNothing() {
        QFETCH(QString, control);
        QFETCH(QString, text);
        QFETCH(bool, refused);
        fillCustomer(QStringLiteral("102"));
        if (control == QLatin1String("Combo5"))
            support::find<QComboBox>(m_form.get(), control)->setCurrentIndex(-1);
        else
            support::type(m_form.get(), control, text);
        submit();
        if (refused) {
            QCOMPARE(m_ctx->dialogs().shown(),
                     (QList<ScriptedDialogs::Shown>{
                         info("PLEASE INSERT ALL THE DATA", QStringLiteral("VUVA"))}));
            QCOMPARE(customers(), 0);
        } else {
            QCOMPARE(m_ctx->dialogs().shown().last(), submitted);
        }
        QVERIFY(!submitEnabled());
    }

    void aRegisteredUserNameIsRefusedOncePerRow() {
        m_ctx->db().exec(QStringLiteral("insert into cdata (ID) values (?), (?), (?), (?)"),
                         {userName, QStringLiteral("  ravi.k@ftth.kerala "),
                          QStringLiteral("RAVI.K@FTTH.KERALA"),
                          QStringLiteral("ravi.k@ftth.kerala2")});
        fillCustomer(QStringLiteral("102"));
        submit();
        const auto refused = info("RECORD ALREADY INSERTED", QStringLiteral("VUVA"));
        QCOMPARE(m_ctx->dialogs().shown(), (QList<ScriptedDialogs::Shown>{refused, refused}));
        QCOMPARE(customers(), 4);
        QCOMPARE(m_ctx->db().scalar(QStringLiteral("select count(*) from complain")),
                 QStringLiteral("0"));
        QCOMPARE(oltRows(), strings({"101|NA|NA", "102|NA|NA"}));
        QVERIFY(!submitEnabled());
    }

    // Stored ids and the typed user name are compared trimmed of blanks,
    // exactly and with case.
    void duplicatesAreExactAfterTrimming_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("duplicates");
        QTest::addRow("same and blank-padded") << "ravi.k" << 2;
        QTest::addRow("other case") << "RAVI.K" << 1;
        QTest::addRow("mixed case") << "Ravi.K" << 0;
        QTest::addRow("prefix of an id") << "ravi" << 0;
        QTest::addRow("typed with blanks") << " ravi.k " << 2;
        QTest::addRow("wildcards are text") << "ravi_k" << 0;
        QTest::addRow("percent") << "50%off" << 1;
    }
    void duplicatesAreExactAfterTrimming() {
        QFETCH(QString, typed);
        m_ctx->db().exec(
            QStringLiteral("insert into cdata (ID) values ('ravi.k'), ('  ravi.k   '), "
                           "('RAVI.K'), ('ravi.k2'), ('50%off'), (NULL)"));
        db::ScreenDb db(m_ctx->db().settings());
        db.open();
        QTEST(provisioning::countDuplicates(db, typed), "duplicates");
        db.close();
    }

    void aUserNameWithAnInnerVlanKeepsIt() {
        m_ctx->db().exec(QStringLiteral(
            "insert into OLT (SITE, OUT_VLAN, IN_VLAN, ID, MAC) values "
            "('EKM-EDAPPALLY-OLT', '1100', '205', 'ravi.k@ftth.kerala', 'AA:BB:CC:00:00:01')"));
        fillCustomer(QStringLiteral("102"));
        submit();
        QCOMPARE(
            m_ctx->dialogs().shown(),
            (QList<ScriptedDialogs::Shown>{info("ID ALREADY PRESENT", innerVlanTitle), submitted}));
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Combo6")), QStringLiteral("205"));
        QCOMPARE(customers(), 1);
        QCOMPARE(oltRows(),
                 strings({"101|NA|NA", "102|NA|NA", "205|ravi.k@ftth.kerala|AA:BB:CC:00:00:01"}));
    }

    void noInnerVlanChosenRegistersWithoutOne() {
        fillCustomer(QString());
        submit();
        QCOMPARE(m_ctx->dialogs().shown(),
                 (QList<ScriptedDialogs::Shown>{info("NO INNER VLAN ASSIGNED", innerVlanTitle),
                                                submitted}));
        QCOMPARE(customers(), 1);
        QCOMPARE(m_ctx->db().scalar(QStringLiteral("select count(*) from complain")),
                 QStringLiteral("1"));
        QCOMPARE(oltRows(), strings({"101|NA|NA", "102|NA|NA"}));
    }

    void anInnerVlanTakenMeanwhileUndoesTheRegistration() {
        fillCustomer(QStringLiteral("102"));
        m_ctx->db().exec(QStringLiteral("update OLT set ID='someone.else' where IN_VLAN='102'"));
        submit();
        QCOMPARE(m_ctx->dialogs().shown(),
                 (QList<ScriptedDialogs::Shown>{{QStringLiteral("INNER VLAN 102 IS NO LONGER FREE"),
                                                 innerVlanTitle, ui::Icon::Exclamation, false}}));
        QCOMPARE(customers(), 0);
        QCOMPARE(m_ctx->db().scalar(QStringLiteral("select count(*) from complain")),
                 QStringLiteral("0"));
        QCOMPARE(oltRows(), strings({"101|NA|NA", "102|someone.else|NA"}));
        QVERIFY(!submitEnabled());
    }

    void aRefusedStatementLeavesNothingWritten() {
        m_ctx->db().refuse(QStringLiteral("complain"), QStringLiteral("INSERT"),
                           QStringLiteral("complaints are closed"));
        fillCustomer(QStringLiteral("102"));
        submit();
        QCOMPARE(m_ctx->dialogs().texts(), strings({"complaints are closed"}));
        QCOMPARE(customers(), 0);
        QCOMPARE(oltRows(), strings({"101|NA|NA", "102|NA|NA"}));
        QVERIFY(!submitEnabled());

        // The connection is left fit for the next try.
        m_ctx->db().stopRefusing(QStringLiteral("complain"), QStringLiteral("INSERT"));
        m_ctx->dialogs().clear();
        support::choose(m_form.get(), QStringLiteral("Combo4"), QStringLiteral("EKM-KAKKANAD-OLT"));
        support::choose(m_form.get(), QStringLiteral("Combo6"), QStringLiteral("102"));
        submit();
        QCOMPARE(m_ctx->dialogs().shown().last(), submitted);
        QCOMPARE(customers(), 1);
    }

    // Another workstation claims the same user name (in other letters and
    // blanks) and registers it; this registration waits for it and then
    // finds the customer.
    void aRegistrationRacingAnotherLeavesOneCustomer() {
        provisioning::CustomerEntry entry = wholeEntry();
        db::ScreenDb other(m_ctx->db().settings());
        other.open();
        other.begin(true);
        other.claim(db::Claim::SubscriberId,
                    QLatin1Char(' ') + userName.toUpper() + QLatin1Char(' '));
        provisioning::RegistrationResult result;
        QString failure;
        std::thread racing([&] {
            try {
                db::ScreenDb db(m_ctx->db().settings());
                result = provisioning::registerCustomer(db, entry, m_ctx->clock());
            } catch (const std::exception& e) {
                failure = QString::fromUtf8(e.what());
            }
        });
        QTest::qSleep(300);
        other.execute(QStringLiteral("insert into cdata (ID) values (?)"), {db::text(userName)});
        other.commit();
        other.close();
        racing.join();
        QCOMPARE(failure, QString());
        QCOMPARE(result.outcome, provisioning::RegistrationResult::Outcome::Duplicate);
        QCOMPARE(customers(), 1);
        QCOMPARE(oltRows(), strings({"101|NA|NA", "102|NA|NA"}));
    }

    // On a server a claim holds only its own name: a registration of
    // another customer goes through while it is held.
    void aRegistrationDoesNotWaitForAnotherName() {
        if (m_ctx->db().backend() == db::Backend::Sqlite)
            QSKIP("SQLite holds the whole database for any write");
        db::ScreenDb other(m_ctx->db().settings());
        other.open();
        other.begin(true);
        other.claim(db::Claim::SubscriberId, QStringLiteral("someone.else"));
        std::atomic<bool> done = false;
        provisioning::RegistrationResult result;
        std::thread registering([&] {
            db::ScreenDb db(m_ctx->db().settings());
            result = provisioning::registerCustomer(db, wholeEntry(), m_ctx->clock());
            done = true;
        });
        const bool whileHeld = QTest::qWaitFor([&] { return done.load(); }, 60000);
        other.rollback();
        other.close();
        registering.join();
        QVERIFY(whileHeld);
        QCOMPARE(result.outcome, provisioning::RegistrationResult::Outcome::Registered);
    }

private:
    void fillCustomer(const QString& innerVlan) {
        QWidget* f = m_form.get();
        support::choose(f, QStringLiteral("Combo2"), QStringLiteral("KERALA"));
        support::choose(f, QStringLiteral("Combo1"), QStringLiteral("ERNAKULAM"));
        support::choose(f, QStringLiteral("Combo3"), QStringLiteral("FTTH"));
        support::choose(f, QStringLiteral("Combo4"), QStringLiteral("EKM-KAKKANAD-OLT"));
        if (!innerVlan.isEmpty())
            support::choose(f, QStringLiteral("Combo6"), innerVlan);
        support::choose(f, QStringLiteral("Combo5"), QStringLiteral("Anil Kumar 9847000001"));
        support::choose(f, QStringLiteral("Combo7"), QStringLiteral("ZTE"));
        support::type(f, QStringLiteral("Text1"), userName);
        support::type(f, QStringLiteral("Text2"), QStringLiteral("Ravi D'Souza"));
        support::type(f, QStringLiteral("Text3"), QStringLiteral("9847012345"));
        support::type(f, QStringLiteral("Text4"), QStringLiteral("12 MG Road, Kakkanad"));
        support::type(f, QStringLiteral("Text5"), QStringLiteral("00:1E:A6:4B:7C:2D"));
        QCOMPARE(m_ctx->dialogs().shown().size(), 0);
    }
    provisioning::CustomerEntry wholeEntry() const {
        provisioning::CustomerEntry e;
        e.userName = userName;
        e.name = e.mobile = e.address = e.cluster = QStringLiteral("x");
        e.circle = QStringLiteral("KERALA");
        e.ssa = QStringLiteral("ERNAKULAM");
        e.service = QStringLiteral("FTTH");
        e.site = QStringLiteral("EKM-KAKKANAD-OLT");
        e.engineer = QStringLiteral("Anil Kumar 9847000001");
        e.outerVlan = QStringLiteral("1001");
        e.innerVlan = QStringLiteral("102");
        return e;
    }
    void submit() { support::click(m_form.get(), QStringLiteral("Command1")); }
    bool submitEnabled() const {
        return support::findWidget(m_form.get(), QStringLiteral("Command1"))->isEnabled();
    }
    int customers() const {
        return m_ctx->db().scalar(QStringLiteral("select count(*) from cdata")).toInt();
    }
    QStringList oltRows() const {
        return m_ctx->db().rows(
            QStringLiteral("select IN_VLAN, ID, MAC from OLT order by IN_VLAN"));
    }

    std::unique_ptr<support::TestContext> m_ctx;
    std::unique_ptr<provisioning::CustomerRecordForm> m_form;
};

QTEST_MAIN(TestRegistration)
#include "tst_registration.moc"
