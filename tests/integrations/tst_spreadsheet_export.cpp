#include "core/config.h"
#include "db/grid_model.h"
#include "integrations/spreadsheet_export.h"
#include "support/event_loop_ticks.h"
#include "support/recording_programs.h"
#include "support/strings.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QXmlStreamReader>

#include <clocale>
#include <memory>

using integrations::CellKind;

namespace {

void fill(db::GridModel& grid, const QStringList& columns, const QList<QStringList>& rows) {
    grid.beginFill(columns);
    for (const QStringList& row : rows)
        for (const QString& cell : row)
            grid.appendCell(cell);
    grid.endFill();
}

QByteArray unzipEntry(const QString& xlsx, const QString& entry) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), xlsx, entry});
    unzip.waitForFinished();
    return unzip.readAllStandardOutput();
}

// A spreadsheet reads "_x000D_" in a stored text as the character U+000D.
QString unescaped(QString text) {
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    for (auto m = escape.match(text); m.hasMatch(); m = escape.match(text, m.capturedStart() + 1))
        text.replace(m.capturedStart(), m.capturedLength(),
                     QChar(m.captured(1).toUShort(nullptr, 16)));
    return text;
}

QStringList sharedStrings(const QString& xlsx) {
    QStringList strings;
    QXmlStreamReader xml(unzipEntry(xlsx, QStringLiteral("xl/sharedStrings.xml")));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"si")
            strings << QString();
        else if (xml.name() == u"t" && !strings.isEmpty())
            strings.last() += unescaped(xml.readElementText());
    }
    return strings;
}

// The first sheet's cells as "A1 s:text" (a string) or "C2 n:12" (a number),
// whichever way the library stores its strings.
QStringList sheetCells(const QString& xlsx) {
    const QStringList shared = sharedStrings(xlsx);
    QStringList cells;
    QString ref;
    QString type;
    QXmlStreamReader xml(unzipEntry(xlsx, QStringLiteral("xl/worksheets/sheet1.xml")));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"c") {
            ref = xml.attributes().value(QLatin1String("r")).toString();
            type = xml.attributes().value(QLatin1String("t")).toString();
        } else if (xml.name() == u"t") {
            cells << ref + QStringLiteral(" s:") + unescaped(xml.readElementText());
        } else if (xml.name() == u"v") {
            const QString v = xml.readElementText();
            if (type == u"s")
                cells << ref + QStringLiteral(" s:") + shared.value(v.toInt());
            else
                cells << ref + (type.isEmpty() ? QStringLiteral(" n:") : QStringLiteral(" ?:")) + v;
        }
    }
    if (xml.hasError())
        cells << QStringLiteral("unreadable sheet: ") + xml.errorString();
    return cells;
}

// Rows of "r«n»", «n» and "x«n»": a grid that takes a while to write.
void fillNumbered(db::GridModel& grid, int rows) {
    grid.beginFill(support::strings({"ID", "N", "NOTE"}));
    for (int r = 0; r < rows; ++r) {
        grid.appendCell(QStringLiteral("r%1").arg(r));
        grid.appendCell(QString::number(r));
        grid.appendCell(QStringLiteral("x%1").arg(r));
    }
    grid.endFill();
}

// The process's open files: a dropped workbook must not keep its scratch
// file open.
qsizetype openFiles() {
    return QDir(QStringLiteral("/proc/self/fd"))
        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
        .size();
}

bool hasUnzip() {
    return !QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty();
}

QStringList exportFiles(const QString& folder) {
    return QDir(folder).entryList(QDir::Files);
}

// Makes the process's numbers use a decimal comma, compiling a German locale
// into a scratch folder when the system has none installed.
bool useDecimalComma(const QString& scratch) {
    const char* name = "de_DE.UTF-8";
    if (!std::setlocale(LC_NUMERIC, name) &&
        !QStandardPaths::findExecutable(QStringLiteral("localedef")).isEmpty()) {
        QProcess::execute(QStringLiteral("localedef"),
                          {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                           QStringLiteral("UTF-8"), scratch + QStringLiteral("/de_DE.UTF-8")});
        qputenv("LOCPATH", QFile::encodeName(scratch));
        std::setlocale(LC_NUMERIC, name);
    }
    return std::localeconv()->decimal_point == QByteArray(",");
}

} // namespace

class TestSpreadsheetExport : public QObject {
    Q_OBJECT

    QString m_systemTemp;
    std::unique_ptr<QTemporaryDir> m_temp;

private slots:
    void initTestCase() { m_systemTemp = QDir::tempPath(); }

    // Every test gets its own temporary folder, so it sees exactly the
    // workbooks it made.
    void init() {
        m_temp.reset();
        m_temp = std::make_unique<QTemporaryDir>(m_systemTemp +
                                                 QStringLiteral("/tst_spreadsheet_export-XXXXXX"));
        QVERIFY(m_temp->isValid());
        qputenv("TMPDIR", QFile::encodeName(m_temp->path()));
    }

    void clipboardText_data() {
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<QString>("text");
        QTest::addRow("header only") << support::strings({"ID", "NAME"}) << QList<QStringList>{}
                                     << QStringLiteral("ID\tNAME");
        QTest::addRow("rows separated, none after the last")
            << support::strings({"A", "B"})
            << QList<QStringList>{support::strings({"1", "x"}), support::strings({"2", "y"})}
            << QStringLiteral("A\tB\r1\tx\r2\ty");
        QTest::addRow("empty cells keep their places")
            << support::strings({"A", "B", "C"})
            << QList<QStringList>{support::strings({"", "m", ""})}
            << QStringLiteral("A\tB\tC\r\tm\t");
        QTest::addRow("tab and line break go in as typed")
            << support::strings({"NOTE"})
            << QList<QStringList>{support::strings({"a\tb"}), support::strings({"c\r\nd"})}
            << QStringLiteral("NOTE\ra\tb\rc\r\nd");
    }

    void clipboardText() {
        QFETCH(QStringList, columns);
        QFETCH(QList<QStringList>, rows);
        db::GridModel grid;
        fill(grid, columns, rows);
        QTEST(integrations::gridClipboardText(grid), "text");
    }

    void cellKind_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<CellKind>("kind");
        const auto row = [](const char* text, CellKind kind) {
            QTest::addRow("%s", text) << QString::fromUtf8(text) << kind;
        };
        row("", CellKind::Empty);
        for (const char* number : {"0", "12", "-3", "4.5", "0.25", "-0.75", "123456789",
                                   "1234567.891", "0.000000001234"})
            row(number, CellKind::Number);
        for (const char* text : {"007",
                                 "0987",
                                 "-007",
                                 "00.5",
                                 "1234567890",
                                 "9876543210",
                                 "+919876543210",
                                 "+5",
                                 "12345.67890123456",
                                 "0.1234567890123456",
                                 "1,234",
                                 " 12",
                                 "12 ",
                                 "1e5",
                                 "NaN",
                                 "inf",
                                 "4.",
                                 ".5",
                                 "-",
                                 "-.5",
                                 "1-Jan-24",
                                 "12:30",
                                 "10.20.30.40",
                                 "\xd9\xa1\xd9\xa2" /* Arabic-Indic 12 */,
                                 "12abc"})
            row(text, CellKind::Text);
    }

    void cellKind() {
        QFETCH(QString, text);
        QTEST(integrations::cellKind(text), "kind");
    }

    void workbookHoldsTheGridFromA1() {
        QVERIFY2(hasUnzip(), "reading a workbook back needs unzip");
        const QString longText(40000, u'x');
        db::GridModel grid;
        fill(grid, support::strings({"ID", "MOBILE", "HOURS", "NAME", "NOTE"}),
             {support::strings({"0987", "9876543210", "12", "A & <B> \"q\"", ""}),
              support::strings({"5", "+919876543210", "4.5", "tab\there", "line\r\nbreak"}),
              {QStringLiteral("-3"), QString(), QStringLiteral("0.25"),
               QString::fromUtf8("\xe0\xa4\xb0\xe0\xa4\xbe\xe0\xa4\xae"), longText}});
        const QString path = m_temp->filePath(QStringLiteral("grid.xlsx"));

        QCOMPARE(integrations::writeWorkbook(grid, path), QString());

        const QStringList expected{
            QStringLiteral("A1 s:ID"),
            QStringLiteral("B1 s:MOBILE"),
            QStringLiteral("C1 s:HOURS"),
            QStringLiteral("D1 s:NAME"),
            QStringLiteral("E1 s:NOTE"),
            QStringLiteral("A2 s:0987"),
            QStringLiteral("B2 s:9876543210"),
            QStringLiteral("C2 n:12"),
            QStringLiteral("D2 s:A & <B> \"q\""),
            QStringLiteral("A3 n:5"),
            QStringLiteral("B3 s:+919876543210"),
            QStringLiteral("C3 n:4.5"),
            QStringLiteral("D3 s:tab\there"),
            QStringLiteral("E3 s:line\r\nbreak"),
            QStringLiteral("A4 n:-3"),
            QStringLiteral("C4 n:0.25"),
            QStringLiteral("D4 s:") + QString::fromUtf8("\xe0\xa4\xb0\xe0\xa4\xbe\xe0\xa4\xae"),
            QStringLiteral("E4 s:") + longText.left(32767),
        };
        QCOMPARE(sheetCells(path), expected);
    }

    void numbersKeepTheirPointUnderADecimalCommaLocale() {
        QVERIFY2(hasUnzip(), "reading a workbook back needs unzip");
        const QByteArray before = std::setlocale(LC_NUMERIC, nullptr);
        const bool hadLocpath = qEnvironmentVariableIsSet("LOCPATH");
        const QByteArray locpath = qgetenv("LOCPATH");
        const bool comma = useDecimalComma(m_temp->path());
        const QString path = m_temp->filePath(QStringLiteral("comma.xlsx"));
        QString error;
        if (comma) {
            db::GridModel grid;
            fill(grid, support::strings({"HOURS"}), {support::strings({"4.5"})});
            error = integrations::writeWorkbook(grid, path);
        }
        std::setlocale(LC_NUMERIC, before.constData());
        if (hadLocpath)
            qputenv("LOCPATH", locpath);
        else
            qunsetenv("LOCPATH");
        if (!comma)
            QSKIP("no locale with a decimal comma can be made here");

        QCOMPARE(error, QString());
        QCOMPARE(sheetCells(path), support::strings({"A1 s:HOURS", "A2 n:4.5"}));
    }

    void writeFailuresAreReported() {
        db::GridModel grid;
        fill(grid, support::strings({"ID"}), {support::strings({"1"})});
        const QString error =
            integrations::writeWorkbook(grid, m_temp->filePath(QStringLiteral("gone/grid.xlsx")));
        QVERIFY2(!error.isEmpty(), "a workbook in a missing folder was reported written");
    }

    void exportOpensANewWorkbook_data() {
        QTest::addColumn<QString>("configured");
        QTest::addColumn<QString>("program");
        QTest::addRow("configured program")
            << QStringLiteral("/opt/office/localc") << QStringLiteral("/opt/office/localc");
        QTest::addRow("desktop default") << QString() << QString();
    }

    void exportOpensANewWorkbook() {
        QVERIFY2(hasUnzip(), "reading a workbook back needs unzip");
        QFETCH(QString, configured);
        QFETCH(QString, program);
        db::GridModel grid;
        fill(grid, support::strings({"ID", "HOURS"}), {support::strings({"0987", "12"})});
        const auto config =
            core::Config::fromValues({{QStringLiteral("tools/spreadsheet"), configured}});
        support::RecordingPrograms programs;
        QGuiApplication::clipboard()->setText(QStringLiteral("earlier text"));

        const QString path = integrations::exportGrid(grid, config, programs);

        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("ID\tHOURS\r0987\t12"));
        QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(m_temp->path()).absoluteFilePath());
        QVERIFY2(QRegularExpression(QStringLiteral("^zelcrm-export-\\d{8}-\\d{6}-\\d{3}\\.xlsx$"))
                     .match(QFileInfo(path).fileName())
                     .hasMatch(),
                 qPrintable(path));
        QCOMPARE(sheetCells(path),
                 support::strings({"A1 s:ID", "B1 s:HOURS", "A2 s:0987", "B2 n:12"}));
        QCOMPARE(programs.started().size(), 1);
        const auto& started = programs.started().first();
        QCOMPARE(started.program, program);
        if (program.isEmpty()) {
            QCOMPARE(started.url, QUrl::fromLocalFile(path));
        } else {
            QCOMPARE(started.arguments, QStringList{path});
        }
    }

    void eachExportGetsItsOwnPrivateWorkbook() {
        db::GridModel grid;
        fill(grid, support::strings({"ID"}), {support::strings({"1"})});
        const auto config = core::Config::fromValues({});
        support::RecordingPrograms programs;

        const QString first = integrations::exportGrid(grid, config, programs);
        const QString second = integrations::exportGrid(grid, config, programs);

        QVERIFY(first != second);
        QCOMPARE(exportFiles(m_temp->path()).size(), 2);
        for (const QString& path : {first, second})
            QVERIFY2(
                !(QFile::permissions(path) & (QFileDevice::ReadGroup | QFileDevice::ReadOther)),
                qPrintable(path));
    }

    void aProgramThatDoesNotStartIsNamedAndTheWorkbookStays_data() {
        QTest::addColumn<QString>("configured");
        QTest::addColumn<QString>("named");
        QTest::addRow("configured program")
            << QStringLiteral("localc") << QStringLiteral("the spreadsheet program \"localc\"");
        QTest::addRow("desktop default")
            << QString() << QStringLiteral("the desktop's spreadsheet program");
    }

    void aProgramThatDoesNotStartIsNamedAndTheWorkbookStays() {
        QFETCH(QString, configured);
        QFETCH(QString, named);
        db::GridModel grid;
        fill(grid, support::strings({"ID"}), {support::strings({"1"})});
        const auto config =
            core::Config::fromValues({{QStringLiteral("tools/spreadsheet"), configured}});
        support::RecordingPrograms programs;
        programs.fail();

        QString message;
        try {
            integrations::exportGrid(grid, config, programs);
        } catch (const integrations::ExportError& e) {
            message = QString::fromStdString(e.what());
        }

        const QStringList files = exportFiles(m_temp->path());
        QCOMPARE(files.size(), 1);
        QVERIFY2(message.contains(named), qPrintable(message));
        QVERIFY2(message.contains(QDir::toNativeSeparators(m_temp->filePath(files.first()))),
                 qPrintable(message));
    }

    // The workbook is written from the cells as they were at the click,
    // while the screen goes on: here the grid is even refilled meanwhile.
    void theScreenStaysLiveWhileTheWorkbookIsWritten() {
        QVERIFY2(hasUnzip(), "reading a workbook back needs unzip");
        const int rows = 100000;
        db::GridModel grid;
        fillNumbered(grid, rows);
        support::RecordingPrograms programs;
        support::EventLoopTicks ticks;
        QTimer refill;
        connect(&refill, &QTimer::timeout, &refill, [&] {
            fill(grid, support::strings({"OTHER"}), {support::strings({"changed"})});
            refill.stop();
        });
        refill.start(30);

        const QString path = integrations::exportGrid(grid, core::Config::fromValues({}), programs);

        QVERIFY2(ticks.count() > 0, "the event loop stood still during the export");
        QCOMPARE(grid.columns(), support::strings({"OTHER"}));
        QCOMPARE(programs.started().size(), 1);
        const QStringList cells = sheetCells(path);
        QCOMPARE(cells.size(), qsizetype(3 * (rows + 1)));
        QCOMPARE(cells.mid(0, 6), support::strings({"A1 s:ID", "B1 s:N", "C1 s:NOTE", "A2 s:r0",
                                                    "B2 n:0", "C2 s:x0"}));
        QCOMPARE(cells.last(), QStringLiteral("C100001 s:x99999"));
        const QString text = QGuiApplication::clipboard()->text();
        QVERIFY(text.startsWith(QStringLiteral("ID\tN\tNOTE\rr0\t0\tx0\r")));
        QVERIFY(text.endsWith(QStringLiteral("\rr99999\t99999\tx99999")));
    }

    // After half a second the progress shows; its cancel button stops the
    // export, and neither a file nor a program is left, nor a file kept
    // open (the second cancel opens nothing the first left over). The
    // clipboard still gets the text.
    void aCancelledExportLeavesNoFile() {
        db::GridModel grid;
        fillNumbered(grid, 1000000);
        support::RecordingPrograms programs;
        qsizetype filesOpen = 0;
        for (int run = 0; run < 2; ++run) {
            bool shownWhenCancelled = false;
            QTimer::singleShot(700, this, [&] {
                for (QWidget* window : QApplication::topLevelWidgets()) {
                    auto* progress = qobject_cast<QProgressDialog*>(window);
                    if (!progress || progress->objectName() != QLatin1String("exportProgress"))
                        continue;
                    shownWhenCancelled = progress->isVisible();
                    if (auto* button = progress->findChild<QPushButton*>())
                        QTest::mouseClick(button, Qt::LeftButton);
                }
            });

            const QString path =
                integrations::exportGrid(grid, core::Config::fromValues({}), programs);

            QVERIFY2(shownWhenCancelled, "no progress was shown after half a second");
            QCOMPARE(path, QString());
            QCOMPARE(exportFiles(m_temp->path()), QStringList());
            QVERIFY(programs.started().isEmpty());
            QVERIFY(QGuiApplication::clipboard()->text().endsWith(
                QStringLiteral("\rr999999\t999999\tx999999")));
            if (run == 1)
                QCOMPARE(openFiles(), filesOpen);
            filesOpen = openFiles();
        }
    }

    void aGridTooLargeForASheetIsRefusedAndLeavesNothing() {
        db::GridModel grid;
        grid.beginFill(support::strings({"ID"}));
        for (int r = 0; r < 1048576; ++r) // one more than fits below the header
            grid.appendCell(nullptr, 0);
        grid.endFill();
        support::RecordingPrograms programs;

        QVERIFY_THROWS_EXCEPTION(
            integrations::ExportError,
            integrations::exportGrid(grid, core::Config::fromValues({}), programs));

        QCOMPARE(exportFiles(m_temp->path()), QStringList());
        QVERIFY(programs.started().isEmpty());
        // The clipboard still gets the grid, for pasting by hand.
        const QString text = QGuiApplication::clipboard()->text();
        QCOMPARE(text.size(), qsizetype(2 + 1048576));
        QVERIFY(text.startsWith(QStringLiteral("ID\r\r")));
    }
};

QTEST_MAIN(TestSpreadsheetExport)
#include "tst_spreadsheet_export.moc"
