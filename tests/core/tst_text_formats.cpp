#include "core/text_formats.h"

#include <QLocale>
#include <QTest>
#include <QTimeZone>

using namespace core::formats;

namespace {

QDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms));
}

} // namespace

class TstTextFormats : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void written_data();
    void written();
    void invalidWritesNothing();

    void parse_data();
    void parse();
    void rejects_data();
    void rejects();
    void roundTrip_data();
    void roundTrip();

    void boundaries_data();
    void boundaries();
    void boundariesFollowTheWallClockAcrossDst();
};

// A desktop in another language must still write English month names.
void TstTextFormats::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::German));
}

void TstTextFormats::written_data() {
    QTest::addColumn<QDateTime>("t");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("dateTime");
    QTest::addColumn<QString>("dateTime24");
    QTest::addColumn<QString>("us");
    QTest::addColumn<QString>("iso");

    QTest::addRow("evening") << at(2021, 12, 4, 21, 5, 7) << "4-Dec-21"
                             << "4-Dec-21 9:5 PM"
                             << "4-Dec-21 21:05"
                             << "12/04/2021 9:5 PM"
                             << "2021-12-04 21:05:07";
    QTest::addRow("midnight") << at(2021, 1, 1, 0, 0) << "1-Jan-21"
                              << "1-Jan-21 12:0 AM"
                              << "1-Jan-21 00:00"
                              << "01/01/2021 12:0 AM"
                              << "2021-01-01 00:00:00";
    QTest::addRow("just after midnight") << at(2021, 3, 9, 0, 7) << "9-Mar-21"
                                         << "9-Mar-21 12:7 AM"
                                         << "9-Mar-21 00:07"
                                         << "03/09/2021 12:7 AM"
                                         << "2021-03-09 00:07:00";
    QTest::addRow("noon") << at(2022, 5, 31, 12, 0) << "31-May-22"
                          << "31-May-22 12:0 PM"
                          << "31-May-22 12:00"
                          << "05/31/2022 12:0 PM"
                          << "2022-05-31 12:00:00";
    QTest::addRow("last morning minute") << at(2022, 9, 10, 11, 59, 59) << "10-Sep-22"
                                         << "10-Sep-22 11:59 AM"
                                         << "10-Sep-22 11:59"
                                         << "09/10/2022 11:59 AM"
                                         << "2022-09-10 11:59:59";
    QTest::addRow("year with a leading zero") << at(2005, 7, 15, 13, 30) << "15-Jul-05"
                                              << "15-Jul-05 1:30 PM"
                                              << "15-Jul-05 13:30"
                                              << "07/15/2005 1:30 PM"
                                              << "2005-07-15 13:30:00";
}

void TstTextFormats::written() {
    QFETCH(QDateTime, t);
    QFETCH(QString, date);
    QFETCH(QString, dateTime);
    QFETCH(QString, dateTime24);
    QFETCH(QString, us);
    QFETCH(QString, iso);

    QCOMPARE(shortDate(t.date()), date);
    QCOMPARE(shortDateTime(t), dateTime);
    QCOMPARE(shortDateTime24(t), dateTime24);
    QCOMPARE(usDateTime(t), us);
    QCOMPARE(isoDateTime(t), iso);
    QCOMPARE(periodStart(t.date()), iso.left(10) + QStringLiteral(" 00:00:01"));
    QCOMPARE(periodEnd(t.date()), iso.left(10) + QStringLiteral(" 23:59:59"));
}

void TstTextFormats::invalidWritesNothing() {
    QCOMPARE(shortDate(QDate()), QString());
    QCOMPARE(shortDateTime(QDateTime()), QString());
    QCOMPARE(usDateTime(QDateTime()), QString());
    QCOMPARE(periodStart(QDate()), QString());
    QCOMPARE(isoDateTime(QDateTime()), QString());
}

void TstTextFormats::parse_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("expected");

    QTest::addRow("short date time") << "4-Dec-21 9:5 PM" << at(2021, 12, 4, 21, 5);
    QTest::addRow("month in capitals") << "4-DEC-21 9:05 am" << at(2021, 12, 4, 9, 5);
    QTest::addRow("midnight AM") << "4-Dec-21 12:0 AM" << at(2021, 12, 4, 0, 0);
    QTest::addRow("noon PM") << "4-Dec-21 12:0 PM" << at(2021, 12, 4, 12, 0);
    QTest::addRow("short date") << "4-Dec-21" << at(2021, 12, 4);
    QTest::addRow("four-digit year") << "04-dec-2021" << at(2021, 12, 4);
    QTest::addRow("year 49 is this century") << "1-Jan-49" << at(2049, 1, 1);
    QTest::addRow("year 50 is the last") << "1-Jan-50" << at(1950, 1, 1);
    QTest::addRow("full month name") << "4-December-2021" << at(2021, 12, 4);
    QTest::addRow("month first with seconds")
        << "12/4/2021 9:05:30 PM" << at(2021, 12, 4, 21, 5, 30);
    QTest::addRow("month first") << "12/4/2021 9:5 PM" << at(2021, 12, 4, 21, 5);
    QTest::addRow("month first date") << "2/28/2021" << at(2021, 2, 28);
    QTest::addRow("history stamp") << "12/04/2021 9:5 PM" << at(2021, 12, 4, 21, 5);
    QTest::addRow("iso") << "2021-12-04 21:05:07" << at(2021, 12, 4, 21, 5, 7);
    QTest::addRow("iso milliseconds")
        << "2021-12-04 21:05:07.250" << at(2021, 12, 4, 21, 5, 7, 250);
    QTest::addRow("iso fraction of a second")
        << "2021-12-04 21:05:07.5" << at(2021, 12, 4, 21, 5, 7, 500);
    QTest::addRow("iso date") << "2021-12-04" << at(2021, 12, 4);
    QTest::addRow("iso with T") << "2021-12-04T21:05:07" << at(2021, 12, 4, 21, 5, 7);
    QTest::addRow("leap day") << "29-Feb-24" << at(2024, 2, 29);
    QTest::addRow("blanks around") << "  4-Dec-21 9:5 PM \t" << at(2021, 12, 4, 21, 5);
    QTest::addRow("server's own text") << "Dec  4 2021  9:05PM" << at(2021, 12, 4, 21, 5);
}

void TstTextFormats::parse() {
    QFETCH(QString, text);
    QFETCH(QDateTime, expected);

    const std::optional<QDateTime> parsed = parseDateTime(text);
    QVERIFY(parsed.has_value());
    QCOMPARE(*parsed, expected);
}

void TstTextFormats::rejects_data() {
    QTest::addColumn<QString>("text");

    QTest::addRow("empty") << "";
    QTest::addRow("blanks") << "   ";
    QTest::addRow("words") << "NA";
    QTest::addRow("31 February") << "31-Feb-21";
    QTest::addRow("29 February, no leap year") << "29-Feb-23";
    QTest::addRow("month 13") << "13/1/2021";
    QTest::addRow("day 32") << "1/32/2021";
    QTest::addRow("hour 25") << "4-Dec-21 25:00";
    QTest::addRow("minute 60") << "2021-12-04 10:60:00";
    QTest::addRow("13 PM") << "4-Dec-21 13:00 PM";
    QTest::addRow("no such month") << "4-Dek-21";
    QTest::addRow("hour alone") << "4-Dec-21 9";
    QTest::addRow("three-digit year") << "4-Dec-021";
    QTest::addRow("trailing text") << "4-Dec-21 9:5 PM x";
    QTest::addRow("T without time") << "2021-12-04T";
}

void TstTextFormats::rejects() {
    QFETCH(QString, text);
    const std::optional<QDateTime> parsed = parseDateTime(text);
    QVERIFY2(!parsed, parsed ? qPrintable(isoDateTime(*parsed)) : "");
}

void TstTextFormats::roundTrip_data() {
    QTest::addColumn<QString>("written");
    QTest::addColumn<QDateTime>("expected");

    const QList<QDateTime> moments{at(2021, 12, 4, 21, 5), at(2021, 1, 1, 0, 0),
                                   at(2022, 6, 30, 12, 59), at(2049, 2, 9, 9, 9)};
    for (const QDateTime& t : moments) {
        const QString name = t.toString(Qt::ISODate);
        QTest::addRow("date %s", qPrintable(name)) << shortDate(t.date()) << t.date().startOfDay();
        QTest::addRow("date time %s", qPrintable(name)) << shortDateTime(t) << t;
        QTest::addRow("24-hour %s", qPrintable(name)) << shortDateTime24(t) << t;
        QTest::addRow("us %s", qPrintable(name)) << usDateTime(t) << t;
        QTest::addRow("iso %s", qPrintable(name)) << isoDateTime(t.addSecs(17)) << t.addSecs(17);
        QTest::addRow("start %s", qPrintable(name))
            << periodStart(t.date()) << t.date().startOfDay().addSecs(1);
        QTest::addRow("end %s", qPrintable(name))
            << periodEnd(t.date()) << QDateTime(t.date(), QTime(23, 59, 59));
    }
}

void TstTextFormats::roundTrip() {
    QFETCH(QString, written);
    QFETCH(QDateTime, expected);
    const std::optional<QDateTime> parsed = parseDateTime(written);
    QVERIFY2(parsed, qPrintable(written));
    QCOMPARE(*parsed, expected);
}

void TstTextFormats::boundaries_data() {
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<QDateTime>("end");
    QTest::addColumn<qint64>("hours");
    QTest::addColumn<qint64>("days");

    QTest::addRow("across one hour mark")
        << at(2021, 12, 4, 10, 59) << at(2021, 12, 4, 11, 1) << qint64(1) << qint64(0);
    QTest::addRow("within one hour")
        << at(2021, 12, 4, 10, 1) << at(2021, 12, 4, 10, 59) << qint64(0) << qint64(0);
    QTest::addRow("same moment") << at(2021, 12, 4, 10, 1) << at(2021, 12, 4, 10, 1) << qint64(0)
                                 << qint64(0);
    QTest::addRow("across midnight")
        << at(2021, 12, 4, 23, 59) << at(2021, 12, 5, 0, 1) << qint64(1) << qint64(1);
    QTest::addRow("most of a day, no midnight")
        << at(2021, 12, 4, 0, 0) << at(2021, 12, 4, 23, 59) << qint64(23) << qint64(0);
    QTest::addRow("across a month and a year")
        << at(2021, 12, 31, 22, 30) << at(2022, 1, 2, 1, 0) << qint64(27) << qint64(2);
    QTest::addRow("start ahead") << at(2021, 12, 5, 0, 1) << at(2021, 12, 4, 23, 59) << qint64(-1)
                                 << qint64(-1);
    QTest::addRow("start hours ahead")
        << at(2021, 12, 4, 11, 1) << at(2021, 12, 4, 8, 59) << qint64(-3) << qint64(0);
}

void TstTextFormats::boundaries() {
    QFETCH(QDateTime, start);
    QFETCH(QDateTime, end);
    QFETCH(qint64, hours);
    QFETCH(qint64, days);

    QCOMPARE(hourBoundaries(start, end), hours);
    QCOMPARE(dayBoundaries(start, end), days);
}

// Times are stored as wall-clock texts, so the count goes by the clock faces:
// 1:30 to 3:30 on the night the clocks go forward reads two hour marks,
// though only one hour passed.
void TstTextFormats::boundariesFollowTheWallClockAcrossDst() {
    const QTimeZone berlin("Europe/Berlin");
    if (!berlin.isValid())
        QSKIP("no time zone data on this machine");
    const QDateTime before(QDate(2021, 3, 28), QTime(1, 30), berlin);
    const QDateTime after(QDate(2021, 3, 28), QTime(3, 30), berlin);
    QCOMPARE(before.secsTo(after), qint64(3600));
    QCOMPARE(hourBoundaries(before, after), qint64(2));

    const QDateTime autumnBefore(QDate(2021, 10, 30), QTime(23, 30), berlin);
    const QDateTime autumnAfter(QDate(2021, 10, 31), QTime(23, 30), berlin);
    QCOMPARE(hourBoundaries(autumnBefore, autumnAfter), qint64(24));
    QCOMPARE(dayBoundaries(autumnBefore, autumnAfter), qint64(1));
}

QTEST_GUILESS_MAIN(TstTextFormats)
#include "tst_text_formats.moc"
