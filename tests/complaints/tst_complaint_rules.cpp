#include "complaints/complaint_rules.h"

#include <QTest>

class TestComplaintRules : public QObject {
    Q_OBJECT

private slots:
    void historyEntries() {
        const QString time = QStringLiteral("4-Dec-21 9:5 PM");
        QCOMPARE(
            QStringLiteral("SIGNAL WEAK") + complaints::updateEntry(time, QStringLiteral("NOC1"),
                                                                    QStringLiteral("ONU replaced")),
            QStringLiteral("SIGNAL WEAK@4-Dec-21 9:5 PM Update by: NOC1@Update: ONU replaced"));
        QCOMPARE(complaints::closingEntry(time, QStringLiteral("Asha Verma")),
                 QStringLiteral("@4-Dec-21 9:5 PM Closed by: Asha Verma"));
    }

    void hoursPending_data() {
        QTest::addColumn<QString>("issued");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<qint64>("hours");
        const QDate day(2021, 12, 4);
        QTest::addRow("across midnight") << QStringLiteral("2021-12-04 23:30:00")
                                         << QDateTime(day.addDays(1), QTime(0, 10)) << qint64(1);
        QTest::addRow("same hour late") << QStringLiteral("2021-12-04 23:30:00")
                                        << QDateTime(day, QTime(23, 59, 59)) << qint64(0);
        QTest::addRow("two minutes over the hour")
            << QStringLiteral("2021-12-04 10:59:00") << QDateTime(day, QTime(11, 1)) << qint64(1);
        QTest::addRow("as written by the screen")
            << QStringLiteral(" 4-Dec-21 9:5 PM ") << QDateTime(day.addDays(2), QTime(9, 5))
            << qint64(36);
        QTest::addRow("issue time ahead")
            << QStringLiteral("2021-12-04 13:00:00") << QDateTime(day, QTime(11, 59)) << qint64(-2);
    }
    void hoursPending() {
        QFETCH(QString, issued);
        QFETCH(QDateTime, now);
        QFETCH(qint64, hours);
        const auto pending = complaints::hoursPending(issued, now);
        QVERIFY(pending);
        QCOMPARE(*pending, hours);
    }

    void anIssueTimeThatIsNoDateGivesNoHours() {
        const QDateTime now(QDate(2021, 12, 4), QTime(10, 0));
        QVERIFY(!complaints::hoursPending(QString(), now));
        QVERIFY(!complaints::hoursPending(QStringLiteral("4/4/1970x"), now));
    }

    void mobileNumbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("number");
        QTest::addRow("digits") << QStringLiteral("9447000001") << true;
        QTest::addRow("empty") << QString() << false;
        QTest::addRow("blank inside") << QStringLiteral("94470 00001") << false;
        QTest::addRow("country code sign") << QStringLiteral("+919447000001") << false;
        QTest::addRow("dash") << QStringLiteral("9447-000001") << false;
        QTest::addRow("other script digits") << QStringLiteral("\u0669\u0664") << false;
        QTest::addRow("too long for a number") << QStringLiteral("1234567890123456789") << false;
    }
    void mobileNumbers() {
        QFETCH(QString, text);
        QFETCH(bool, number);
        QCOMPARE(complaints::isMobileNumber(text), number);
    }

    void pageAddressesCarryValuesEncoded_data() {
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<QByteArray>("expected");
        QTest::addRow("closing notice")
            << complaints::closingNoticeUrl(QStringLiteral("portal.example:8080"),
                                            QStringLiteral("94 47&cn=5#"), QStringLiteral("12"))
            << QByteArray("http://portal.example:8080/waba_complaint_closed.php?"
                          "mobile=94%2047%26cn%3D5%23&cn=12");
        QTest::addRow("policy page")
            << complaints::policyServerUrl(QStringLiteral("10.0.0.9"), QStringLiteral("policy.php"),
                                           QStringLiteral("kl0000001"),
                                           QStringLiteral("ims.kl.example.net/201"))
            << QByteArray("http://10.0.0.9/policy.php?bb=kl0000001&ip=ims.kl.example.net%2F201");
        QTest::addRow("AP page, nothing known")
            << complaints::policyServerUrl(QStringLiteral("10.0.0.9"), QStringLiteral("ap.php"),
                                           QString(), QString())
            << QByteArray("http://10.0.0.9/ap.php?bb=&ip=");
    }
    void pageAddressesCarryValuesEncoded() {
        QFETCH(QUrl, url);
        QFETCH(QByteArray, expected);
        QCOMPARE(url.toEncoded(), expected);
    }

    void apNames_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("stored");
        QTest::addRow("offline") << QString() << false;
        QTest::addRow("a name") << QStringLiteral("EKM-AP-9") << true;
        QTest::addRow("49 characters") << QString(49, QLatin1Char('A')) << true;
        QTest::addRow("50 characters, an error page") << QString(50, QLatin1Char('A')) << false;
        // Bytes that were not text come out as replacement characters.
        QTest::addRow("not text") << QStringLiteral("EKM-AP-\uFFFD9") << false;
    }
    void apNames() {
        QFETCH(QString, text);
        QFETCH(bool, stored);
        QCOMPARE(complaints::isApName(text), stored);
    }
};

QTEST_APPLESS_MAIN(TestComplaintRules)
#include "tst_complaint_rules.moc"
