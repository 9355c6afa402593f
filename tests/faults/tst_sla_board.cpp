#include "faults/sla_board_form.h"
#include "faults/sla_rules.h"
#include "support/strings.h"
#include "support/test_context.h"
#include "support/widgets.h"
#include "ui/query_grid.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// Not closed, newest first: 10 ("open" in lower case), 4, 3, 2; 1 is closed.
// Outage 4 holds no reason, party or address at all.
void addBoardFixture(const support::TestDb& db) {
    db.exec(QStringLiteral(
        "INSERT INTO olt_status (fault_id, circle, SSA, SITE_NAME, equipment, down_time, "
        "up_time, TOTAL_TIME_DOWN, rfo, on_the_part_of, status, IP) VALUES "
        "(1, 'NORTH', 'SSA1', 'MG ROAD', 'OLT-A', '2021-12-01 08:00:00', '2021-12-01 09:00:00', "
        "'1:00', 'POWER', 'ZEL', 'CLOSED', '10.1.1.1'), "
        "(2, 'NORTH', 'SSA1', 'MG ROAD', 'OLT-B', '2021-12-02 08:00:00', NULL, NULL, "
        "'FIBRE CUT ', 'VUVA', 'OPEN', '10.1.1.2'), "
        "(3, 'NORTH', 'SSA2', 'MALL', 'AP-7', '2021-12-03 08:00:00', '2021-12-03 10:00:00', "
        "'2:00', NULL, NULL, 'RESOLVED', '10.1.1.3'), "
        "(4, 'SOUTH', 'SSA3', 'PORT', 'OLT-C', '2021-12-03 09:00:00', NULL, NULL, NULL, NULL, "
        "'OPEN', NULL), "
        "(10, 'NORTH', 'SSA1', 'PARK', 'AP-9', '2021-12-04 07:00:00', NULL, NULL, NULL, NULL, "
        "'open', '10.1.1.10')"));
    db.exec(QStringLiteral("INSERT INTO AP_RFO (RFO) VALUES ('POWER'), (' FIBRE CUT ')"));
    db.exec(QStringLiteral("INSERT INTO circle (circle) VALUES (' NORTH '), ('SOUTH')"));
    db.exec(QStringLiteral("INSERT INTO ssa (circle, SSA) VALUES ('NORTH', ' SSA1 '), "
                           "('NORTH', 'SSA2'), ('SOUTH', 'SSA3')"));
}

QStringList column0(const ui::QueryGrid* grid) {
    QStringList values;
    for (int row = 0; row < grid->gridModel().rowCount(); ++row)
        values << grid->cellText(row, 0);
    return values;
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

const QString outagesSql = QStringLiteral(
    "select fault_id, rfo, on_the_part_of, status from olt_status order by fault_id");

} // namespace

class TestSlaBoard : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_ctx = std::make_unique<support::TestContext>();
        addBoardFixture(m_ctx->db());
    }
    void cleanup() {
        m_ctx->screens().closeAll();
        m_form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_ctx.reset();
    }

    void opensWithTheOutagesNotClosedNewestFirst() {
        QWidget* form = open();
        QCOMPARE(form->windowTitle(), QStringLiteral("SLA"));
        QCOMPARE(gridRows(grid()).first(),
                 QStringLiteral("fault_id|circle|SSA|SITE_NAME|equipment|down_time|up_time|"
                                "TOTAL_TIME_DOWN|rfo|on_the_part_of|status|IP"));
        QCOMPARE(column0(grid()), support::strings({"10", "4", "3", "2"}));
        QCOMPARE(support::textOf(form, QStringLiteral("Label1")), QStringLiteral("OPEN FAULT: 4"));
        QCOMPARE(support::entries(form, QStringLiteral("Combo1")),
                 support::strings({"POWER", " FIBRE CUT "}));
        QCOMPARE(support::entries(form, QStringLiteral("Combo4")),
                 support::strings({"NORTH", "SOUTH"}));
        QCOMPARE(support::entries(form, QStringLiteral("Combo2")),
                 support::strings({"VUVA", "ZEL"}));
        QCOMPARE(support::entries(form, QStringLiteral("Combo3")),
                 support::strings({"OPEN", "RESOLVED", "CLOSED"}));
        QCOMPARE(support::entries(form, QStringLiteral("Combo5")),
                 support::strings({"UP_TIME", "DOWN_TIME"}));
        const QStringList initial{support::textOf(form, QStringLiteral("Combo3")),
                                  support::textOf(form, QStringLiteral("Combo4")),
                                  support::textOf(form, QStringLiteral("Combo6")),
                                  support::textOf(form, QStringLiteral("Combo5")),
                                  support::textOf(form, QStringLiteral("Label2"))};
        QCOMPARE(initial,
                 support::strings({"STATUS", "CIRCLE", "SSA", "UP/DOWN TIME", "IPADDRESS"}));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    // Every filter carries the status box's text, so a circle chosen while
    // it still reads "STATUS" finds nothing.
    void filters_data() {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("circle");
        QTest::addColumn<QString>("ssa");
        QTest::addColumn<QStringList>("outages");
        QTest::addRow("status, any letter case") << "OPEN"
                                                 << ""
                                                 << "" << support::strings({"10", "4", "2"});
        QTest::addRow("closed") << "CLOSED"
                                << ""
                                << "" << support::strings({"1"});
        QTest::addRow("status and circle") << "OPEN"
                                           << "NORTH"
                                           << "" << support::strings({"10", "2"});
        QTest::addRow("status, circle and SSA") << "RESOLVED"
                                                << "NORTH"
                                                << "SSA2" << support::strings({"3"});
        QTest::addRow("SSA of another status") << "OPEN"
                                               << "NORTH"
                                               << "SSA2" << QStringList();
        QTest::addRow("circle while the box reads STATUS") << ""
                                                           << "NORTH"
                                                           << "" << QStringList();
        QTest::addRow("SSA while the box reads STATUS") << ""
                                                        << "NORTH"
                                                        << "SSA1" << QStringList();
    }
    void filters() {
        QFETCH(QString, status);
        QFETCH(QString, circle);
        QFETCH(QString, ssa);
        QFETCH(QStringList, outages);
        QWidget* form = open();
        if (!status.isEmpty())
            support::choose(form, QStringLiteral("Combo3"), status);
        if (!circle.isEmpty()) {
            support::choose(form, QStringLiteral("Combo4"), circle);
            QCOMPARE(support::entries(form, QStringLiteral("Combo6")),
                     support::strings({"SSA1", "SSA2"}));
        }
        if (!ssa.isEmpty())
            support::choose(form, QStringLiteral("Combo6"), ssa);
        QCOMPARE(column0(grid()), outages);
        QCOMPARE(support::textOf(form, QStringLiteral("Label1")),
                 QStringLiteral("OPEN FAULT: %1").arg(outages.size()));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    // The values are shown as stored; an outage that holds none reads empty
    // rather than stopping the lookup. A click into the box empties it.
    void lookUpShowsReasonPartyAndAddress() {
        QWidget* form = open();
        support::type(form, QStringLiteral("Text1"), QStringLiteral(" 2 "));
        support::leave(form, QStringLiteral("Text1"));
        const auto shown = [form] {
            return QStringList{support::textOf(form, QStringLiteral("Combo1")),
                               support::textOf(form, QStringLiteral("Combo2")),
                               support::textOf(form, QStringLiteral("Label2"))};
        };
        QCOMPARE(shown(), support::strings({"FIBRE CUT ", "VUVA", "10.1.1.2"}));

        auto* number = support::find<QLineEdit>(form, QStringLiteral("Text1"));
        QTest::mouseClick(number, Qt::LeftButton);
        QCOMPARE(number->text(), QString());
        support::type(form, QStringLiteral("Text1"), QStringLiteral("4"));
        support::leave(form, QStringLiteral("Text1"));
        QCOMPARE(shown(), support::strings({"", "", ""}));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    void closing_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("party");
        QTest::addColumn<QString>("closedRow");
        QTest::addColumn<QStringList>("outages");
        QTest::addColumn<QStringList>("messages");
        QTest::addRow("reason with an apostrophe")
            << "2"
            << "O'NEIL ROAD CUT"
            << "ZEL"
            << "2|O'NEIL ROAD CUT|ZEL|CLOSED" << support::strings({"10", "4", "3"})
            << QStringList();
        QTest::addRow("blanks around the number")
            << " 3 "
            << "POWER"
            << "VUVA"
            << "3|POWER|VUVA|CLOSED" << support::strings({"10", "4", "2"}) << QStringList();
        QTest::addRow("no number")
            << ""
            << "POWER"
            << "ZEL" << QString() << support::strings({"10", "4", "3", "2"}) << QStringList();
        QTest::addRow("unknown number")
            << "999"
            << "POWER"
            << "ZEL" << QString() << support::strings({"10", "4", "3", "2"})
            << support::strings({"OUTAGE 999 NOT FOUND|ZEL NOC"});
        // Texts the integer column cannot hold name no outage; the server is
        // never asked to compare them.
        const QStringList board = support::strings({"10", "4", "3", "2"});
        const std::pair<const char*, const char*> noNumbers[] = {{"a decimal", "2.0"},
                                                                 {"an exponent", "2e0"},
                                                                 {"a sign", "+2"},
                                                                 {"letters", "2x"},
                                                                 {"past the column", "2147483650"}};
        for (const auto& [name, number] : noNumbers)
            QTest::addRow("%s", name) << number << "POWER"
                                      << "ZEL" << QString() << board
                                      << QStringList{QStringLiteral("OUTAGE %1 NOT FOUND|ZEL NOC")
                                                         .arg(QString::fromLatin1(number))};
    }
    void closing() {
        QFETCH(QString, number);
        QFETCH(QString, reason);
        QFETCH(QString, party);
        QFETCH(QString, closedRow);
        QFETCH(QStringList, outages);
        QFETCH(QStringList, messages);
        QStringList expected = m_ctx->db().rows(outagesSql);
        for (QString& row : expected)
            if (!closedRow.isEmpty() && row.section(QLatin1Char('|'), 0, 0) == number.trimmed())
                row = closedRow;
        QWidget* form = open();
        support::type(form, QStringLiteral("Text1"), number);
        support::type(form, QStringLiteral("Combo1"), reason);
        support::type(form, QStringLiteral("Combo2"), party);
        m_ctx->dialogs().clear();

        support::click(form, QStringLiteral("Command1"));

        QCOMPARE(m_ctx->db().rows(outagesSql), expected);
        QCOMPARE(column0(grid()), outages);
        QCOMPARE(support::textOf(form, QStringLiteral("Label1")),
                 QStringLiteral("OPEN FAULT: %1").arg(outages.size()));
        QStringList shown;
        for (const auto& message : m_ctx->dialogs().shown())
            shown << message.text + QLatin1Char('|') + message.title;
        QCOMPARE(shown, messages);
        QCOMPARE(QApplication::focusWidget(), support::findWidget(form, QStringLiteral("Text1")));
    }

    // A close writes nothing without a reason and a party, and asks for the
    // one missing.
    void closingAsksForReasonAndParty_data() {
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("party");
        QTest::addColumn<QString>("focus");
        QTest::addRow("neither") << ""
                                 << ""
                                 << "Combo1";
        QTest::addRow("no reason") << ""
                                   << "ZEL"
                                   << "Combo1";
        QTest::addRow("no party") << "POWER"
                                  << ""
                                  << "Combo2";
        QTest::addRow("blanks for a party") << "POWER"
                                            << "   "
                                            << "Combo2";
    }
    void closingAsksForReasonAndParty() {
        QFETCH(QString, reason);
        QFETCH(QString, party);
        QFETCH(QString, focus);
        const QStringList before = m_ctx->db().rows(outagesSql);
        QWidget* form = open();
        support::type(form, QStringLiteral("Text1"), QStringLiteral("3"));
        support::leave(form, QStringLiteral("Text1"));
        support::type(form, QStringLiteral("Combo1"), reason);
        support::type(form, QStringLiteral("Combo2"), party);

        support::click(form, QStringLiteral("Command1"));

        QCOMPARE(m_ctx->db().rows(outagesSql), before);
        const QList<support::ScriptedDialogs::Shown> asked{
            {QStringLiteral("CHOOSE THE REASON FOR OUTAGE AND THE PARTY RESPONSIBLE"),
             QStringLiteral("ZEL NOC"), ui::Icon::Information, false}};
        QCOMPARE(m_ctx->dialogs().shown(), asked);
        QCOMPARE(QApplication::focusWidget(), support::findWidget(form, focus));
    }

    // The operator chooses reason and party, then types the number and
    // clicks CLOSE: the lookup on the way to the button keeps the choice.
    // Once closed, the next lookup shows what that outage holds.
    void aChoiceBeforeTheNumberIsClosedWith() {
        QWidget* form = open();
        support::choose(form, QStringLiteral("Combo1"), QStringLiteral("POWER"));
        support::choose(form, QStringLiteral("Combo2"), QStringLiteral("ZEL"));
        auto* number = support::find<QLineEdit>(form, QStringLiteral("Text1"));
        QTest::mouseClick(number, Qt::LeftButton);
        QTest::keyClicks(number, QStringLiteral("3"));
        QVERIFY(number->hasFocus());

        QTest::mouseClick(support::find<QPushButton>(form, QStringLiteral("Command1")),
                          Qt::LeftButton);

        QCOMPARE(support::textOf(form, QStringLiteral("Label2")), QStringLiteral("10.1.1.3"));
        QCOMPARE(m_ctx->db().rows(outagesSql).at(2), QStringLiteral("3|POWER|ZEL|CLOSED"));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());

        // Only the reason chosen anew; the party comes from the record.
        support::choose(form, QStringLiteral("Combo1"), QStringLiteral(" FIBRE CUT "));
        support::type(form, QStringLiteral("Text1"), QStringLiteral("2"));
        support::leave(form, QStringLiteral("Text1"));
        QCOMPARE(support::textOf(form, QStringLiteral("Combo1")), QStringLiteral(" FIBRE CUT "));
        QCOMPARE(support::textOf(form, QStringLiteral("Combo2")), QStringLiteral("VUVA"));
        support::type(form, QStringLiteral("Text1"), QStringLiteral("10"));
        support::leave(form, QStringLiteral("Text1"));
        QCOMPARE(support::textOf(form, QStringLiteral("Combo1")), QStringLiteral(" FIBRE CUT "));
        QCOMPARE(support::textOf(form, QStringLiteral("Combo2")), QString());
    }

    // The lookup runs at every focus change; a text the integer column cannot
    // hold must not reach the server at all (here a table that is gone would
    // tell if it did).
    void aLookupAsksOnlyForNumbers_data() {
        QTest::addColumn<QString>("number");
        QTest::addRow("letters") << "2x";
        QTest::addRow("a decimal") << "2.0";
        QTest::addRow("a sign") << "-2";
        QTest::addRow("past the column") << "99999999999";
        QTest::addRow("blanks only") << "   ";
    }
    void aLookupAsksOnlyForNumbers() {
        QFETCH(QString, number);
        QWidget* form = open();
        support::type(form, QStringLiteral("Combo1"), QStringLiteral("POWER"));
        m_ctx->db().exec(QStringLiteral("DROP TABLE olt_status"));
        support::type(form, QStringLiteral("Text1"), number);
        support::leave(form, QStringLiteral("Text1"));
        QVERIFY2(m_ctx->dialogs().shown().isEmpty(), qPrintable(m_ctx->dialogs().last()));
        QCOMPARE(support::textOf(form, QStringLiteral("Combo1")), QStringLiteral("POWER"));
        QCOMPARE(support::textOf(form, QStringLiteral("Label2")), QStringLiteral("IPADDRESS"));
    }

    // Yesterday and today by the database's own calendar: an outage counts
    // when it began or ended yesterday, or is still open (any letter case)
    // and began before today.
    void yesterdaysOutages() {
        m_ctx->db().exec(QStringLiteral("DELETE FROM olt_status"));
        const QString today = m_ctx->db().backend() == db::Backend::Sqlite
                                  ? QStringLiteral("datetime(date('now','localtime'), ?)")
                                  : QStringLiteral("current_date + cast(? as interval)");
        const QString insert =
            QStringLiteral("INSERT INTO olt_status (fault_id, equipment, "
                           "down_time, up_time, status) VALUES (?, ?, %1, %1, ?)")
                .arg(today);
        const QList<QVariantList> rows = {
            {1, QStringLiteral("began 3 days ago, open"), QStringLiteral("-3 days"),
             QStringLiteral("+1 days"), QStringLiteral("open")},
            {2, QStringLiteral("began and ended today"), QStringLiteral("+0 seconds"),
             QStringLiteral("+1 hours"), QStringLiteral("CLOSED")},
            {3, QStringLiteral("began last second of yesterday"), QStringLiteral("-1 seconds"),
             QStringLiteral("+1 hours"), QStringLiteral("CLOSED")},
            {4, QStringLiteral("ended yesterday"), QStringLiteral("-5 days"),
             QStringLiteral("-12 hours"), QStringLiteral("CLOSED")},
            {5, QStringLiteral("two days ago, closed"), QStringLiteral("-2 days"),
             QStringLiteral("-47 hours"), QStringLiteral("CLOSED")},
            {6, QStringLiteral("began today, open"), QStringLiteral("+0 seconds"),
             QStringLiteral("+1 days"), QStringLiteral("OPEN")},
        };
        for (const QVariantList& row : rows)
            m_ctx->db().exec(insert, row);
        QWidget* form = open();

        support::click(form, QStringLiteral("Command2"));

        QStringList listed;
        for (int row = 0; row < grid()->gridModel().rowCount(); ++row)
            listed << grid()->cellText(row, 4);
        listed.sort();
        QCOMPARE(listed, support::strings({"began 3 days ago, open",
                                           "began last second of yesterday", "ended yesterday"}));
        QCOMPARE(support::textOf(form, QStringLiteral("Label1")), QStringLiteral("OPEN FAULT: 3"));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    // Double clicks fill the whole of the workstation's yesterday, from one
    // second past midnight; the list goes to the report window, and the
    // board's own grid stays as it was.
    void repeatedDown_data() {
        QTest::addColumn<QString>("timeColumn");
        QTest::addColumn<QStringList>("report");
        // A server leaves a count it was given no name for unnamed.
        const QString header = support::TestDb::onPostgreSql()
                                   ? QStringLiteral("circle|SSA|equipment|")
                                   : QStringLiteral("circle|SSA|equipment|COUNT(equipment)");
        QTest::addRow("initial text means down time")
            << "" << QStringList{header, QStringLiteral("NORTH|SSA1|OLT-B|2")};
        QTest::addRow("down time")
            << "DOWN_TIME" << QStringList{header, QStringLiteral("NORTH|SSA1|OLT-B|2")};
        QTest::addRow("up time") << "UP_TIME"
                                 << QStringList{header, QStringLiteral("SOUTH|SSA3|OLT-D|2")};
    }
    void repeatedDown() {
        QFETCH(QString, timeColumn);
        QFETCH(QStringList, report);
        m_ctx->db().exec(QStringLiteral(
            "INSERT INTO olt_status (fault_id, circle, SSA, equipment, down_time, up_time, "
            "status) VALUES "
            "(21, 'NORTH', 'SSA1', 'OLT-A', '2021-12-04 00:00:00', '2021-12-04 01:00:00', 'OPEN'), "
            "(22, 'NORTH', 'SSA1', 'OLT-A', '2021-12-04 10:00:00', '2021-12-06 01:00:00', 'OPEN'), "
            "(23, 'NORTH', 'SSA1', 'OLT-B', '2021-12-04 00:00:01', '2021-12-06 01:00:00', 'OPEN'), "
            "(24, 'NORTH', 'SSA1', 'OLT-B', '2021-12-04 23:59:59', '2021-12-06 01:00:00', 'OPEN'), "
            "(25, 'SOUTH', 'SSA3', 'OLT-D', '2021-12-03 22:00:00', '2021-12-04 02:00:00', 'OPEN'), "
            "(26, 'SOUTH', 'SSA3', 'OLT-D', '2021-12-03 23:00:00', '2021-12-04 03:00:00', "
            "'OPEN')"));
        m_ctx->clock().set(QDateTime(QDate(2021, 12, 5), QTime(0, 30)));
        QWidget* form = open();
        const QStringList board = gridRows(grid());
        QTest::mouseDClick(support::find<QLineEdit>(form, QStringLiteral("Text2")), Qt::LeftButton);
        QTest::mouseDClick(support::find<QLineEdit>(form, QStringLiteral("Text3")), Qt::LeftButton);
        QCOMPARE(support::textOf(form, QStringLiteral("Text2")),
                 QStringLiteral("2021-12-04 00:00:01"));
        QCOMPARE(support::textOf(form, QStringLiteral("Text3")),
                 QStringLiteral("2021-12-04 23:59:59"));
        if (!timeColumn.isEmpty())
            support::choose(form, QStringLiteral("Combo5"), timeColumn);

        support::click(form, QStringLiteral("Command3"));

        QWidget* window = m_ctx->screens().find(QStringLiteral("Form6"));
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(gridRows(support::find<ui::QueryGrid>(window, QStringLiteral("MSHFlexGrid1"))),
                 report);
        QCOMPARE(gridRows(grid()), board);
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    // A bound typed by hand stays when the other box is double-clicked.
    void eachPeriodBoxFillsOnlyItself_data() {
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("filled");
        QTest::addRow("end") << "Text3"
                             << "Text2"
                             << "2021-12-04 23:59:59";
        QTest::addRow("start") << "Text2"
                               << "Text3"
                               << "2021-12-04 00:00:01";
    }
    void eachPeriodBoxFillsOnlyItself() {
        QFETCH(QString, clicked);
        QFETCH(QString, typed);
        QFETCH(QString, filled);
        m_ctx->clock().set(QDateTime(QDate(2021, 12, 5), QTime(9, 0)));
        QWidget* form = open();
        support::type(form, typed, QStringLiteral("2021-11-20 06:00:00"));
        QTest::mouseDClick(support::find<QLineEdit>(form, clicked), Qt::LeftButton);
        QCOMPARE(support::textOf(form, clicked), filled);
        QCOMPARE(support::textOf(form, typed), QStringLiteral("2021-11-20 06:00:00"));
    }

    void aPeriodThatIsNoDateIsTold_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addRow("empty") << ""
                               << "";
        QTest::addRow("start") << "yesterday"
                               << "2021-12-04 23:59:59";
        QTest::addRow("end with an apostrophe") << "2021-12-04 00:00:01"
                                                << "4 Dec '21";
    }
    void aPeriodThatIsNoDateIsTold() {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QWidget* form = open();
        support::type(form, QStringLiteral("Text2"), start);
        support::type(form, QStringLiteral("Text3"), end);
        support::click(form, QStringLiteral("Command3"));
        const QList<support::ScriptedDialogs::Shown> told{{QStringLiteral("PERIOD IS NOT A DATE"),
                                                           QStringLiteral("ZEL NOC"),
                                                           ui::Icon::Exclamation, false}};
        QCOMPARE(m_ctx->dialogs().shown(), told);
        QVERIFY(!m_ctx->screens().find(QStringLiteral("Form6")));
    }

    void exportHandsTheGridOver() {
        QWidget* form = open();
        support::choose(form, QStringLiteral("Combo3"), QStringLiteral("CLOSED"));
        support::click(form, QStringLiteral("Command5"));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
        QCOMPARE(m_ctx->programs().started().size(), 1);
        const QString workbook = m_ctx->programs().started().first().url.toLocalFile();
        QVERIFY(QFile::exists(workbook));
        QFile::remove(workbook);
        QVERIFY(QApplication::clipboard()->text().endsWith(
            QStringLiteral("\r1\tNORTH\tSSA1\tMG ROAD\tOLT-A\t2021-12-01 08:00:00\t2021-12-01 "
                           "09:00:00\t1:00\tPOWER\tZEL\tCLOSED\t10.1.1.1")));
    }

    // The export runs with the screen live; a close asked for meanwhile
    // waits until the workbook is complete and handed over.
    void closingWaitsForTheExport() {
        QWidget* form = open();
        db::GridModel& cells = grid()->gridModel();
        cells.beginFill(support::strings({"fault_id", "equipment"}));
        for (int row = 0; row < 300000; ++row) {
            cells.appendCell(QString::number(row));
            cells.appendCell(QStringLiteral("OLT-%1").arg(row));
        }
        cells.endFill();
        bool openAfterClose = false;
        QTimer::singleShot(50, form, [&] {
            form->close();
            openAfterClose = form->isVisible();
        });

        support::click(form, QStringLiteral("Command5"));

        QVERIFY2(openAfterClose, "the screen closed under a running export");
        QTRY_VERIFY(!form->isVisible());
        QCOMPARE(m_ctx->programs().started().size(), 1);
        QFile::remove(m_ctx->programs().started().first().url.toLocalFile());
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    void rules_data() {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("column");
        QTest::addRow("up time") << "UP_TIME"
                                 << "up_time";
        QTest::addRow("down time") << "DOWN_TIME"
                                   << "down_time";
        QTest::addRow("initial text") << "UP/DOWN TIME"
                                      << "down_time";
        QTest::addRow("typed in lower case") << "up_time"
                                             << "down_time";
        QTest::addRow("empty") << ""
                               << "down_time";
    }
    void rules() {
        QFETCH(QString, choice);
        QTEST(faults::periodColumn(choice), "column");
    }

    void outageNumbers_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("number"); // -1: names no outage
        QTest::addRow("digits") << "42" << 42;
        QTest::addRow("blanks around") << " 42 " << 42;
        QTest::addRow("a tab after") << "42\t" << 42;
        QTest::addRow("leading zeros") << "0042" << 42;
        QTest::addRow("the column's largest") << "2147483647" << 2147483647;
        QTest::addRow("one past it") << "2147483648" << -1;
        QTest::addRow("far past it") << "99999999999999999999999" << -1;
        QTest::addRow("empty") << "" << -1;
        QTest::addRow("blanks") << "  " << -1;
        QTest::addRow("minus") << "-42" << -1;
        QTest::addRow("plus") << "+42" << -1;
        QTest::addRow("a blank inside") << "4 2" << -1;
        QTest::addRow("decimal") << "42.0" << -1;
        QTest::addRow("hex") << "0x2A" << -1;
        QTest::addRow("an apostrophe") << "42'" << -1;
        QTest::addRow("other digits") << "\u0664\u0662" << -1;
    }
    void outageNumbers() {
        QFETCH(QString, typed);
        QFETCH(int, number);
        QCOMPARE(faults::outageNumber(typed).value_or(-1), number);
    }

    void aListAfterALookup_data() {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("after");
        QTest::addRow("untouched") << "POWER"
                                   << "POWER"
                                   << "FIBRE"
                                   << "FIBRE";
        QTest::addRow("untouched, nothing stored") << "POWER"
                                                   << "POWER"
                                                   << ""
                                                   << "";
        QTest::addRow("chosen since") << "FIBRE"
                                      << "POWER"
                                      << ""
                                      << "FIBRE";
        QTest::addRow("chosen into an empty list") << "ZEL"
                                                   << ""
                                                   << "VUVA"
                                                   << "ZEL";
        QTest::addRow("emptied by the operator") << ""
                                                 << "POWER"
                                                 << "FIBRE"
                                                 << "";
    }
    void aListAfterALookup() {
        QFETCH(QString, shown);
        QFETCH(QString, left);
        QFETCH(QString, stored);
        QTEST(faults::afterLookup(shown, left, stored), "after");
    }

    void yesterdayCrossesMonthAndYear_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addRow("new year") << QDate(2022, 1, 1) << "2021-12-31 00:00:01"
                                  << "2021-12-31 23:59:59";
        QTest::addRow("leap day") << QDate(2024, 3, 1) << "2024-02-29 00:00:01"
                                  << "2024-02-29 23:59:59";
    }
    void yesterdayCrossesMonthAndYear() {
        QFETCH(QDate, today);
        const faults::Period period = faults::yesterday(today);
        QTEST(period.start, "start");
        QTEST(period.end, "end");
    }

private:
    QWidget* open() {
        m_form = std::make_unique<faults::SlaBoardForm>(m_ctx->app());
        m_form->show();
        QApplication::setActiveWindow(m_form.get());
        return m_form.get();
    }
    ui::QueryGrid* grid() {
        return support::find<ui::QueryGrid>(m_form.get(), QStringLiteral("MSHFlexGrid1"));
    }

    std::unique_ptr<support::TestContext> m_ctx;
    std::unique_ptr<faults::SlaBoardForm> m_form;
};

QTEST_MAIN(TestSlaBoard)
#include "tst_sla_board.moc"
