#include "fault_fixture.h"
#include "faults/circle_contacts_form.h"
#include "faults/ssa_contacts_form.h"
#include "masterdata/equipment_details_form.h"
#include "support/strings.h"

#include <QTest>

using support::choose;
using support::entries;
using support::textOf;

namespace {

const QColor green(0, 255, 0);
const QColor red(255, 0, 0);

} // namespace

class TestSiteFault : public QObject {
    Q_OBJECT

    std::unique_ptr<support::TestContext> m_ctx;
    std::unique_ptr<faults::SiteFaultForm> m_form;

    QWidget* form() { return m_form.get(); }
    void build() { m_form = std::make_unique<faults::SiteFaultForm>(m_ctx->app()); }
    void lookUp(const QString& ft) {
        support::type(form(), QStringLiteral("Text1"), ft);
        support::leave(form(), QStringLiteral("Text1"));
    }
    // The circle, SSA and site as an operator picks them.
    void narrowTo(const char* circle, const char* ssa, const char* site) {
        choose(form(), QStringLiteral("Combo1"), QString::fromUtf8(circle));
        choose(form(), QStringLiteral("Combo2"), QString::fromUtf8(ssa));
        choose(form(), QStringLiteral("Combo3"), QString::fromUtf8(site));
    }

private slots:
    void init() {
        m_ctx = std::make_unique<support::TestContext>();
        fixture::addDesk(m_ctx->db());
        build();
    }
    void cleanup() {
        m_ctx->screens().closeAll();
        m_form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_ctx.reset();
    }

    void loadShowsEveryOpenTicketAndTheFaultKinds() {
        QCOMPARE(form()->windowTitle(), QStringLiteral("BTS FAULT"));
        QCOMPARE(fixture::gridIds(form()), support::strings({"7", "8", "9"}));
        QCOMPARE(fixture::gridOf(form())->gridModel().columnCount(), 11);
        QCOMPARE(textOf(form(), QStringLiteral("Label9")), QStringLiteral("OPEN FAULT: 3"));
        QCOMPARE(support::sortedEntries(form(), QStringLiteral("Combo1")),
                 support::strings({"GOA", "KERALA", "PUNJAB"}));
        QCOMPARE(entries(form(), QStringLiteral("Combo5")),
                 support::strings({"SITE DOWN", "LINK FLAPPING", "BANDWIDTH ISSUE", "AP DOWN"}));
        // Nothing is chosen until the operator chooses it.
        QCOMPARE(textOf(form(), QStringLiteral("Combo5")), QString());
        QCOMPARE(textOf(form(), QStringLiteral("Label3")), QStringLiteral("TUNNEL ID: 0"));
    }

    void eachChoiceNarrowsTheNextListAndTheGrid() {
        choose(form(), QStringLiteral("Combo1"), QStringLiteral("KERALA"));
        QCOMPARE(entries(form(), QStringLiteral("Combo2")),
                 support::strings({"KOCHI", "TRIVANDRUM"}));
        QCOMPARE(fixture::gridIds(form()), support::strings({"7", "8"}));
        QCOMPARE(textOf(form(), QStringLiteral("Label9")), QStringLiteral("OPEN FAULT: 2"));

        choose(form(), QStringLiteral("Combo2"), QStringLiteral("KOCHI"));
        // Neither inactive nor twice; a site of another status is listed.
        QCOMPARE(support::sortedEntries(form(), QStringLiteral("Combo3")),
                 support::strings({"EDAPPALLY", "VYTILLA"}));
        QCOMPARE(fixture::gridIds(form()), support::strings({"7"}));
        QCOMPARE(textOf(form(), QStringLiteral("Label9")), QStringLiteral("OPEN FAULT: 1"));

        choose(form(), QStringLiteral("Combo3"), QStringLiteral("EDAPPALLY"));
        QCOMPARE(entries(form(), QStringLiteral("Combo4")),
                 support::strings({"EDAPPALLY", "EDAPPALLY"}));
        choose(form(), QStringLiteral("Combo4"), QStringLiteral("EDAPPALLY"));
        QCOMPARE(textOf(form(), QStringLiteral("Label3")), QStringLiteral("OUTER VLAN : 1234"));

        // A site with no active row: nothing to choose, details emptied.
        choose(form(), QStringLiteral("Combo3"), QStringLiteral("VYTILLA"));
        QCOMPARE(entries(form(), QStringLiteral("Combo4")), QStringList());
        for (const char* label : {"Label1", "Label2", "Label3"})
            QCOMPARE(textOf(form(), QString::fromLatin1(label)), QString());
        // The grid stays on the SSA.
        QCOMPARE(fixture::gridIds(form()), support::strings({"7"}));

        // A new circle clears the SSA list only.
        choose(form(), QStringLiteral("Combo1"), QStringLiteral("PUNJAB"));
        QCOMPARE(entries(form(), QStringLiteral("Combo2")), support::strings({"AMRITSAR"}));
        QCOMPARE(support::sortedEntries(form(), QStringLiteral("Combo3")),
                 support::strings({"EDAPPALLY", "VYTILLA"}));
    }

    void siteDetailsShowTheRowReadLast() {
        narrowTo("KERALA", "KOCHI", "EDAPPALLY");
        choose(form(), QStringLiteral("Combo4"), QStringLiteral("EDAPPALLY"));
        QCOMPARE(textOf(form(), QStringLiteral("Label1")), QStringLiteral("SERVICE: BBOWIFI"));
        QCOMPARE(textOf(form(), QStringLiteral("Label2")), QStringLiteral("IP: 10.1.1.2"));
        QCOMPARE(textOf(form(), QStringLiteral("Label3")), QStringLiteral("OUTER VLAN : 1234"));
        QCOMPARE(textOf(form(), QStringLiteral("Label10")), QStringLiteral(" 17 "));
        QCOMPARE(fixture::stateColour(form()), green);
    }

    void theColourFollowsTheExactWordUp_data() {
        QTest::addColumn<QString>("live");
        QTest::addColumn<QColor>("colour");
        QTest::addRow("up with blanks") << QStringLiteral(" UP  ") << green;
        QTest::addRow("lower case") << QStringLiteral("up") << red;
        QTest::addRow("down") << QStringLiteral("DOWN") << red;
        QTest::addRow("nothing") << QString() << red;
    }
    void theColourFollowsTheExactWordUp() {
        QFETCH(QString, live);
        QFETCH(QColor, colour);
        m_ctx->db().exec(QStringLiteral("UPDATE af_site SET LIVE=?"), {live});
        narrowTo("KERALA", "KOCHI", "EDAPPALLY");
        choose(form(), QStringLiteral("Combo4"), QStringLiteral("EDAPPALLY"));
        QCOMPARE(fixture::stateColour(form()), colour);
    }

    void lookupOfAClosedTicketFillsTheScreenWithoutReloadingLists() {
        choose(form(), QStringLiteral("Combo1"), QStringLiteral("PUNJAB"));
        lookUp(QStringLiteral("5"));
        QCOMPARE(textOf(form(), QStringLiteral("Combo1")), QStringLiteral("KERALA"));
        QCOMPARE(textOf(form(), QStringLiteral("Combo2")), QStringLiteral("KOCHI"));
        QCOMPARE(textOf(form(), QStringLiteral("Combo3")), QStringLiteral("VYTILLA"));
        QCOMPARE(fixture::historyOf(form()),
                 QStringLiteral("1-Dec-21 9:0 AM FAULT OPEN BY: RAVI\nFAULT: AP DOWN"));
        QCOMPARE(textOf(form(), QStringLiteral("Label3")), QStringLiteral("TUNNEL ID : 5678"));
        QCOMPARE(textOf(form(), QStringLiteral("Combo4")), QStringLiteral("VYT-AP"));
        QCOMPARE(textOf(form(), QStringLiteral("Label1")), QStringLiteral("BNG: BNG-KOCHI"));
        QCOMPARE(textOf(form(), QStringLiteral("Label2")), QStringLiteral("IP: 100.64.0.11"));
        // "up" in lower case is down.
        QCOMPARE(fixture::stateColour(form()), red);
        QCOMPARE(entries(form(), QStringLiteral("Combo2")), support::strings({"AMRITSAR"}));
        QCOMPARE(fixture::gridIds(form()), support::strings({"9"}));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    void enterInTheFtBoxLooksUpAndAClickEmptiesIt() {
        support::type(form(), QStringLiteral("Text1"), QStringLiteral("7"));
        support::pressEnter(form(), QStringLiteral("Text1"));
        QCOMPARE(textOf(form(), QStringLiteral("Label3")), QStringLiteral("TUNNEL ID : 1234"));
        QCOMPARE(fixture::stateColour(form()), green);
        QTest::mouseClick(support::find<QLineEdit>(form(), QStringLiteral("Text1")),
                          Qt::LeftButton);
        QCOMPARE(textOf(form(), QStringLiteral("Text1")), QString());
        QCOMPARE(fixture::historyOf(form()), QString());
    }

    void aLookupThatFindsNothingChangesNothing_data() {
        QTest::addColumn<QString>("ft");
        QTest::addRow("no such ticket") << QStringLiteral("999");
        QTest::addRow("apostrophe") << QStringLiteral("7'");
        QTest::addRow("initial text") << QStringLiteral("ENTER FT");
    }
    void aLookupThatFindsNothingChangesNothing() {
        QFETCH(QString, ft);
        lookUp(QStringLiteral("7"));
        lookUp(ft);
        QCOMPARE(textOf(form(), QStringLiteral("Combo3")), QStringLiteral("EDAPPALLY"));
        QCOMPARE(textOf(form(), QStringLiteral("Label3")), QStringLiteral("TUNNEL ID : 1234"));
        QCOMPARE(fixture::stateColour(form()), green);
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    void contactLinksFillTheContactScreens() {
        narrowTo("KERALA", "KOCHI", "EDAPPALLY");
        support::clickLabel(form(), QStringLiteral("Label5"));
        QWidget* circle = m_ctx->screens().find(QStringLiteral("Form10"));
        QVERIFY(circle);
        QCOMPARE(circle->windowTitle(), QStringLiteral("CIRCLE DETAILS"));
        QStringList shown;
        for (int i = 1; i <= 7; ++i)
            shown << textOf(circle, QStringLiteral("Text%1").arg(i));
        QCOMPARE(shown, support::strings({"KERALA", "ANIL", "98000 00005", "head@zel.in", "MOHAN",
                                          "9811100000", "cgm@vuva.in"}));

        support::clickLabel(form(), QStringLiteral("Label6"));
        QWidget* ssa = m_ctx->screens().find(QStringLiteral("Form11"));
        QVERIFY(ssa);
        QCOMPARE(ssa->windowTitle(), QStringLiteral("SSA CONTACT DETAILS OF ZEL AND VUVA TEAM"));
        shown.clear();
        for (int i = 1; i <= 10; ++i)
            shown << textOf(ssa, QStringLiteral("Text%1").arg(i));
        QCOMPARE(shown, support::strings({"KERALA", "KOCHI", "RAJ", "9800000001", "9800000002",
                                          "sde.bb@vuva.in", "9800000003", "sde.tx@vuva.in",
                                          "9800000004", "gm@vuva.in"}));

        // A circle without a row: the same window, the name changes, the rest stays.
        support::type(form(), QStringLiteral("Combo1"), QStringLiteral("DELHI"));
        support::clickLabel(form(), QStringLiteral("Label5"));
        QCOMPARE(m_ctx->screens().find(QStringLiteral("Form10")), circle);
        QCOMPARE(textOf(circle, QStringLiteral("Text1")), QStringLiteral("DELHI"));
        QCOMPARE(textOf(circle, QStringLiteral("Text2")), QStringLiteral("ANIL"));
    }

    void theEquipmentLinkReadsTheTunnelIdFromTheLabel_data() {
        QTest::addColumn<bool>("byLookup");
        QTest::addRow("after a ticket lookup") << true;
        QTest::addRow("after site details") << false;
    }
    void theEquipmentLinkReadsTheTunnelIdFromTheLabel() {
        QFETCH(bool, byLookup);
        if (byLookup) {
            lookUp(QStringLiteral("7"));
        } else {
            narrowTo("KERALA", "KOCHI", "EDAPPALLY");
            choose(form(), QStringLiteral("Combo4"), QStringLiteral("EDAPPALLY"));
        }
        support::clickLabel(form(), QStringLiteral("Label8"));
        QWidget* equipment = m_ctx->screens().find(QStringLiteral("Form12"));
        QVERIFY(equipment);
        QStringList shown;
        for (const char* name :
             {"Text1", "Combo1", "Combo2", "Text3", "Combo3", "Combo4", "Text2", "Combo5", "Combo6",
              "Combo7", "Text5", "Text6", "Combo8", "Combo9", "Text4"})
            shown << textOf(equipment, QString::fromLatin1(name));
        QCOMPARE(shown,
                 support::strings({"1234", "KERALA", "KOCHI", "EDAPPALLY-AP1", "BNG-KOCHI",
                                   "100.64.0.10", "EDAPPALLY", "AP SECTOR", "ACTIVE", "OCLAN",
                                   "10.9.9.9", "Gi0/1", "GE OPTICAL", "VIA VUVA TX MEDIA", "17"}));
    }

    void theEquipmentLinkWithoutTunnelIdShowsTheRecordAsItWas() {
        lookUp(QStringLiteral("7"));
        support::clickLabel(form(), QStringLiteral("Label8"));
        // A site choice empties the label; the record keeps what it showed.
        narrowTo("KERALA", "KOCHI", "VYTILLA");
        m_ctx->db().exec(QStringLiteral("DELETE FROM bts"));
        support::clickLabel(form(), QStringLiteral("Label8"));
        QWidget* equipment = m_ctx->screens().find(QStringLiteral("Form12"));
        QVERIFY(equipment);
        QCOMPARE(textOf(equipment, QStringLiteral("Text1")), QStringLiteral("1234"));
        QCOMPARE(textOf(equipment, QStringLiteral("Text2")), QStringLiteral("EDAPPALLY"));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }
};

QTEST_MAIN(TestSiteFault)
#include "tst_site_fault.moc"
