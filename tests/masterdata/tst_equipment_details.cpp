#include "masterdata/equipment_details_form.h"
#include "support/strings.h"
#include "support/test_context.h"
#include "support/widgets.h"

#include <QTest>

using Shown = support::ScriptedDialogs::Shown;
using support::choose;
using support::entries;
using support::textOf;

namespace {

const QString noc = QStringLiteral("ZEL NOC");

const char* const slot = "INSERT INTO bts (ID, CIRCLE, SSA, SSID, BNG, IP, SITE_NAME, "
                         "EQUIPMENT_TYPE, STATUS, VUVA_EQ, VUVA_IP, VUVA_PORT, VUVA_PORT_TYPE, "
                         "LMMP, [user], LIVE, CLUSTER) VALUES (?, ?, 'NA', 'NA', ?, ?, ?, 'NA', "
                         "'INACTIVE', 'NA', 'NA', 'NA', 'NA', 'NA', '0', 'DOWN', 'C1')";

} // namespace

class TestEquipmentDetails : public QObject {
    Q_OBJECT

    std::unique_ptr<support::TestContext> m_ctx;
    std::unique_ptr<masterdata::EquipmentDetailsForm> m_form;

    QWidget* form() { return m_form.get(); }
    QString row(const char* id) const {
        return m_ctx->db()
            .rows(QStringLiteral("SELECT * FROM bts WHERE ID=?"), {QString::fromLatin1(id)})
            .value(0);
    }
    void pickFreeSlot() {
        choose(form(), QStringLiteral("Combo1"), QStringLiteral("KERALA"));
        choose(form(), QStringLiteral("Combo2"), QStringLiteral("KOCHI"));
        choose(form(), QStringLiteral("Combo3"), QStringLiteral("BNG-A"));
        choose(form(), QStringLiteral("Combo4"), QStringLiteral("100.64.0.2"));
    }
    void fillDetails() {
        support::type(form(), QStringLiteral("Text2"), QStringLiteral("O'NEIL ROAD"));
        support::type(form(), QStringLiteral("Text3"), QStringLiteral("ONEIL-AP"));
        support::type(form(), QStringLiteral("Text4"), QStringLiteral("12"));
        support::type(form(), QStringLiteral("Text5"), QStringLiteral("10.9.9.1"));
        support::type(form(), QStringLiteral("Text6"), QStringLiteral("Gi0/4"));
        choose(form(), QStringLiteral("Combo5"), QStringLiteral("P2P"));
        choose(form(), QStringLiteral("Combo6"), QStringLiteral("ACTIVE"));
        choose(form(), QStringLiteral("Combo7"), QStringLiteral("ONU/OLT"));
        choose(form(), QStringLiteral("Combo8"), QStringLiteral("GE ELECTRICAL"));
        choose(form(), QStringLiteral("Combo9"), QStringLiteral("ZEL WIRELESS P2P"));
    }

private slots:
    void init() {
        m_ctx = std::make_unique<support::TestContext>();
        const support::TestDb& db = m_ctx->db();
        db.exec(QStringLiteral("INSERT INTO circle (circle) VALUES (' KERALA '), ('PUNJAB')"));
        db.exec(QStringLiteral("INSERT INTO ssa (circle, SSA) VALUES ('KERALA', ' KOCHI '), "
                               "('KERALA', 'TRIVANDRUM'), ('PUNJAB', 'AMRITSAR')"));
        const QString insert = QString::fromLatin1(slot);
        db.exec(insert, {QStringLiteral("101"), QStringLiteral("KERALA"), QStringLiteral("BNG-A"),
                         QStringLiteral("100.64.0.1"), QStringLiteral("NA")});
        db.exec(insert, {QStringLiteral("102"), QStringLiteral("KERALA"), QStringLiteral("BNG-A"),
                         QStringLiteral("100.64.0.2"), QStringLiteral("NA")});
        db.exec(insert, {QStringLiteral("103"), QStringLiteral("KERALA"), QStringLiteral("BNG-A"),
                         QStringLiteral("100.64.0.3"), QStringLiteral("EDAPPALLY")});
        db.exec(insert, {QStringLiteral("201"), QStringLiteral("KERALA"), QStringLiteral("BNG-B"),
                         QStringLiteral("100.65.0.1"), QStringLiteral("VYTILLA")});
        db.exec(insert, {QStringLiteral("301"), QStringLiteral("PUNJAB"), QStringLiteral("BNG-P"),
                         QStringLiteral("100.66.0.1"), QStringLiteral("NA")});
        m_form = std::make_unique<masterdata::EquipmentDetailsForm>(m_ctx->app());
    }
    void cleanup() {
        m_form.reset();
        m_ctx.reset();
    }

    void openingFillsTheFixedListsAndTheCircles() {
        QCOMPARE(form()->windowTitle(), QStringLiteral("EQUIPMENT DETAILS"));
        QCOMPARE(support::sortedEntries(form(), QStringLiteral("Combo1")),
                 support::strings({"KERALA", "PUNJAB"}));
        QCOMPARE(entries(form(), QStringLiteral("Combo5")),
                 support::strings({"AP SECTOR", "ROUTER", "P2P", "AP OMNI"}));
        QCOMPARE(entries(form(), QStringLiteral("Combo6")),
                 support::strings({"ACTIVE", "INACTIVE"}));
        QCOMPARE(entries(form(), QStringLiteral("Combo7")),
                 support::strings({"OCLAN", "DSLAM", "TYRE-1", "TYRE-2", "ONU/OLT"}));
        QCOMPARE(entries(form(), QStringLiteral("Combo8")),
                 support::strings({"FE ELECTRICAL", "FE OPTICAL", "GE ELECTRICAL", "GE OPTICAL"}));
        QCOMPARE(entries(form(), QStringLiteral("Combo9")),
                 support::strings({"DIRECT FROM VUVA PORT", "VIA VUVA TX MEDIA", "ZEL WIRELESS P2P",
                                   "VUVA FTTH"}));
    }

    void theFreeSlotCascade() {
        pickFreeSlot();
        QCOMPARE(support::sortedEntries(form(), QStringLiteral("Combo2")),
                 support::strings({"KOCHI", "TRIVANDRUM"}));
        // The circle's BNGs, whatever the SSA; only free addresses.
        QCOMPARE(support::sortedEntries(form(), QStringLiteral("Combo3")),
                 support::strings({"BNG-A", "BNG-B"}));
        QCOMPARE(support::sortedEntries(form(), QStringLiteral("Combo4")),
                 support::strings({"100.64.0.1", "100.64.0.2"}));
        QCOMPARE(textOf(form(), QStringLiteral("Text1")), QStringLiteral("102"));

        choose(form(), QStringLiteral("Combo3"), QStringLiteral("BNG-B"));
        QCOMPARE(entries(form(), QStringLiteral("Combo4")), QStringList());

        // A new circle clears the SSA list only.
        choose(form(), QStringLiteral("Combo1"), QStringLiteral("PUNJAB"));
        QCOMPARE(entries(form(), QStringLiteral("Combo2")), support::strings({"AMRITSAR"}));
        QCOMPARE(support::sortedEntries(form(), QStringLiteral("Combo3")),
                 support::strings({"BNG-A", "BNG-B"}));
        QCOMPARE(textOf(form(), QStringLiteral("Text1")), QStringLiteral("102"));
    }

    void allocatingAFreeSlot() {
        pickFreeSlot();
        fillDetails();
        m_ctx->dialogs().answer(true);
        support::click(form(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().shown().last(),
                 (Shown{QStringLiteral("DATA UPDATED SUCCESSFULLY"), noc, ui::Icon::Information,
                        false}));
        // Circle, BNG and IP belong to the slot and stay.
        QCOMPARE(row("102"), QStringLiteral("102|KERALA|KOCHI|ONEIL-AP|BNG-A|100.64.0.2|O'NEIL "
                                            "ROAD|P2P|ACTIVE|ONU/OLT|10.9.9.1|Gi0/4|GE "
                                            "ELECTRICAL|ZEL WIRELESS P2P|12|DOWN|C1"));
        choose(form(), QStringLiteral("Combo3"), QStringLiteral("BNG-A"));
        QCOMPARE(entries(form(), QStringLiteral("Combo4")), support::strings({"100.64.0.1"}));
    }

    void aSlotTakenMeanwhileIsNotOverwritten() {
        pickFreeSlot();
        fillDetails();
        m_ctx->db().exec(QStringLiteral("UPDATE bts SET SITE_NAME='KAKKANAD' WHERE ID='102'"));
        const QString taken = row("102");
        m_ctx->dialogs().answer(true);
        support::click(form(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().shown().last(),
                 (Shown{QStringLiteral("TUNNEL ID 102 IS NO LONGER FREE"), noc,
                        ui::Icon::Exclamation, false}));
        QCOMPARE(row("102"), taken);
    }

    void editingASiteRecord_data() {
        QTest::addColumn<QString>("tunnelId");
        QTest::addColumn<QString>("message");
        QTest::addRow("its row") << QStringLiteral("103")
                                 << QStringLiteral("DATA UPDATED SUCCESSFULLY");
        QTest::addRow("no such row")
            << QStringLiteral("999") << QStringLiteral("NO EQUIPMENT WITH TUNNEL ID 999");
    }
    void editingASiteRecord() {
        QFETCH(QString, tunnelId);
        QFETCH(QString, message);
        // As the site fault screen opens it, even right after a free pick.
        pickFreeSlot();
        m_form->showEquipment(
            tunnelId, support::strings({"KERALA", "KOCHI", "EDP-AP", "BNG-A", "100.64.0.3",
                                        "EDAPPALLY", "AP SECTOR", "ACTIVE", "OCLAN", "10.9.9.9",
                                        "Gi0/1", "GE OPTICAL", "VIA VUVA TX MEDIA", "17"}));
        support::type(form(), QStringLiteral("Text2"), QStringLiteral("EDAPPALLY NORTH"));
        m_ctx->dialogs().answer(true);
        support::click(form(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().last(), message);
        if (tunnelId == QLatin1String("103"))
            QCOMPARE(row("103"), QStringLiteral("103|KERALA|KOCHI|EDP-AP|BNG-A|100.64.0.3|"
                                                "EDAPPALLY NORTH|AP SECTOR|ACTIVE|OCLAN|10.9.9.9|"
                                                "Gi0/1|GE OPTICAL|VIA VUVA TX MEDIA|17|DOWN|C1"));
    }

    void answeringNoWritesNothing() {
        pickFreeSlot();
        fillDetails();
        const QString before = row("102");
        m_ctx->dialogs().answer(false);
        support::click(form(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().texts(), support::strings({"ARE YOU SURE TO UPDATE"}));
        QCOMPARE(row("102"), before);
    }
};

QTEST_MAIN(TestEquipmentDetails)
#include "tst_equipment_details.moc"
