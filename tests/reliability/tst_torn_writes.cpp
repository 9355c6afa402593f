// Every write that takes more than one statement, failed at each of its
// statements in turn: afterwards each database holds either the whole write
// or nothing of it, and an untouched database never comes with a success
// message.

#include "complaints/complaint_register_form.h"
#include "complaints/register_fixture.h"
#include "db/error.h"
#include "db/screen_db.h"
#include "faults/fault_fixture.h"
#include "faults/sla_board_form.h"
#include "onu/onu_configuration_form.h"
#include "provisioning/customer_record_form.h"
#include "provisioning/inner_vlan_form.h"
#include "provisioning/voice_ip_form.h"
#include "reliability/sweep_scenes.h"
#include "support/db_snapshot.h"
#include "support/http_server.h"
#include "support/test_context.h"
#include "support/widgets.h"

#include <QPlainTextEdit>
#include <QTest>
#include <functional>
#include <memory>

using support::choose;
using support::click;
using support::type;

namespace {

const QString hookFailure = QStringLiteral("failed (test hook)");

using sweep::clickOn;
using sweep::Scene;

// One write, set up afresh for every try.
struct TornCase {
    const char* name;
    std::function<void(Scene&)> setUp; // fixture and screen, ready to act
    std::function<void(Scene&)> act;
    QString success; // what the operator is told when it is stored
    // Two databases that no transaction spans: one may hold the write while
    // the other does not, as long as what the operator was told says which.
    std::function<bool(const QStringList& told, bool primaryHolds)> toldWhichSide = {};
};

// The primary's success message, then the failure that kept the secondary.
bool successThenFailure(const QStringList& told, bool primaryHolds, const QString& success) {
    return primaryHolds && told.size() >= 2 && told.at(told.size() - 2) == success &&
           told.last().contains(QStringLiteral("failed (test hook)"));
}

// --- the screens, each with the rows its write needs -------------------------

void registrationScene(Scene& s) {
    sweep::registrationScene(s);
    QWidget* f = s.form.get();
    type(f, QStringLiteral("Text1"), QStringLiteral("ravi.k@ftth.kerala"));
    type(f, QStringLiteral("Text2"), QStringLiteral("Ravi D'Souza"));
    type(f, QStringLiteral("Text3"), QStringLiteral("9847012345"));
    type(f, QStringLiteral("Text4"), QStringLiteral("12 MG Road, Kakkanad"));
    type(f, QStringLiteral("Text5"), QStringLiteral("00:1E:A6:4B:7C:2D"));
}

// The complaint register with the default subscriber; `lookUp` shows that
// complaint number, otherwise a new complaint is filled in.
void complaintScene(Scene& s, const QString& lookUp, const QString& category = {}) {
    s.server = std::make_unique<support::LocalHttpServer>();
    s.ctx = std::make_unique<support::TestContext>(
        QHash<QString, QString>{{QStringLiteral("services/portal_server"), s.server->hostPort()}});
    s.ctx->session().setSignedInUser(QStringLiteral("NOC1"));
    s.ctx->clock().set(QDateTime(QDate(2021, 12, 5), QTime(10, 15)));
    fixture::network(s.ctx->db());
    fixture::subscriber(s.ctx->db());
    fixture::openComplaint(s.ctx->db());
    fixture::complaint(s.ctx->db(), {{QStringLiteral("id"), QStringLiteral("8")},
                                     {QStringLiteral("user id"), QStringLiteral("kl0000001")},
                                     {QStringLiteral("status"), QStringLiteral("CLOSED")}});
    s.ctx->db().execSecondary(
        QStringLiteral("insert into offline_user (id, LDR, FS) values ('kl0000001', '', 'OPEN')"));
    s.form = std::make_unique<complaints::ComplaintRegisterForm>(s.ctx->app());
    QWidget* f = s.form.get();
    if (lookUp.isEmpty()) {
        // Complaint 7 is taken to be closed meanwhile, so a new one may be logged.
        s.ctx->db().exec(QStringLiteral("update complain set status='CLOSED'"));
        type(f, QStringLiteral("Text1"), QStringLiteral("kl0000001"));
        click(f, QStringLiteral("Command8"));
        choose(f, QStringLiteral("Combo1"), QStringLiteral("SIGNAL WEAK"));
        type(f, QStringLiteral("Text4"), QStringLiteral("9447000009"));
        return;
    }
    type(f, QStringLiteral("Text6"), lookUp);
    support::leave(f, QStringLiteral("Text6"));
    support::find<QPlainTextEdit>(f, QStringLiteral("Text10"))
        ->setPlainText(QStringLiteral("drop wire cut"));
    if (!category.isEmpty())
        type(f, QStringLiteral("Combo2"), category);
}

void selectEdappally(Scene& s) {
    sweep::ticketOpenScene(s);
    QWidget* f = s.form.get();
    choose(f, QStringLiteral("Combo1"), QStringLiteral("KERALA"));
    choose(f, QStringLiteral("Combo2"), QStringLiteral("KOCHI"));
    choose(f, QStringLiteral("Combo3"), QStringLiteral("EDAPPALLY"));
    choose(f, QStringLiteral("Combo4"), QStringLiteral("EDAPPALLY"));
    choose(f, QStringLiteral("Combo5"), QStringLiteral("SITE DOWN"));
    s.ctx->dialogs().answer(true);
}

void ticketSevenScene(Scene& s, const QString& text) {
    selectEdappally(s);
    type(s.form.get(), QStringLiteral("Text1"), QStringLiteral("7"));
    support::leave(s.form.get(), QStringLiteral("Text1"));
    type(s.form.get(), QStringLiteral("Text2"), text);
}

void outageScene(Scene& s) {
    sweep::outageScene(s);
    s.ctx->db().exec(QStringLiteral("INSERT INTO AP_RFO (RFO) VALUES ('POWER')"));
    type(s.form.get(), QStringLiteral("Combo1"), QStringLiteral("POWER"));
    type(s.form.get(), QStringLiteral("Combo2"), QStringLiteral("ZEL"));
}

void macScene(Scene& s) {
    s.ctx = std::make_unique<support::TestContext>();
    const QString olt = QStringLiteral(
        "insert into OLT (circle, SSA, SITE, SERVICE, OUT_VLAN, IN_VLAN, ID, MAC, SN) values "
        "('KERALA', 'ERNAKULAM', 'EKM-OLT', 'FTTH', '1001', '101', 'anil.kumar', "
        "'AA:00:00:00:00:01', 'S1')");
    s.ctx->db().exec(olt);
    s.ctx->db().execSecondary(olt);
    s.form = std::make_unique<onu::OnuConfigurationForm>(s.ctx->app());
    type(s.form.get(), QStringLiteral("Text1"), QStringLiteral("anil.kumar"));
    type(s.form.get(), QStringLiteral("Text10"), QStringLiteral("B8:00:11:22:33:44"));
}

void innerVlanScene(Scene& s) {
    sweep::innerVlanScene(s);
    QWidget* f = s.form.get();
    type(f, QStringLiteral("Text1"), QStringLiteral("ravi.p"));
    type(f, QStringLiteral("Text2"), QStringLiteral("AA:BB:CC:DD:EE:FF"));
}

void voiceIpScene(Scene& s) {
    sweep::voiceIpScene(s);
    type(s.form.get(), QStringLiteral("Text1"), QStringLiteral("9822000002"));
}

const QList<TornCase>& tornCases() {
    static const QList<TornCase> cases{
        {"registration", registrationScene, clickOn("Command1"),
         QStringLiteral("DATA SUBMITTED SUCCESSFULY")},
        {"complaint submit", [](Scene& s) { complaintScene(s, QString()); }, clickOn("Command1"),
         QStringLiteral("Complain Submitted Successfully with Complain No9")},
        {"complaint update, wire down",
         [](Scene& s) { complaintScene(s, QStringLiteral("7"), QStringLiteral("WIRE DOWN")); },
         clickOn("Command2"), QStringLiteral("COMPLAINT UPDATED"),
         [](const QStringList& told, bool primaryHolds) {
             return successThenFailure(told, primaryHolds, QStringLiteral("COMPLAINT UPDATED"));
         }},
        {"complaint close", [](Scene& s) { complaintScene(s, QStringLiteral("7")); },
         clickOn("Command3"), QStringLiteral("CLOSED SUCCESSFULLY")},
        {"ticket open", selectEdappally, clickOn("Command1"),
         QStringLiteral("Fault Submitted Successfully with FT No10")},
        {"ticket update", [](Scene& s) { ticketSevenScene(s, QStringLiteral("fibre spliced")); },
         clickOn("Command2"), QStringLiteral("SEND REMINDER TO VUVA")},
        {"ticket close", [](Scene& s) { ticketSevenScene(s, QStringLiteral("power restored")); },
         clickOn("Command4"), QString()},
        {"outage close", outageScene, clickOn("Command1"), QString()},
        {"inner VLAN assignment", innerVlanScene, clickOn("Command1"),
         QStringLiteral("INNER VLAN UPDATED")},
        {"voice IP assignment", voiceIpScene, clickOn("Command1"),
         QStringLiteral("VOICE IP UPDATED")},
        {"subscriber voice IP",
         [](Scene& s) {
             complaintScene(s, QString());
             type(s.form.get(), QStringLiteral("Text20"), QStringLiteral("10.9.9.9"));
         },
         clickOn("Command10"), QStringLiteral("DATA UPDATED")},
        {"MAC update on two databases", macScene, clickOn("Command14"),
         QStringLiteral("MAC UPDATED"),
         [](const QStringList& told, bool primaryHolds) {
             const QString held = primaryHolds ? QStringLiteral("MAIN") : QStringLiteral("SECOND");
             const QString lost = primaryHolds ? QStringLiteral("SECOND") : QStringLiteral("MAIN");
             const QStringList lines =
                 told.size() == 1 ? told.first().split(QLatin1Char('\n')) : QStringList();
             const QString updated = QStringLiteral("MAC UPDATED ON THE %1 DATABASE").arg(held);
             const QString failed =
                 QStringLiteral("MAC NOT UPDATED ON THE %1 DATABASE: ").arg(lost);
             return lines.size() == 2 && lines.contains(updated) &&
                    std::any_of(lines.begin(), lines.end(),
                                [&](const QString& l) { return l.startsWith(failed); });
         }},
    };
    return cases;
}

struct Stored {
    QStringList primary;
    QStringList secondary;
};

Stored stored(const Scene& s) {
    return {support::snapshot(s.ctx->db()), support::snapshotSecondary(s.ctx->db())};
}

void tearDown(Scene& s) {
    s.ctx->screens().closeAll();
    s.form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestTornWrites : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { db::testing::failStatement(0); }

    // The connection stays open when another action shares it, so a failed
    // commit must still be undone by the rollback that follows it.
    void aFailedCommitIsRolledBackOnTheOpenConnection() {
        support::TestContext ctx;
        db::ScreenDb screen(ctx.db().settings());
        screen.open();
        screen.begin(true);
        screen.execute(QStringLiteral("insert into engineer values ('Anil', '9400000001', 'EKM')"));
        db::testing::failStatement(1);
        QVERIFY_THROWS_EXCEPTION(db::Error, screen.commit());
        screen.rollback();
        screen.begin(true);
        screen.execute(QStringLiteral("insert into engineer values ('Biju', '9400000002', 'EKM')"));
        screen.commit();
        screen.close();
        QCOMPARE(ctx.db().rows(QStringLiteral("select Engineer from engineer")),
                 QStringList{QStringLiteral("Biju")});
    }

    void aFailedStatementLeavesAllOrNothing_data() {
        QTest::addColumn<int>("index");
        for (int i = 0; i < tornCases().size(); ++i)
            QTest::addRow("%s", tornCases().at(i).name) << i;
    }
    void aFailedStatementLeavesAllOrNothing() {
        QFETCH(int, index);
        const TornCase& c = tornCases().at(index);

        // The whole write, undisturbed, is what "fully written" means.
        Scene clean;
        c.setUp(clean);
        const Stored before = stored(clean);
        db::testing::failStatement(0);
        c.act(clean);
        const int statements = db::testing::statementsRun();
        const Stored whole = stored(clean);
        QVERIFY2(whole.primary != before.primary, "the write stored nothing");
        if (!c.success.isEmpty())
            QVERIFY(clean.ctx->dialogs().texts().contains(c.success));
        tearDown(clean);

        for (int n = 1; n <= statements; ++n) {
            Scene s;
            c.setUp(s);
            db::testing::failStatement(n);
            c.act(s);
            db::testing::failStatement(0);
            const Stored after = stored(s);
            const QStringList told = s.ctx->dialogs().texts();
            const QByteArray where = QByteArray("statement ") + QByteArray::number(n) + " of " +
                                     QByteArray::number(statements) +
                                     ", told: " + told.join(QStringLiteral(" / ")).toUtf8();
            const bool primaryUntouched = after.primary == before.primary;
            const bool secondaryUntouched = after.secondary == before.secondary;
            QVERIFY2(primaryUntouched || after.primary == whole.primary, where.constData());
            QVERIFY2(secondaryUntouched || after.secondary == whole.secondary, where.constData());
            const bool secondaryWritten = whole.secondary != before.secondary;
            if (primaryUntouched && (secondaryUntouched || !secondaryWritten)) {
                // Nothing stored: the operator hears of the failure, never of success.
                QVERIFY2(std::any_of(told.begin(), told.end(),
                                     [](const QString& t) { return t.contains(hookFailure); }),
                         where.constData());
                if (!c.success.isEmpty())
                    QVERIFY2(!told.contains(c.success), where.constData());
            } else if (secondaryWritten && primaryUntouched != secondaryUntouched) {
                // One side holds it: only where no transaction spans both, and told which.
                QVERIFY2(c.toldWhichSide && c.toldWhichSide(told, secondaryUntouched),
                         where.constData());
            }
            tearDown(s);
        }
        qInfo("%s: %d statements, each failed in turn, half-written 0", c.name, statements);
    }
};

QTEST_MAIN(TestTornWrites)
#include "tst_torn_writes.moc"
