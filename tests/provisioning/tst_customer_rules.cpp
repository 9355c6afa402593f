#include "integrations/olt_pages.h"
#include "provisioning/customer_rules.h"
#include "provisioning/registration.h"
#include "support/strings.h"

#include <QTest>
#include <QUrlQuery>

using namespace provisioning;

namespace {

#define ABSENT "<absent>"
const QString absent = QStringLiteral(ABSENT);

QString shown(const std::optional<QString>& value) {
    return value ? *value : absent;
}

// The directory's answer: a 61-character heading, then the five lines.
QString heading(int length = 61) {
    return QString(length - 2, QLatin1Char('H')) + QStringLiteral("\r\n");
}

const QString line1 = QStringLiteral("User Id: ravi.k@ftth.kerala \r\n");
const QString line2 = QStringLiteral("Telephone Number:-0484-2345678\r\n");
const QString line3 = QStringLiteral("Number:  4400123456 kb\r\n");
const QString line4 = QStringLiteral("State:ACTIVE\r\n");
const QString line5 = QStringLiteral("Address: 12 MG Road,ERNAKULAM,KERALA\r\n");

} // namespace

class TestCustomerRules : public QObject {
    Q_OBJECT

private slots:
    void voiceAccountsByProvider_data() {
        QTest::addColumn<QString>("provider");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("voice");
        QTest::addColumn<QString>("second");
        const QString phone = QStringLiteral("4842345678");
        const QString second = QStringLiteral("ZEL-VUVA-4842345678/4842345678");
        QTest::addRow("NEW") << "NEW" << phone << "914842345678/0000" << second;
        QTest::addRow("ZTE") << "ZTE" << phone << "+914842345678/123" << second;
        QTest::addRow("UTSTER") << "UTSTER" << phone << "+914842345678/1234" << second;
        QTest::addRow("other") << "HUAWEI" << phone << "914842345678/914842345678" << second;
        QTest::addRow("case counts") << "zte" << phone << "914842345678/914842345678" << second;
        QTest::addRow("no lookup yet") << "NEW" << QString() << "91/0000"
                                       << "ZEL-VUVA-/";
    }
    void voiceAccountsByProvider() {
        QFETCH(QString, provider);
        QFETCH(QString, phone);
        const VoiceAccounts accounts = voiceAccounts(provider, phone);
        QTEST(accounts.voiceAccount, "voice");
        QTEST(accounts.secondAccount, "second");
    }

    void mtnlVoiceDomainTakesTheSiteEnd() {
        QCOMPARE(
            mtnlVoiceDomain(QStringLiteral("ims.mtnl.example"), QStringLiteral("DEL-JPURI-0042")),
            QStringLiteral("ims.mtnl.example/0042"));
        QCOMPARE(mtnlVoiceDomain(QStringLiteral("ims.mtnl.example"), QStringLiteral("AB")),
                 QStringLiteral("ims.mtnl.example/AB"));
    }

    void engineerMobileIsTheLastTenCharacters_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("mobile");
        QTest::addRow("ten digits") << "Anil Kumar 9847000001"
                                    << "9847000001";
        QTest::addRow("short mobile") << "Bina 98470002"
                                      << "a 98470002";
        QTest::addRow("short entry") << "Raj 12"
                                     << "Raj 12";
    }
    void engineerMobileIsTheLastTenCharacters() {
        QFETCH(QString, entry);
        QTEST(engineerMobile(entry), "mobile");
    }

    void serviceFollowsTheUserNameDomain_data() {
        QTest::addColumn<QString>("userName");
        QTest::addColumn<QString>("service");
        QTest::addRow("seven after @") << "ravi@kochi12"
                                       << "AF";
        QTest::addRow("eight after @") << "ravi@kochi123"
                                       << "FTTH";
        QTest::addRow("first @ counts") << "a@b@cdefgh"
                                        << "FTTH";
        QTest::addRow("no @, eight") << "ravikum1"
                                     << "FTTH";
        QTest::addRow("no @, seven") << "ravikum"
                                     << "AF";
    }
    void serviceFollowsTheUserNameDomain() {
        QFETCH(QString, userName);
        QTEST(serviceForUserName(userName), "service");
    }

    void ldapAnswerLines_data() {
        QTest::addColumn<QString>("body");
        QTest::addColumn<bool>("notFound");
        QTest::addColumn<QStringList>("values"); // user, phone, number, status, ssa, circle
        const QStringList all = support::strings(
            {"ravi.k@ftth.kerala", "04842345678", "4400123456", "ACTIVE", "ERNAKULAM", "KERALA"});
        const QStringList none(6, absent);
        QTest::addRow("full answer")
            << heading() + line1 + line2 + line3 + line4 + line5 << false << all;
        QTest::addRow("user not found")
            << heading() + QStringLiteral("\r\nNo entry\r\n") + line2 << true << none;
        QTest::addRow("cut after 61, not 60")
            << heading(60) + QStringLiteral("\r\n") + line1 + line2 + line3 + line4 + line5 << false
            << QStringList(QStringLiteral(": ravi.k@ftth.kerala")) + all.mid(1);
        QTest::addRow("page shorter than heading") << QStringLiteral("Search") << false << none;
        QTest::addRow("short lines have no value")
            << heading() + QStringLiteral("User Id\r\nTelephone\r\nNumber\r\nStat\r\n") + line5
            << false << support::strings({ABSENT, ABSENT, ABSENT, ABSENT, "ERNAKULAM", "KERALA"});
        QTest::addRow("number line without digits")
            << heading() + line1 + line2 + QStringLiteral("Number: n/a\r\n") + line4 + line5
            << false << all.mid(0, 2) + QStringList(QStringLiteral("0")) + all.mid(3);
        QTest::addRow("address with one comma")
            << heading() + line1 + line2 + line3 + line4 +
                   QStringLiteral("Address: 1 Main St,KERALA\r\n")
            << false << all.mid(0, 4) + support::strings({ABSENT, ABSENT});
        QTest::addRow("blanks by the commas stay")
            << heading() + line1 + line2 + line3 + line4 +
                   QStringLiteral("Address: 1 Main St, ERNAKULAM , KERALA\r\n")
            << false << all.mid(0, 4) + support::strings({" ERNAKULAM ", " KERALA"});
        QTest::addRow("last line without line end loses its last character")
            << heading() + line1 + line2 + line3 + line4 +
                   QStringLiteral("Address: 1 Main St,ERNAKULAM,KERALA")
            << false << all.mid(0, 4) + support::strings({"ERNAKULAM", "KERAL"});
    }
    void ldapAnswerLines() {
        QFETCH(QString, body);
        QFETCH(QStringList, values);
        const LdapAnswer answer = parseLdapAnswer(body);
        QTEST(answer.notFound, "notFound");
        QCOMPARE((QStringList{shown(answer.userName), shown(answer.customerPhone),
                              shown(answer.lookupNumber), shown(answer.lookupStatus),
                              shown(answer.ssa), shown(answer.circle)}),
                 values);
    }

    void leadingNumberReadsLikeTheServer_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("number");
        QTest::addRow("digits") << "4400123456"
                                << "4400123456";
        QTest::addRow("blanks between digits") << " 44 00 12x"
                                               << "440012";
        QTest::addRow("sign and fraction") << "-0042.50 kb"
                                           << "-42.5";
        QTest::addRow("plus sign") << "+7"
                                   << "7";
        QTest::addRow("second point ends it") << "1.2.3"
                                              << "1.2";
        QTest::addRow("fraction only") << ".5"
                                       << "0.5";
        QTest::addRow("minus zero") << "-0"
                                    << "0";
        QTest::addRow("no number") << "n/a 12"
                                   << "0";
        QTest::addRow("empty") << ""
                               << "0";
    }
    void leadingNumberReadsLikeTheServer() {
        QFETCH(QString, text);
        QTEST(leadingNumber(text), "number");
    }

    void macSentToTheOltService_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("sent");
        QTest::addRow("with colons") << "00:1e:a6:4b:7c:2d"
                                     << "00:1e:a6:4b:7c:2d";
        QTest::addRow("four digits") << "7C2D"
                                     << "7C:2D";
        QTest::addRow("twelve digits") << "001EA64B7C2D"
                                       << "00:2D";
    }
    void macSentToTheOltService() {
        QFETCH(QString, typed);
        QTEST(macToSend(typed), "sent");
    }

    void importedMacNeedsExactly84Characters_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("mac");
        QTest::addRow("83") << 83 << absent;
        QTest::addRow("84") << 84 << "00:1E:A6:4B:7C:2D";
        QTest::addRow("85") << 85 << absent;
    }
    void importedMacNeedsExactly84Characters() {
        QFETCH(int, length);
        const QString body = QStringLiteral("ONU FOUND ") + QStringLiteral("00:1E:A6:4B:7C:2D");
        QTEST(shown(importedMac(body.leftJustified(length, QLatin1Char('.')))), "mac");
    }

    void serversGetTheirDefaultPort() {
        QCOMPARE(withDefaultPort(QStringLiteral("10.0.0.5"), 8080),
                 QStringLiteral("10.0.0.5:8080"));
        QCOMPARE(withDefaultPort(QStringLiteral("ldap.example"), 8080),
                 QStringLiteral("ldap.example:8080"));
        QCOMPARE(withDefaultPort(QStringLiteral("127.0.0.1:4711"), 8080),
                 QStringLiteral("127.0.0.1:4711"));
    }

    void pageValuesArePercentEncoded() {
        const QUrl url = integrations::oltPageUrl(
            QStringLiteral("olt.example:81"), integrations::OltPage::VlanCheck,
            {QStringLiteral("10.1.1.1"), QStringLiteral("12&x=1 +")});
        QCOMPARE(url.toEncoded(),
                 QByteArray(
                     "http://olt.example:81/olt/vlan_check.php?ip=10.1.1.1&vlan=12%26x%3D1%20%2B"));
    }

    void clickToCallDialsZeroAndThePhone() {
        const ClickToCall call{QStringLiteral("olt.example"), QStringLiteral("10.9.9.9"),
                               QStringLiteral("301"), QStringLiteral("301")};
        QCOMPARE(clickToCallPage(call, QStringLiteral("4842345678")).toEncoded(),
                 QByteArray("http://olt.example/webphone/click2call.html?wp_serveraddress=10.9.9.9%"
                            "3A5060&wp_username=301&wp_password=301&wp_callto=04842345678&wp_"
                            "autoaction=1"));
        QCOMPARE(
            QUrlQuery(clickToCallPage(call, QString())).queryItemValue(QStringLiteral("wp_callto")),
            QStringLiteral("0"));
    }

    void duplicatePatternMatchesOnlyItself() {
        QCOMPARE(beginsWithPattern(QStringLiteral("a_b%c[d]!e")),
                 QStringLiteral("a!_b!%c![d]!!e%"));
    }
};

QTEST_MAIN(TestCustomerRules)
#include "tst_customer_rules.moc"
