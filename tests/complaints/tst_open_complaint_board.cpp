#include "complaints/open_complaint_board_form.h"
#include "support/strings.h"
#include "support/test_context.h"
#include "support/widgets.h"
#include "ui/query_grid.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

namespace {

void addComplaint(const support::TestDb& db, int id, const char* status, int pending,
                  const char* circle, const char* ssa, const char* service) {
    db.exec(QStringLiteral("INSERT INTO complain (id, name, mobile, [issue date], description, "
                           "status, [close date], ssa, fe, [fe mob], pending, address, [user id], "
                           "circle, ap, ne, cat, srv) VALUES (?, 'SUNITA', '9800000001', "
                           "'2021-12-01 10:00:00', 'NO NET', ?, '1990-04-04 00:00:00', ?, 'RAJ', "
                           "'9811100000', ?, 'MG ROAD', 'sunita01', ?, 'AP1', 'ASHA', 'NA', ?)"),
            {id, QString::fromUtf8(status), QString::fromUtf8(ssa), pending,
             QString::fromUtf8(circle), QString::fromUtf8(service)});
}

// Open: 3 (pending 100), 2 (12), 1 (9), 5 (0); closed: 4 (50), 6 (7).
void addBoardFixture(const support::TestDb& db) {
    addComplaint(db, 1, "OPEN", 9, "NORTH", "SSA1", "FTTH");
    addComplaint(db, 2, "NEW", 12, "NORTH", "SSA2", "AF");
    addComplaint(db, 3, "OPEN-FE", 100, "SOUTH", "SSA1", "FTTH");
    addComplaint(db, 4, "CLOSED", 50, "NORTH", "SSA1", "FTTH");
    addComplaint(db, 5, "VOIP", 0, "SOUTH", "SSA3", "BBOWIFI");
    addComplaint(db, 6, "CLOSED", 7, "SOUTH", "SSA3", "AF");
    db.exec(QStringLiteral("INSERT INTO circle (circle) VALUES (' NORTH '), ('SOUTH')"));
    // The SSA list comes from the engineers' clusters, never from the ssa table.
    db.exec(QStringLiteral("INSERT INTO fe (circle, ssa, CLUSTER, name, mobile) VALUES "
                           "('NORTH', 'X', ' SSA1 ', 'RAJ', '1'), ('NORTH', 'X', 'SSA1', 'AMIT', "
                           "'2'), ('NORTH', 'X', 'SSA2', 'VIJAY', '3'), ('SOUTH', 'X', 'SSA1', "
                           "'RAVI', '4'), ('SOUTH', 'X', 'SSA3', 'JOHN', '5')"));
    db.exec(QStringLiteral("INSERT INTO ssa (circle, SSA) VALUES ('NORTH', 'SSA9')"));
}

// Complaint 21 for one subscriber, 22 and 23 (in that order) for another;
// blanks around the values show which reads trim.
void addLookupFixture(const support::TestDb& db) {
    const QString insert = QStringLiteral(
        "INSERT INTO complain (id, name, mobile, [issue date], description, status, "
        "[close date], ssa, fe, [fe mob], pending, address, [user id], circle, ap, ne, cat, "
        "srv) VALUES (?, ?, ?, '2021-12-01 10:00:00', ?, ?, '1990-04-04 00:00:00', 'SSA1', ?, "
        "?, ?, 'MG ROAD', ?, 'NORTH', 'AP1', 'ASHA', 'NA', 'FTTH')");
    db.exec(insert,
            {21, QStringLiteral(" ANIL "), QStringLiteral(" 98000 1 "),
             QStringLiteral(" NO NET@4-Dec-21 9:5 PM Update by: ASHA "), QStringLiteral(" OPEN "),
             QStringLiteral(" RAJ "), QStringLiteral(" 98111 "), 3, QStringLiteral(" anil01 ")});
    db.exec(insert, {22, QStringLiteral(" ANIL K "), QStringLiteral(" 98000 2 "),
                     QStringLiteral("SLOW"), QStringLiteral("NEW"), QStringLiteral(" SURESH "),
                     QStringLiteral(" 98222 "), 1, QStringLiteral("anil02")});
    db.exec(insert,
            {23, QStringLiteral("BINA"), QStringLiteral("98000 3"), QStringLiteral("NO DIAL TONE"),
             QStringLiteral("OPEN-FE"), QStringLiteral("MOHAN"), QStringLiteral("98333"), 2,
             QStringLiteral("anil02")});
}

ui::QueryGrid* gridOf(QWidget* form) {
    return support::find<ui::QueryGrid>(form, QStringLiteral("MSHFlexGrid1"));
}

QStringList gridIds(QWidget* form) {
    const ui::QueryGrid* grid = gridOf(form);
    QStringList ids;
    for (int row = 0; row < grid->gridModel().rowCount(); ++row)
        ids << grid->cellText(row, 0);
    return ids;
}

QString countOf(QWidget* form) {
    return support::textOf(form, QStringLiteral("Label10"));
}

QString shownText(QWidget* form, const QString& name) {
    if (auto* box = form->findChild<QPlainTextEdit*>(name))
        return box->toPlainText();
    return support::textOf(form, name);
}

} // namespace

class TestOpenComplaintBoard : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_ctx = std::make_unique<support::TestContext>();
        addBoardFixture(m_ctx->db());
        m_form = std::make_unique<complaints::OpenComplaintBoardForm>(m_ctx->app());
    }
    void cleanup() {
        m_form.reset();
        m_ctx.reset();
    }

    void opensWithTheOpenComplaintsLongestPendingFirst() {
        QWidget* f = m_form.get();
        QCOMPARE(f->objectName(), QStringLiteral("Form4"));
        QCOMPARE(f->windowTitle(), QStringLiteral(" OPEN COMPLAIN"));
        // Pending sorts as a number: 100 and 12 above 9.
        QCOMPARE(gridIds(f), support::strings({"3", "2", "1", "5"}));
        QCOMPARE(countOf(f), QStringLiteral("OPEN FAULT: 4"));
        const db::GridModel& model = gridOf(f)->gridModel();
        QCOMPARE(model.columnCount(), 18);
        QCOMPARE(model.columns().first(), QStringLiteral("id"));
        QCOMPARE(model.columns().last(), QStringLiteral("srv"));

        QCOMPARE(support::entries(f, QStringLiteral("Combo2")),
                 support::strings({"ALL", "CLOSED", "OPEN", "NEW", "VOIP", "OPEN-FE"}));
        QCOMPARE(support::entries(f, QStringLiteral("Combo3")),
                 support::strings({"OPEN", "OPEN-FE", "SITE-DOWN"}));
        QCOMPARE(support::entries(f, QStringLiteral("Combo6")),
                 support::strings({"FTTH", "BBOWIFI", "AF", "MTNL"}));
        QCOMPARE(support::entries(f, QStringLiteral("Combo1")),
                 support::strings({"NORTH", "SOUTH"}));
        const QStringList names = support::strings({"Combo2", "Combo1", "Combo5", "Combo6",
                                                    "Combo3", "Combo4", "Text4", "Text7", "Text5"});
        const QStringList initial = support::strings({"SELECT STATUS", "SELECT CIRCLE", "Combo5",
                                                      "SERVICE", "SELECT STATUS", "SELECT ENGINEER",
                                                      "Text4", "START DATE", "END DATE"});
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(support::textOf(f, names[i]), initial[i]);

        // Column 6, left unset between its set neighbours, fits its values.
        const ui::QueryGrid* grid = gridOf(f);
        const int dpi = grid->logicalDpiX();
        const auto fitsValue = [grid](int column) {
            return grid->columnWidth(column) >=
                   grid->sizeHintForIndex(grid->model()->index(0, column)).width();
        };
        QCOMPARE(grid->columnWidth(0), ui::twipsToPixels(800, dpi));
        QVERIFY(fitsValue(6));
        QCOMPARE(grid->columnWidth(11), ui::twipsToPixels(3000, dpi));
        QCOMPARE(grid->columnWidth(13), ui::twipsToPixels(2000, dpi));
        QVERIFY(fitsValue(14));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    // Each filter shows its own condition only; the SSA filter also takes the
    // circle shown.
    void filtersReplaceTheGridAndTheCount_data() {
        QTest::addColumn<QStringList>("choices"); // "Combo=entry", in order
        QTest::addColumn<QStringList>("ids");
        QTest::addRow("circle") << support::strings({"Combo1=NORTH"})
                                << support::strings({"2", "1"});
        QTest::addRow("status ALL is every open one")
            << support::strings({"Combo2=ALL"}) << support::strings({"3", "2", "1", "5"});
        QTest::addRow("status CLOSED")
            << support::strings({"Combo2=CLOSED"}) << support::strings({"4", "6"});
        QTest::addRow("status OPEN is exact")
            << support::strings({"Combo2=OPEN"}) << support::strings({"1"});
        QTest::addRow("SSA within the circle")
            << support::strings({"Combo1=SOUTH", "Combo5=SSA1"}) << support::strings({"3"});
        QTest::addRow("status after circle shows every circle")
            << support::strings({"Combo1=NORTH", "Combo2=ALL"})
            << support::strings({"3", "2", "1", "5"});
        QTest::addRow("service") << support::strings({"Combo6=FTTH"})
                                 << support::strings({"3", "1"});
        QTest::addRow("service matching nothing")
            << support::strings({"Combo6=MTNL"}) << QStringList();
    }
    void filtersReplaceTheGridAndTheCount() {
        QFETCH(QStringList, choices);
        QFETCH(QStringList, ids);
        for (const QString& choice : std::as_const(choices))
            support::choose(m_form.get(), choice.section(QLatin1Char('='), 0, 0),
                            choice.section(QLatin1Char('='), 1));
        QCOMPARE(gridIds(m_form.get()), ids);
        QCOMPARE(countOf(m_form.get()), QStringLiteral("OPEN FAULT: %1").arg(ids.size()));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    void aCircleRefillsTheSsaListFromTheEngineers() {
        support::choose(m_form.get(), QStringLiteral("Combo1"), QStringLiteral("NORTH"));
        QStringList ssas = support::entries(m_form.get(), QStringLiteral("Combo5"));
        ssas.sort();
        // " SSA1 " trims to an entry of its own beside "SSA1", as the rows are.
        QCOMPARE(ssas, support::strings({"SSA1", "SSA1", "SSA2"}));
        support::choose(m_form.get(), QStringLiteral("Combo1"), QStringLiteral("SOUTH"));
        ssas = support::entries(m_form.get(), QStringLiteral("Combo5"));
        ssas.sort();
        QCOMPARE(ssas, support::strings({"SSA1", "SSA3"}));
    }

    // A lost database: the service filter goes on silently and recounts the
    // grid it kept; the other filters stop and say why.
    void onlyTheServiceFilterPassesOverAFailure() {
        m_ctx->db().loseDatabase();
        support::choose(m_form.get(), QStringLiteral("Combo6"), QStringLiteral("FTTH"));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
        QCOMPARE(gridIds(m_form.get()), support::strings({"3", "2", "1", "5"}));
        QCOMPARE(countOf(m_form.get()), QStringLiteral("OPEN FAULT: 4"));

        support::choose(m_form.get(), QStringLiteral("Combo2"), QStringLiteral("ALL"));
        QCOMPARE(m_ctx->dialogs().shown().size(), 1);
        QVERIFY2(m_ctx->dialogs().last().contains(m_ctx->db().lostDatabaseMessage()),
                 qPrintable(m_ctx->dialogs().last()));
        QCOMPARE(gridIds(m_form.get()), support::strings({"3", "2", "1", "5"}));
    }

    // Typing a filter value and pressing Enter never filters: it moves on
    // from the status box and does nothing in the others. Enter in the number
    // box leaves it, which looks the complaint up.
    void enterMovesOnWithoutFiltering() {
        QWidget* f = m_form.get();
        support::type(f, QStringLiteral("Combo2"), QStringLiteral("CLOSED"));
        support::pressEnter(f, QStringLiteral("Combo2"));
        QVERIFY(!support::findWidget(f, QStringLiteral("Combo2"))->hasFocus());
        QCOMPARE(gridIds(f), support::strings({"3", "2", "1", "5"}));
        support::type(f, QStringLiteral("Combo1"), QStringLiteral("NORTH"));
        support::pressEnter(f, QStringLiteral("Combo1"));
        support::type(f, QStringLiteral("Combo6"), QStringLiteral("FTTH"));
        support::pressEnter(f, QStringLiteral("Combo6"));
        QCOMPARE(gridIds(f), support::strings({"3", "2", "1", "5"}));

        support::type(f, QStringLiteral("Text1"), QStringLiteral("4"));
        support::pressEnter(f, QStringLiteral("Text1"));
        QCOMPARE(support::textOf(f, QStringLiteral("Combo3")), QStringLiteral("CLOSED"));
        QCOMPARE(gridIds(f), support::strings({"3", "2", "1", "5"}));
    }

    void periodBoxesTakeTheTimeOnDoubleClick_data() {
        QTest::addColumn<QString>("box");
        QTest::addRow("start") << QStringLiteral("Text7");
        QTest::addRow("end") << QStringLiteral("Text5");
    }
    void periodBoxesTakeTheTimeOnDoubleClick() {
        QFETCH(QString, box);
        m_ctx->clock().set(QDateTime(QDate(2021, 12, 4), QTime(9, 5)));
        QTest::mouseDClick(support::find<QLineEdit>(m_form.get(), box), Qt::LeftButton);
        QCOMPARE(support::textOf(m_form.get(), box), QStringLiteral("4-Dec-21 9:5 AM"));
    }

    void exportHandsTheGridToTheSpreadsheetProgram() {
        support::click(m_form.get(), QStringLiteral("Command11"));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
        QCOMPARE(m_ctx->programs().started().size(), 1);
        const QString workbook = m_ctx->programs().started().first().url.toLocalFile();
        QVERIFY(workbook.endsWith(QLatin1String(".xlsx")));
        QVERIFY(QFile::exists(workbook));
        QFile::remove(workbook);
        const QStringList rows =
            QApplication::clipboard()->text().split(QLatin1Char('\r'), Qt::KeepEmptyParts);
        QCOMPARE(rows.size(), 5);
        QVERIFY(rows.first().startsWith(QLatin1String("id\tname\tmobile\tissue date\t")));
        QVERIFY(rows.at(1).startsWith(QLatin1String("3\tSUNITA\t9800000001\t")));
    }

    void backOpensAFreshRegisterInsteadOfTheBoard() {
        auto* board = m_ctx->screens().open<complaints::OpenComplaintBoardForm>(
            QStringLiteral("Form4"),
            [this] { return new complaints::OpenComplaintBoardForm(m_ctx->app()); });
        support::click(board, QStringLiteral("Command2"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!m_ctx->screens().find(QStringLiteral("Form4")));
        QWidget* reg = m_ctx->screens().find(QStringLiteral("Form3"));
        QVERIFY(reg);
        reg->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The lookups fill the detail fields from the last matching row and leave
    // the grid alone; one reads trimmed, the other mostly as stored.
    void lookups_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>(
            "shown"); // Label3 Combo3 Combo4 Text4 Text1 Text2 Label4 Text6 Text3
        QTest::addRow("number, trimmed")
            << QStringLiteral("Text1") << QStringLiteral("21")
            << support::strings({"ANIL", "OPEN", "RAJ", "98111", "21", "anil01", "98000 1",
                                 "NO NET@4-Dec-21 9:5 PM Update by: ASHA", ""});
        QTest::addRow("unknown number changes nothing")
            << QStringLiteral("Text1") << QStringLiteral("999")
            << support::strings({"", "SELECT STATUS", "SELECT ENGINEER", "Text4", "999", "", "",
                                 "earlier", "typed note"});
        QTest::addRow("subscriber, last row, as stored")
            << QStringLiteral("Text2") << QStringLiteral("ANIL02")
            << support::strings({"BINA", "OPEN-FE", "MOHAN", "98333", "23", "ANIL02", "98000 3",
                                 "earlier", "typed note"});
        QTest::addRow("subscriber keeps blanks of name, engineer and mobiles")
            << QStringLiteral("Text2") << QStringLiteral(" anil01 ")
            << support::strings({" ANIL ", "OPEN", " RAJ ", " 98111 ", "21", " anil01 ",
                                 " 98000 1 ", "earlier", "typed note"});
    }
    void lookups() {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QStringList, shown);
        QWidget* f = m_form.get();
        addLookupFixture(m_ctx->db());
        support::find<QPlainTextEdit>(f, QStringLiteral("Text6"))
            ->setPlainText(QStringLiteral("earlier"));
        support::type(f, QStringLiteral("Text3"), QStringLiteral("typed note"));
        support::type(f, box, typed);
        support::leave(f, box);
        const QStringList names = support::strings(
            {"Label3", "Combo3", "Combo4", "Text4", "Text1", "Text2", "Label4", "Text6", "Text3"});
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(shownText(f, names[i]), shown[i]);
        QCOMPARE(gridIds(f), support::strings({"3", "2", "1", "5"}));
        QCOMPARE(countOf(f), QStringLiteral("OPEN FAULT: 4"));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

private:
    std::unique_ptr<support::TestContext> m_ctx;
    std::unique_ptr<complaints::OpenComplaintBoardForm> m_form;
};

QTEST_MAIN(TestOpenComplaintBoard)
#include "tst_open_complaint_board.moc"
