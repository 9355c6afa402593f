#include "faults/fault_rules.h"

#include <QTest>

using faults::Channel;
using faults::FaultContacts;
using faults::Notice;

namespace {

FaultContacts everyone() {
    FaultContacts c;
    c.feMobile = QStringLiteral(" 9800000001");
    c.sdeBbMobile = QStringLiteral(" 9800000002");
    c.sdeBbMail = QStringLiteral("sde.bb@vuva.in");
    c.sdeTxMobile = QStringLiteral(" 9800000003");
    c.sdeTxMail = QStringLiteral("sde.tx@vuva.in");
    c.gmMobile = QStringLiteral(" 9800000004");
    c.gmMail = QStringLiteral("gm@vuva.in");
    c.circleHeadMobile = QStringLiteral(" 9800000005");
    c.circleHeadMail = QStringLiteral("head@zel.in");
    return c;
}

} // namespace

class TestFaultRules : public QObject {
    Q_OBJECT

private slots:
    void tunnelIdFromTheLabel_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("id");
        QTest::addRow("after a lookup")
            << QStringLiteral("TUNNEL ID : 1234") << QStringLiteral("1234");
        QTest::addRow("after site details")
            << QStringLiteral("OUTER VLAN : 1234") << QStringLiteral("1234");
        QTest::addRow("initial caption") << QStringLiteral("TUNNEL ID: 0") << QString();
        QTest::addRow("emptied by a site choice") << QString() << QString();
        QTest::addRow("id with blanks")
            << QStringLiteral("TUNNEL ID :  77 ") << QStringLiteral("77");
    }
    void tunnelIdFromTheLabel() {
        QFETCH(QString, label);
        QFETCH(QString, id);
        QCOMPARE(faults::tunnelIdOf(label), id);
    }

    void siteState_data() {
        QTest::addColumn<QString>("live");
        QTest::addColumn<bool>("up");
        QTest::addRow("up") << QStringLiteral("UP") << true;
        QTest::addRow("up with blanks") << QStringLiteral(" UP  ") << true;
        QTest::addRow("lower case") << QStringLiteral("up") << false;
        QTest::addRow("down") << QStringLiteral("DOWN") << false;
        QTest::addRow("nothing read") << QString() << false;
    }
    void siteState() {
        QFETCH(QString, live);
        QFETCH(bool, up);
        QCOMPARE(faults::siteIsUp(live), up);
    }

    void mobiles_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("mobile");
        QTest::addColumn<bool>("reachable");
        QTest::addRow("ten digits")
            << QStringLiteral("9812345678") << QStringLiteral(" 9812345678") << true;
        QTest::addRow("blanks around and inside")
            << QStringLiteral("  98123 45678 ") << QStringLiteral(" 9812345678") << true;
        QTest::addRow("empty") << QString() << QStringLiteral(" 0") << false;
        QTest::addRow("blanks only") << QStringLiteral("   ") << QStringLiteral(" 0") << false;
        QTest::addRow("text after the number")
            << QStringLiteral("98123/98124") << QStringLiteral(" 98123") << true;
        QTest::addRow("no number") << QStringLiteral("NA") << QStringLiteral(" 0") << false;
        QTest::addRow("leading zero") << QStringLiteral("09812") << QStringLiteral(" 9812") << true;
    }
    void mobiles() {
        QFETCH(QString, column);
        QFETCH(QString, mobile);
        QFETCH(bool, reachable);
        QCOMPARE(faults::normalizedMobile(column), mobile);
        QCOMPARE(faults::isReachableMobile(mobile), reachable);
    }

    void historyEntries() {
        QString history = faults::openingEntry(QStringLiteral("4-Dec-21 9:5 PM"),
                                               QStringLiteral("ASHA"), QStringLiteral("SITE DOWN"));
        history = faults::withUpdateEntry(history, QStringLiteral("12/04/2021 10:7 PM"),
                                          QStringLiteral("ASHA"), QStringLiteral("power 'off'"));
        history = faults::withClosingEntry(history, QStringLiteral("12/05/2021 1:0 AM"),
                                           QStringLiteral("RAVI"), QStringLiteral("restored"));
        QCOMPARE(history, QStringLiteral("4-Dec-21 9:5 PM FAULT OPEN BY: ASHA\r\nFAULT: SITE DOWN"
                                         "\r\n12/04/2021 10:7 PM UPDATE BY ASHA\r\nUPDATE: power "
                                         "'off'\r\n12/05/2021 1:0 AM CLOSED BY RAVI\r\nUPDATE: "
                                         "restored"));
    }

    void messageTexts() {
        const QString ssa = QStringLiteral("KOCHI");
        const QString site = QStringLiteral("EDAPPALLY");
        QCOMPARE(faults::updateMessage(ssa, site, QStringLiteral("fibre cut")),
                 QStringLiteral("Fault updated by zel NOC for KOCHI EDAPPALLY update fibre cut"));
        QCOMPARE(faults::newFaultSms(ssa, site, QStringLiteral("AP DOWN")),
                 QStringLiteral("New fault open by zel NOC for KOCHI EDAPPALLY fault is AP DOWN"));
        QCOMPARE(
            faults::newFaultWhatsApp(ssa, site, QStringLiteral("AP DOWN")),
            QStringLiteral("New fault open by zel NOC for\nKOCHI\nEDAPPALLY\nfault is AP DOWN"));
    }

    void phoneNoticesGoInContactOrderAndSkipTheUnrecorded() {
        FaultContacts c = everyone();
        c.sdeTxMobile = faults::normalizedMobile(QString());
        const QList<Notice> notices =
            faults::phoneNotices(c, QStringLiteral("s"), QStringLiteral("w"));
        QList<Notice> expected;
        for (const char* n : {" 9800000001", " 9800000002", " 9800000004", " 9800000005"}) {
            expected.append({Channel::Sms, QString::fromLatin1(n), QStringLiteral("s")});
            expected.append({Channel::WhatsApp, QStringLiteral("91") + QString::fromLatin1(n),
                             QStringLiteral("w")});
        }
        QCOMPARE(notices, expected);
    }

    void mailRecipients_data() {
        QTest::addColumn<bool>("remindVuva");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("cc");
        QTest::addRow("reminder") << true
                                  << QStringLiteral("sde.bb@vuva.in;sde.tx@vuva.in;head@zel.in")
                                  << QStringLiteral("gm@vuva.in;a@zel.in;b@zel.in");
        QTest::addRow("no reminder")
            << false << QStringLiteral(";;head@zel.in") << QStringLiteral(";a@zel.in;b@zel.in");
    }
    void mailRecipients() {
        QFETCH(bool, remindVuva);
        QFETCH(QString, to);
        QFETCH(QString, cc);
        FaultContacts c = everyone();
        if (!remindVuva)
            c.dropVuva();
        QCOMPARE(faults::faultMailTo(c), to);
        QCOMPARE(faults::faultMailCc(c, QStringLiteral(";a@zel.in;b@zel.in")), cc);
        if (!remindVuva) {
            // The field engineer and the circle head still hear of it.
            QCOMPARE(faults::phoneNotices(c, {}, {}).size(), 4);
        }
    }

    void mailTexts() {
        const faults::TicketMail t{QStringLiteral("KERALA"), QStringLiteral("KOCHI"),
                                   QStringLiteral("EDAPPALLY"), QStringLiteral("42")};
        QCOMPARE(faults::newFaultSubject(t), QStringLiteral("ZEL##KERALA##KOCHI##EDAPPALLY##42"));
        QCOMPARE(faults::updateSubject(t),
                 QStringLiteral("ZEL##KERALA##KOCHI##EDAPPALLY##42##UPDATE"));
        QCOMPARE(faults::newFaultBody(QStringLiteral("42"), QStringLiteral("SITE DOWN"),
                                      QStringLiteral("4-Dec-21 9:5 PM"), QStringLiteral("17"),
                                      QStringLiteral("111/222/333")),
                 QStringLiteral("Dear Team,<BR><BR> New Fault open for Subjected Site Details are "
                                "as follows <BR>FAULT ID : 42<BR>FAULT : SITE DOWN<BR>FAULT OPEN "
                                "TIME : 4-Dec-21 9:5 PM<BR>USER AFFECTED : 17<BR><BR>Thanks and "
                                "Regard <BR>ZEL NOC <BR>PH: 111/222/333"));
        QCOMPARE(faults::updateBody(QStringLiteral("42"), QStringLiteral("<b>cut</b> & \"fixed\""),
                                    3, QStringLiteral("111")),
                 QStringLiteral("Dear Team,<BR>Fault Updated for Subjected Site Details are as "
                                "follows<BR>FAULT ID : 42<BR>UPDATE : &lt;b&gt;cut&lt;/b&gt; "
                                "&amp; &quot;fixed&quot;<BR>DOWN TIME : 3 HOURS<BR><BR>Thanks "
                                "and Regard<BR>ZEL NOC<BR>PH: 111"));
    }
};

QTEST_GUILESS_MAIN(TestFaultRules)
#include "tst_fault_rules.moc"
