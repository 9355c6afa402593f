#include "db/screen_db.h"
#include "support/test_db.h"
#include "ui/query_grid.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLabel>
#include <QTest>

class TestQueryGrid : public QObject {
    Q_OBJECT

private slots:
    void bindsHeaderAndRowsAndCountsThem() {
        support::TestDb data;
        for (const char* id : {"u1", "u2", "u3"})
            data.exec(QStringLiteral("insert into complain (name, [user id], status, pending, "
                                     "[issue date]) values (?, ?, 'NEW', 5, "
                                     "'2021-12-04 21:05:00')"),
                      {QStringLiteral("Ravi ") + QLatin1String(id), QLatin1String(id)});
        data.exec(QStringLiteral("update complain set name=NULL where [user id]='u3'"));

        ui::QueryGrid grid;
        QAbstractItemModelTester tester(&grid.gridModel(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QLabel count;
        db::ScreenDb s(data.settings());
        s.open();
        s.bindGrid(grid.gridModel(),
                   QStringLiteral("select [user id], name, pending, [issue date] from complain "
                                  "where status<>? order by [user id]"),
                   {db::text(QStringLiteral("CLOSED"))});
        s.close();
        ui::setRowCountCaption(&count, &grid);

        QCOMPARE(grid.gridModel().columns(),
                 QStringList({QStringLiteral("user id"), QStringLiteral("name"),
                              QStringLiteral("pending"), QStringLiteral("issue date")}));
        QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("name"));
        QCOMPARE(grid.model()->rowCount(), 3);
        QCOMPARE(grid.cellText(0, 1), QStringLiteral("Ravi u1"));
        QCOMPARE(grid.cellText(1, 2), QStringLiteral("5"));
        QCOMPARE(grid.cellText(1, 3), QStringLiteral("2021-12-04 21:05:00"));
        QCOMPARE(grid.cellText(2, 1), QStringLiteral(""));
        QCOMPARE(count.text(), QStringLiteral("OPEN FAULT: 3"));

        // A second binding replaces the whole contents; an empty answer keeps
        // only the header.
        s.open();
        s.bindGrid(grid.gridModel(), QStringLiteral("select * from complain where status='x'"));
        s.close();
        ui::setRowCountCaption(&count, &grid);
        QCOMPARE(grid.model()->rowCount(), 0);
        QCOMPARE(grid.model()->columnCount(), 18);
        QCOMPARE(count.text(), QStringLiteral("OPEN FAULT: 0"));
    }

    void unicodeCellsSurviveTheCopy() {
        db::GridModel model;
        model.beginFill({QStringLiteral("a"), QStringLiteral("b")});
        model.appendCell(QStringLiteral("नमस्ते"));
        model.appendCell(QString());
        model.appendCell(QStringLiteral("O'Brien"));
        model.appendCell(QStringLiteral("😀"));
        model.endFill();
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.cell(0, 0), QStringLiteral("नमस्ते"));
        QCOMPARE(model.cell(0, 1), QString());
        QCOMPARE(model.cell(1, 1), QStringLiteral("😀"));
        QCOMPARE(model.cell(5, 0), QString());
    }

    void twipsBecomePixels_data() {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("pixels");
        QTest::addRow("one inch at 96") << 1440 << 96 << 96;
        QTest::addRow("15 twips a pixel at 96") << 1500 << 96 << 100;
        QTest::addRow("rounds to nearest") << 1000 << 96 << 67;
        QTest::addRow("at 120 dpi") << 1440 << 120 << 120;
        QTest::addRow("zero") << 0 << 96 << 0;
    }
    void twipsBecomePixels() {
        QFETCH(int, twips);
        QFETCH(int, dpi);
        QFETCH(int, pixels);
        QCOMPARE(ui::twipsToPixels(twips, dpi), pixels);
    }

    // Columns fit their header and their values as the grid is filled, within
    // a limit; a width the screen sets stays unless it is what cuts them.
    void columnsFitTheirContents_data() {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("twips");    // set by the screen; 0: none
        QTest::addColumn<QString>("fits"); // "header", "value", "limit" or "set"
        const QString history =
            QStringLiteral("4/12/2026 9:5 AM FIBER CUT NEAR POLE 14 ").repeated(8);
        QTest::addRow("long header") << QStringLiteral("reason_on_the_part_of_the_vendor")
                                     << QStringLiteral("NA") << 0 << QStringLiteral("header");
        QTest::addRow("long value") << QStringLiteral("circle") << QStringLiteral("MAHARASHTRA")
                                    << 0 << QStringLiteral("value");
        QTest::addRow("date-time") << QStringLiteral("d") << QStringLiteral("2026-12-31 23:59:59")
                                   << 0 << QStringLiteral("value");
        QTest::addRow("beyond the limit")
            << QStringLiteral("history") << history << 0 << QStringLiteral("limit");
        QTest::addRow("set width holds")
            << QStringLiteral("id") << QStringLiteral("7") << 4000 << QStringLiteral("set");
        QTest::addRow("set width that cuts")
            << QStringLiteral("circle") << QStringLiteral("MAHARASHTRA") << 300
            << QStringLiteral("value");
    }
    void columnsFitTheirContents() {
        QFETCH(QString, header);
        QFETCH(QString, value);
        QFETCH(int, twips);
        QFETCH(QString, fits);
        ui::QueryGrid grid;
        if (twips)
            grid.setColumnWidthsTwips({twips});
        auto& model = grid.gridModel();
        model.beginFill({header, QStringLiteral("next")});
        for (const QString& cell :
             {QStringLiteral("1"), QStringLiteral("x"), value, QStringLiteral("y")})
            model.appendCell(cell);
        model.endFill();

        const int width = grid.columnWidth(0);
        const int headerNeeds = grid.horizontalHeader()->sectionSizeHint(0);
        const int valueNeeds = grid.sizeHintForIndex(model.index(1, 0)).width();
        const int limit = ui::twipsToPixels(ui::QueryGrid::widestColumnTwips, grid.logicalDpiX());
        if (fits == QLatin1String("limit")) {
            QCOMPARE(width, limit);
            return;
        }
        QVERIFY2(
            width >= headerNeeds && width >= valueNeeds,
            qPrintable(
                QStringLiteral("%1 px for %2 and %3").arg(width).arg(headerNeeds).arg(valueNeeds)));
        if (fits == QLatin1String("set"))
            QCOMPARE(width, ui::twipsToPixels(twips, grid.logicalDpiX()));
        else
            QVERIFY(width <= std::max(headerNeeds, valueNeeds) + 1);
    }

    // Only a bounded number of rows is measured, so an answer of a million
    // rows binds as fast as one of a few hundred: a long value far down the
    // list does not widen its column. (Qt by itself would measure the first
    // thousand rows.)
    void fittingMeasuresABoundedNumberOfRows() {
        ui::QueryGrid grid;
        auto& model = grid.gridModel();
        model.beginFill({QStringLiteral("site")});
        const int rows = 1000;
        const QString far = QStringLiteral("TVM-KAZHAKUTTAM-AP-FAR-DOWN-THE-LIST");
        for (int row = 0; row < rows; ++row)
            model.appendCell(row == rows - 1 ? far : QStringLiteral("AP"));
        model.endFill();
        QVERIFY(ui::QueryGrid::measuredRows < rows);
        QVERIFY(grid.columnWidth(0) < grid.sizeHintForIndex(model.index(rows - 1, 0)).width());
    }

    void widthsHoldAcrossBindings() {
        ui::QueryGrid grid;
        grid.setColumnWidthsTwips({1440, 2880});
        auto& model = grid.gridModel();
        model.beginFill({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        model.endFill();
        const int dpi = grid.logicalDpiX();
        QCOMPARE(grid.columnWidth(0), ui::twipsToPixels(1440, dpi));
        QCOMPARE(grid.columnWidth(1), ui::twipsToPixels(2880, dpi));
    }
};

QTEST_MAIN(TestQueryGrid)
#include "tst_query_grid.moc"
