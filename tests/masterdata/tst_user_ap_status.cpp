#include "db/db_settings.h"
#include "db/error.h"
#include "masterdata/status_tally.h"
#include "masterdata/user_ap_status_form.h"
#include "support/strings.h"
#include "support/test_context.h"
#include "support/widgets.h"
#include "ui/query_grid.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QTest>

namespace {

// Active named sites: NORTH has AIRPORT (SSA1), MALL (SSA2, an OLT) and PARK
// (SSA1); SOUTH has BEACH (an OLT). A free slot and an inactive site are
// never listed.
void addSites(const support::TestDb& db) {
    db.exec(QStringLiteral(
        "INSERT INTO bts (ID, CIRCLE, SSA, SITE_NAME, EQUIPMENT_TYPE, STATUS) VALUES "
        "('1', 'NORTH', 'SSA1', 'PARK', 'AP SECTOR', 'ACTIVE'), "
        "('2', 'NORTH', 'SSA2', 'MALL', 'OLT', 'ACTIVE'), "
        "('3', 'NORTH', 'SSA1', 'NA', 'OLT', 'ACTIVE'), "
        "('4', 'NORTH', 'SSA1', 'ZOO', 'ROUTER', 'INACTIVE'), "
        "('5', 'SOUTH', 'SSA3', 'BEACH', 'OLT', 'ACTIVE'), "
        "('6', 'NORTH', 'SSA1', 'AIRPORT', 'P2P', 'ACTIVE')"));
    db.exec(QStringLiteral("INSERT INTO circle (circle) VALUES (' NORTH '), ('SOUTH')"));
    db.exec(QStringLiteral(
        "INSERT INTO ssa (circle, SSA) VALUES ('NORTH', ' SSA1 '), ('NORTH', 'SSA2')"));
}

// FTTH in NORTH: one of each state, one "Active" and one without a status;
// one more FTTH subscriber in SOUTH without a policy; two not on FTTH.
void addSubscribers(const support::TestDb& db) {
    db.exec(QStringLiteral("INSERT INTO cdata (ID, circle, ssa, SERVICE, status, policy) VALUES "
                           "('a1', 'NORTH', 'SSA1', 'FTTH', 'active', 'Vuva_Active'), "
                           "('a2', 'NORTH', 'SSA1', 'FTTH', 'active', 'Vuva_Susp '), "
                           "('a3', 'NORTH', 'SSA2', 'FTTH', 'Active', 'Vuva_Active'), "
                           "('a4', 'NORTH', 'SSA2', 'FTTH', 'inactive', NULL), "
                           "('a5', 'NORTH', 'SSA1', 'FTTH', 'MarkedForDeletion', 'x'), "
                           "('a6', 'NORTH', 'SSA1', 'FTTH', 'DELETED', 'x'), "
                           "('a7', 'NORTH', 'SSA1', 'FTTH', NULL, 'x'), "
                           "('b1', 'NORTH', 'SSA1', 'BBOWIFI', 'active', 'Vuva_Active'), "
                           "('b2', 'SOUTH', 'SSA3', 'AF', 'active', 'Vuva_Active'), "
                           "('c1', 'SOUTH', 'SSA3', 'FTTH', 'active', NULL)"));
}

std::optional<QString> value(const QVariant& v) {
    return v.isNull() ? std::nullopt : std::optional<QString>(v.toString());
}

// "total active inactive suspended mfd deleted"
QString counts(const masterdata::StatusTally& t) {
    return QStringLiteral("%1 %2 %3 %4 %5 %6")
        .arg(t.total)
        .arg(t.active)
        .arg(t.inactive)
        .arg(t.suspended)
        .arg(t.markedForDeletion)
        .arg(t.deleted);
}

} // namespace

class TestUserApStatus : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_ctx = std::make_unique<support::TestContext>();
        addSites(m_ctx->db());
        addSubscribers(m_ctx->db());
        m_form = std::make_unique<masterdata::UserApStatusForm>(m_ctx->app());
    }
    void cleanup() {
        m_form.reset();
        m_ctx.reset();
    }

    void opensWithCirclesAndServices() {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("USER AND AP STATUS"));
        QCOMPARE(support::entries(form(), QStringLiteral("Combo1")),
                 support::strings({"NORTH", "SOUTH"}));
        QCOMPARE(support::entries(form(), QStringLiteral("Combo3")),
                 support::strings({"FTTH", "BBOWIFI"}));
        QCOMPARE(texts({"Combo1", "Combo2", "Combo3", "Label3", "Label4", "Label5", "Label6",
                        "Label7", "Label8"}),
                 support::strings({"SELECT CIRCLE", "SELECT SSA", "SERVICE", "ALL USER", "ACTIVE",
                                   "INACTIVE", "SUSPENDED", "MFD", "DELETED"}));
    }

    // Each test of a row stands alone and compares exactly; the policy is
    // read without blanks at its ends, and a missing value passes no test
    // that looks at it.
    void tally_data() {
        QTest::addColumn<QVariant>("status");
        QTest::addColumn<QVariant>("policy");
        QTest::addColumn<QString>("counts");
        const QVariant null;
        const auto t = [](const char* s) { return QVariant(QString::fromUtf8(s)); };
        QTest::addRow("active") << t("active") << t("Vuva_Active") << "1 1 0 0 0 0";
        QTest::addRow("suspended, blank after") << t("active") << t("Vuva_Susp ") << "1 0 0 1 0 0";
        QTest::addRow("suspended, blank before") << t("active") << t(" Vuva_Susp") << "1 0 0 1 0 0";
        QTest::addRow("policy in another case") << t("active") << t("vuva_susp") << "1 1 0 0 0 0";
        QTest::addRow("Active") << t("Active") << t("Vuva_Active") << "1 0 0 0 0 0";
        QTest::addRow("active without policy") << t("active") << null << "1 0 0 0 0 0";
        QTest::addRow("active, empty policy") << t("active") << t("") << "1 1 0 0 0 0";
        QTest::addRow("inactive without policy") << t("inactive") << null << "1 0 1 0 0 0";
        QTest::addRow("DELETED") << t("DELETED") << t("x") << "1 0 0 0 0 1";
        QTest::addRow("deleted") << t("deleted") << t("x") << "1 0 0 0 0 0";
        QTest::addRow("MarkedForDeletion") << t("MarkedForDeletion") << null << "1 0 0 0 1 0";
        QTest::addRow("status with a blank") << t("active ") << t("x") << "1 0 0 0 0 0";
        QTest::addRow("no status") << null << t("Vuva_Susp") << "1 0 0 0 0 0";
    }
    void tally() {
        QFETCH(QVariant, status);
        QFETCH(QVariant, policy);
        masterdata::StatusTally t;
        t.add(value(status), value(policy));
        QTEST(counts(t), "counts");
    }

    // Sites come in name order for a circle or SSA; the service lists leave
    // the order open. The counts follow the scope of the latest choice.
    void choices_data() {
        QTest::addColumn<QStringList>("picks");
        QTest::addColumn<QStringList>("sites");
        QTest::addColumn<bool>("ordered");
        QTest::addColumn<QStringList>("labels");
        const auto labels = [](int all, int active, int inactive, int susp, int mfd, int del) {
            return QStringList{QStringLiteral("ALL USER: %1").arg(all),
                               QStringLiteral("ACTIVE: %1").arg(active),
                               QStringLiteral("INACTIVE: %1").arg(inactive),
                               QStringLiteral("SUSPENDED: %1").arg(susp),
                               QStringLiteral("MFD: %1").arg(mfd),
                               QStringLiteral("DELETED: %1").arg(del)};
        };
        QTest::addRow("circle before a service")
            << support::strings({"Combo1=NORTH"}) << support::strings({"AIRPORT", "MALL", "PARK"})
            << true << labels(0, 0, 0, 0, 0, 0);
        QTest::addRow("service, then circle")
            << support::strings({"Combo3=FTTH", "Combo1=NORTH"})
            << support::strings({"AIRPORT", "MALL", "PARK"}) << true << labels(7, 1, 1, 1, 1, 1);
        QTest::addRow("then SSA") << support::strings(
                                         {"Combo3=FTTH", "Combo1=NORTH", "Combo2=SSA1"})
                                  << support::strings({"AIRPORT", "PARK"}) << true
                                  << labels(5, 1, 0, 1, 1, 1);
        QTest::addRow("FTTH network-wide")
            << support::strings({"Combo1=NORTH", "Combo3=FTTH"})
            << support::strings({"BEACH", "MALL"}) << false << labels(8, 1, 1, 1, 1, 1);
        QTest::addRow("BBOWIFI network-wide")
            << support::strings({"Combo3=BBOWIFI"})
            << support::strings({"AIRPORT", "BEACH", "MALL", "PARK"}) << false
            << labels(2, 2, 0, 0, 0, 0);
        QTest::addRow("circle again after another service")
            << support::strings({"Combo3=FTTH", "Combo1=NORTH", "Combo3=BBOWIFI", "Combo1=NORTH"})
            << support::strings({"AIRPORT", "MALL", "PARK"}) << true << labels(1, 1, 0, 0, 0, 0);
    }
    void choices() {
        QFETCH(QStringList, picks);
        QFETCH(QStringList, sites);
        QFETCH(bool, ordered);
        QFETCH(QStringList, labels);
        for (const QString& pick : picks)
            support::choose(form(), pick.section(QLatin1Char('='), 0, 0),
                            pick.section(QLatin1Char('='), 1));
        const auto* grid = support::find<ui::QueryGrid>(form(), QStringLiteral("MSHFlexGrid1"));
        QCOMPARE(grid->gridModel().columns().value(6), QStringLiteral("SITE_NAME"));
        QStringList shown;
        for (int row = 0; row < grid->gridModel().rowCount(); ++row)
            shown << grid->cellText(row, 6);
        if (!ordered)
            shown.sort();
        QCOMPARE(shown, sites);
        QCOMPARE(texts({"Label3", "Label4", "Label5", "Label6", "Label7", "Label8"}), labels);
        if (picks.first() == QLatin1String("Combo1=NORTH"))
            QCOMPARE(support::entries(form(), QStringLiteral("Combo2")),
                     support::strings({"SSA1", "SSA2"}));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    void exportHandsTheSitesOver() {
        support::choose(form(), QStringLiteral("Combo3"), QStringLiteral("FTTH"));
        support::click(form(), QStringLiteral("Command1"));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
        QCOMPARE(m_ctx->programs().started().size(), 1);
        const QString workbook = m_ctx->programs().started().first().url.toLocalFile();
        QVERIFY(QFile::exists(workbook));
        QFile::remove(workbook);
        const QStringList rows = QGuiApplication::clipboard()->text().split(QLatin1Char('\r'));
        QCOMPARE(rows.size(), 3);
        QVERIFY(rows.first().startsWith(QStringLiteral("ID\tCIRCLE\tSSA\t")));
    }

    // The site grid's own server: the configured database with SQLite, the
    // third server with SQL Server, which has no default.
    void statusServer() {
        db::DbSettings sqlite = m_ctx->db().settings();
        QCOMPARE(db::statusServerSettings(sqlite).sqlitePath, sqlite.sqlitePath);

        db::DbSettings server;
        server.backend = db::Backend::SqlServer;
        server.primaryServer = QStringLiteral("10.0.0.1");
        server.secondaryServer = QStringLiteral("10.0.0.2");
        server.statusServer = QStringLiteral("10.0.0.3");
        server.configPath = QStringLiteral("/etc/zelcrm.ini");
        QCOMPARE(db::statusServerSettings(server).primaryServer, QStringLiteral("10.0.0.3"));

        server.statusServer.clear();
        try {
            db::statusServerSettings(server);
            QFAIL("a missing status server was accepted");
        } catch (const db::Error& e) {
            QVERIFY2(e.message().contains(QLatin1String("status_server")) &&
                         e.message().contains(QLatin1String("/etc/zelcrm.ini")),
                     qPrintable(e.message()));
        }
    }

private:
    QWidget* form() { return m_form.get(); }
    QStringList texts(std::initializer_list<const char*> names) {
        QStringList out;
        for (const char* name : names)
            out << support::textOf(form(), QString::fromUtf8(name));
        return out;
    }

    std::unique_ptr<support::TestContext> m_ctx;
    std::unique_ptr<masterdata::UserApStatusForm> m_form;
};

QTEST_MAIN(TestUserApStatus)
#include "tst_user_ap_status.moc"
