#include "onu/onu_rules.h"

#include <QTest>

class TestOnuRules : public QObject {
    Q_OBJECT

private slots:
    void theKeyIsNormalised_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("key");
        QTest::addRow("dashes, blanks, leading 0") << "0-12 345"
                                                   << "12345";
        QTest::addRow("only one 0 goes") << "00484"
                                         << "0484";
        QTest::addRow("0 after the blanks") << " 0 48"
                                            << "48";
        QTest::addRow("a user name") << "anil.kumar"
                                     << "anil.kumar";
        QTest::addRow("nothing") << ""
                                 << "";
    }
    void theKeyIsNormalised() {
        QFETCH(QString, typed);
        QTEST(onu::normaliseKey(typed), "key");
    }

    void compositesSplitAtTheFirstSlash_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("hasFirst");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addRow("pair") << "ims.example/2500" << true << "ims.example"
                              << "2500";
        QTest::addRow("second slash kept") << "9148/pa/ss" << true << "9148"
                                           << "pa/ss";
        QTest::addRow("no slash: all to the second") << "2500" << false << ""
                                                     << "2500";
        QTest::addRow("slash first") << "/pw" << true << ""
                                     << "pw";
        QTest::addRow("empty") << "" << false << ""
                               << "";
    }
    void compositesSplitAtTheFirstSlash() {
        QFETCH(QString, stored);
        QFETCH(bool, hasFirst);
        const auto parts = onu::splitComposite(stored);
        QCOMPARE(parts.first.has_value(), hasFirst);
        if (hasFirst)
            QTEST(*parts.first, "first");
        QTEST(parts.second, "second");
    }

    void mtnlIsThatWordExactly_data() {
        QTest::addColumn<QString>("service");
        QTest::addColumn<bool>("mtnl");
        QTest::addRow("exact") << "MTNL" << true;
        QTest::addRow("trailing blank") << "MTNL " << true;
        QTest::addRow("lower case") << "mtnl" << false;
        QTest::addRow("other") << "FTTH" << false;
    }
    void mtnlIsThatWordExactly() {
        QFETCH(QString, service);
        QTEST(onu::isMtnl(service), "mtnl");
    }

    // "U" changed a row, "N" found none, "F" failed with "gone".
    void theMacReportSaysWhereItWent_data() {
        QTest::addColumn<QString>("outcomes");
        QTest::addColumn<QString>("report");
        QTest::addRow("both") << "UU"
                              << "MAC UPDATED";
        QTest::addRow("main only") << "UN"
                                   << "MAC UPDATED ON THE MAIN DATABASE ONLY";
        QTest::addRow("second only") << "NU"
                                     << "MAC UPDATED ON THE SECOND DATABASE ONLY";
        QTest::addRow("no row") << "NN"
                                << "NO OLT ROW FOR id7";
        QTest::addRow("both failing") << "FF"
                                      << "MAC NOT UPDATED ON THE MAIN DATABASE: gone\n"
                                         "MAC NOT UPDATED ON THE SECOND DATABASE: gone";
        QTest::addRow("second failing") << "UF"
                                        << "MAC UPDATED ON THE MAIN DATABASE\n"
                                           "MAC NOT UPDATED ON THE SECOND DATABASE: gone";
        QTest::addRow("main failing, no row on the second")
            << "FN"
            << "MAC NOT UPDATED ON THE MAIN DATABASE: gone\n"
               "NO OLT ROW FOR id7 ON THE SECOND DATABASE";
    }
    void theMacReportSaysWhereItWent() {
        QFETCH(QString, outcomes);
        const auto write = [](QChar outcome) {
            onu::MacWrite w;
            if (outcome == u'U')
                w.changed = 1;
            if (outcome == u'F')
                w.failure = QStringLiteral("gone");
            return w;
        };
        QTEST(onu::macUpdateReport(write(outcomes.at(0)), write(outcomes.at(1)),
                                   QStringLiteral("id7")),
              "report");
    }

    void valuesAreMadeFitForTheOnu() {
        QCOMPARE(onu::phoneForPage(QStringLiteral("+9148+1")), QStringLiteral("k9148k1"));
        QCOMPARE(onu::wifiNameForOnu(QStringLiteral("My Home  Net")),
                 QStringLiteral("My-Home--Net"));
        QVERIFY(!onu::wifiPasswordLongEnough(QStringLiteral("1234567")));
        QVERIFY(onu::wifiPasswordLongEnough(QStringLiteral("12345678")));
    }
};

QTEST_GUILESS_MAIN(TestOnuRules)
#include "tst_onu_rules.moc"
