#include "complaints/noc_report_form.h"
#include "complaints/open_complaint_board_form.h"
#include "db/screen_db.h"
#include "support/strings.h"
#include "support/test_context.h"
#include "support/widgets.h"
#include "ui/query_grid.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QScreen>
#include <QTest>

namespace {

// Around 4 December 2021: ASHA closes two complaints that day, RAVI one (and
// one more on the 5th), MEENA one; 4 and 5 were logged earlier and are still
// open, 6 was logged that day and is still open.
void addReportFixture(const support::TestDb& db) {
    const QString insert = QStringLiteral(
        "INSERT INTO complain (id, name, mobile, [issue date], description, status, "
        "[close date], ssa, fe, [fe mob], pending, address, [user id], circle, ap, ne, cat, srv) "
        "VALUES (?, 'SUNITA', '9800000001', ?, 'NO NET', ?, ?, 'SSA1', 'RAJ', '9811100000', 0, "
        "'MG ROAD', 'sunita01', 'NORTH', 'AP1', ?, 'NA', 'FTTH')");
    const char* open = "1990-04-04 00:00:00";
    const QList<QList<const char*>> rows = {
        {"1", "2021-12-03 10:00:00", "CLOSED", "2021-12-04 09:00:00", "ASHA"},
        {"2", "2021-12-04 08:00:00", "CLOSED", "2021-12-04 10:00:00", "ASHA"},
        {"3", "2021-12-04 09:00:00", "CLOSED", "2021-12-04 11:00:00", "RAVI"},
        {"4", "2021-12-02 09:00:00", "OPEN", open, "MEENA"},
        {"5", "2021-12-01 09:00:00", "NEW", open, "MEENA"},
        {"6", "2021-12-04 12:00:00", "NEW", open, "MEENA"},
        {"7", "2021-12-01 09:00:00", "CLOSED", "2021-12-05 10:00:00", "RAVI"},
    };
    for (const QList<const char*>& row : rows) {
        QVariantList values;
        for (const char* value : row)
            values << QString::fromLatin1(value);
        db.exec(insert, values);
    }
}

QStringList gridRows(const ui::QueryGrid* grid) {
    QStringList rows{grid->gridModel().columns().join(QLatin1Char('|'))};
    for (int row = 0; row < grid->gridModel().rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < grid->gridModel().columnCount(); ++column)
            cells << grid->cellText(row, column);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList labels(QWidget* report) {
    return {support::textOf(report, QStringLiteral("Label1")),
            support::textOf(report, QStringLiteral("Label2")),
            support::textOf(report, QStringLiteral("Label3"))};
}

const QStringList fourthOfDecemberGrid = support::strings({"OPERATOR|COMPLAIN CLOSED", "ASHA|2"});
const QStringList fourthOfDecemberLabels = support::strings(
    {"TOTAL COMPLAIN LOGGED 3", "TOTAL COMPLAIN CLOSED 3", "CARRY FORWARDED BY PREVIOUS DAY 2"});

} // namespace

class TestNocReport : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_ctx = std::make_unique<support::TestContext>();
        addReportFixture(m_ctx->db());
        m_board = std::make_unique<complaints::OpenComplaintBoardForm>(m_ctx->app());
    }
    void cleanup() {
        m_ctx->screens().closeAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_board.reset();
        m_ctx.reset();
    }

    // A closure counts by its close date, a logging by its issue date, both
    // ends included; the carried-forward count ignores later updates.
    void aPeriodGivesItsFourFigures() {
        QWidget* report =
            runReport(QStringLiteral("4-Dec-21 12:0 AM"), QStringLiteral("4-Dec-21 11:59 PM"));
        QVERIFY(report);
        QVERIFY(report->isWindow());
        QCOMPARE(report->windowTitle(), QStringLiteral("NOC PERFORMANCE"));
        QCOMPARE(gridRows(gridOf(report)), fourthOfDecemberGrid);
        QCOMPARE(labels(report), fourthOfDecemberLabels);

        // A second period replaces everything, in the same window.
        QCOMPARE(
            runReport(QStringLiteral("2021-12-05 00:00:01"), QStringLiteral("2021-12-05 10:00:00")),
            report);
        QCOMPARE(gridRows(gridOf(report)), support::strings({"OPERATOR|COMPLAIN CLOSED"}));
        QCOMPARE(labels(report),
                 support::strings({"TOTAL COMPLAIN LOGGED 0", "TOTAL COMPLAIN CLOSED 1",
                                   "CARRY FORWARDED BY PREVIOUS DAY 3"}));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    // Each statement stands alone: one whose period text is no date leaves its
    // grid or label as it was, without a word, and the others still run.
    void aTextThatIsNoDateKeepsWhatWasShown_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("carriedForward");
        QTest::addRow("initial texts") << QStringLiteral("START DATE") << QStringLiteral("END DATE")
                                       << fourthOfDecemberLabels.at(2);
        QTest::addRow("no end") << QStringLiteral("5-Dec-21 12:0 AM") << QStringLiteral("")
                                << QStringLiteral("CARRY FORWARDED BY PREVIOUS DAY 3");
        QTest::addRow("no start") << QStringLiteral("5 December") << QStringLiteral("5-Dec-21")
                                  << fourthOfDecemberLabels.at(2);
    }
    void aTextThatIsNoDateKeepsWhatWasShown() {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, carriedForward);
        runReport(QStringLiteral("4-Dec-21 12:0 AM"), QStringLiteral("4-Dec-21 11:59 PM"));
        QWidget* report = runReport(start, end);
        QVERIFY(report);
        QCOMPARE(gridRows(gridOf(report)), fourthOfDecemberGrid);
        QCOMPARE(labels(report), QStringList({fourthOfDecemberLabels.at(0),
                                              fourthOfDecemberLabels.at(1), carriedForward}));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    // The SLA board shows its own list in the same window first; the report
    // then takes the window over. Closing it ends what it showed.
    void theWindowIsShared() {
        auto* first = complaints::NocReportForm::open(m_ctx->app());
        QVERIFY(first);
        const QRect screen = first->screen()->availableGeometry();
        QVERIFY((first->geometry().center() - screen.center()).manhattanLength() <= 2);
        db::ScreenDb other(m_ctx->app().database);
        other.open();
        other.bindGrid(first->grid()->gridModel(),
                       QStringLiteral("select circle, ssa, ? as equipment, 2 from complain "
                                      "where id = 1"),
                       {db::text(QStringLiteral("OLT-1"))});
        other.close();
        const int dpi = first->grid()->logicalDpiX();
        QCOMPARE(first->grid()->columnWidth(0), ui::twipsToPixels(4000, dpi));
        QCOMPARE(complaints::NocReportForm::open(m_ctx->app()), first);
        QCOMPARE(gridRows(first->grid()).size(), 2);
        QCOMPARE(labels(first), support::strings({"Label1", "Label2", "Label3"}));

        QCOMPARE(runReport(QStringLiteral("4-Dec-21 12:0 AM"), QStringLiteral("4-Dec-21 11:59 PM")),
                 first);
        QCOMPARE(gridRows(first->grid()), fourthOfDecemberGrid);
        QCOMPARE(labels(first), fourthOfDecemberLabels);

        first->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        auto* again = complaints::NocReportForm::open(m_ctx->app());
        QCOMPARE(labels(again), support::strings({"Label1", "Label2", "Label3"}));
        QCOMPARE(again->grid()->gridModel().rowCount(), 0);
    }

    void exportHandsTheReportToTheSpreadsheetProgram() {
        QWidget* report =
            runReport(QStringLiteral("4-Dec-21 12:0 AM"), QStringLiteral("4-Dec-21 11:59 PM"));
        support::click(report, QStringLiteral("Command1"));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
        QCOMPARE(m_ctx->programs().started().size(), 1);
        const QString workbook = m_ctx->programs().started().first().url.toLocalFile();
        QVERIFY(workbook.endsWith(QLatin1String(".xlsx")));
        QVERIFY(QFile::exists(workbook));
        QFile::remove(workbook);
        QCOMPARE(QApplication::clipboard()->text(),
                 QStringLiteral("OPERATOR\tCOMPLAIN CLOSED\rASHA\t2"));
    }

private:
    // The board's "NOC PERFORMANCE" with the period typed in.
    QWidget* runReport(const QString& start, const QString& end) {
        support::type(m_board.get(), QStringLiteral("Text7"), start);
        support::type(m_board.get(), QStringLiteral("Text5"), end);
        support::click(m_board.get(), QStringLiteral("Command1"));
        return m_ctx->screens().find(QStringLiteral("Form6"));
    }
    static ui::QueryGrid* gridOf(QWidget* report) {
        return support::find<ui::QueryGrid>(report, QStringLiteral("MSHFlexGrid1"));
    }

    std::unique_ptr<support::TestContext> m_ctx;
    std::unique_ptr<complaints::OpenComplaintBoardForm> m_board;
};

QTEST_MAIN(TestNocReport)
#include "tst_noc_report.moc"
