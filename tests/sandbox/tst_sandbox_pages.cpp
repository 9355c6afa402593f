#include "complaints/complaint_rules.h"
#include "integrations/web_browser.h"
#include "provisioning/customer_rules.h"
#include "sandbox_fixture.h"

#include <QApplication>

// The lookup pages read back exactly as the screens read them: through the
// embedded browser's rendered text and the screens' own reading rules.
class TestSandboxPages : public QObject {
    Q_OBJECT

    // The customer record's steps: the search page, the form, the wait while
    // the empty page's length stays.
    static QString submitted(integrations::WebBrowser& browser, const QUrl& page,
                             const QString& field, const QString& value, int emptyLength) {
        if (!browser.navigateAndWait(page))
            return QStringLiteral("(search page did not load)");
        if (browser.bodyText().size() != emptyLength)
            return QStringLiteral("(empty page of %1 characters)").arg(browser.bodyText().size());
        if (!browser.fillFirstForm({{field, value}}) || !browser.submitFirstForm() ||
            !browser.waitUntilLoaded() || !browser.waitWhileBodyLength(emptyLength))
            return QStringLiteral("(no answer)");
        return browser.bodyText();
    }

private slots:
    void theLdapAnswerReadsAsTheCustomerRecordReadsIt_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("read"); // user, phone, number, status, SSA, circle
        const QStringList anil{QStringLiteral("anil.kumar"), QStringLiteral("04842423456"),
                               QStringLiteral("1002345678"), QStringLiteral("active"),
                               QStringLiteral("ERNAKULAM"),  QStringLiteral("KERALA")};
        QTest::addRow("known user") << QStringLiteral("anil.kumar") << anil;
        QTest::addRow("typed in capitals") << QStringLiteral("ANIL.KUMAR ") << anil;
        QTest::addRow("user with @")
            << QStringLiteral("meera@af")
            << QStringList{QStringLiteral("meera@af"),   QStringLiteral("0202567890"),
                           QStringLiteral("1002345679"), QStringLiteral("suspended"),
                           QStringLiteral("PUNE"),       QStringLiteral("MAHARASHTRA")};
        QTest::addRow("unknown user") << QStringLiteral("nobody") << QStringList();
    }
    void theLdapAnswerReadsAsTheCustomerRecordReadsIt() {
        QFETCH(QString, typed);
        QFETCH(QStringList, read);
        SandboxFixture f;
        integrations::WebBrowser browser;
        const QString body =
            submitted(browser, QUrl(QStringLiteral("http://%1/easyldapbeta").arg(f.http())),
                      QStringLiteral("UserName"), typed, 227);
        const provisioning::LdapAnswer answer = provisioning::parseLdapAnswer(body);
        if (read.isEmpty()) {
            QVERIFY2(answer.notFound, qPrintable(body));
            return;
        }
        QVERIFY2(!answer.notFound, qPrintable(body));
        const QStringList got{answer.userName.value_or(QStringLiteral("-")),
                              answer.customerPhone.value_or(QStringLiteral("-")),
                              answer.lookupNumber.value_or(QStringLiteral("-")),
                              answer.lookupStatus.value_or(QStringLiteral("-")),
                              answer.ssa.value_or(QStringLiteral("-")),
                              answer.circle.value_or(QStringLiteral("-"))};
        QCOMPARE(got, read);
    }

    void theMtnlPageAnswersAfterItsEmptyForm_data() {
        QTest::addColumn<QString>("telno");
        QTest::addColumn<QString>("shows");
        QTest::addRow("known number")
            << QStringLiteral("04842423456") << QStringLiteral("Name: Anil Kumar");
        QTest::addRow("unknown number")
            << QStringLiteral("23456789")
            << QStringLiteral("No record for telephone number 23456789");
    }
    void theMtnlPageAnswersAfterItsEmptyForm() {
        QFETCH(QString, telno);
        QFETCH(QString, shows);
        SandboxFixture f;
        integrations::WebBrowser browser;
        const QString body =
            submitted(browser, QUrl(QStringLiteral("http://%1/elite/").arg(f.http())),
                      QStringLiteral("telno"), telno, 82);
        QVERIFY2(body.contains(shows), qPrintable(body));
    }

    // The AP refresh stores the page's text when it is a name, else says
    // OFFLINE.
    void theApPageIsTheNameTheComplaintScreenStores_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("ap"); // empty: offline
        QTest::addRow("active subscriber")
            << QStringLiteral("anil.kumar") << QStringLiteral("EKM-KAKKANAD-OLT");
        QTest::addRow("suspended subscriber") << QStringLiteral("meera@af") << QString();
        QTest::addRow("unknown subscriber") << QStringLiteral("nobody") << QString();
    }
    void theApPageIsTheNameTheComplaintScreenStores() {
        QFETCH(QString, id);
        QFETCH(QString, ap);
        SandboxFixture f;
        integrations::WebBrowser browser;
        QVERIFY(browser.navigateAndWait(complaints::policyServerUrl(
            f.http(), QStringLiteral("ap.php"), id, QStringLiteral("10.1.1.1"))));
        const QString text = browser.bodyText();
        QCOMPARE(text, ap);
        QCOMPARE(complaints::isApName(text), !ap.isEmpty());
    }

    void theOltLoginPageTakesTheDemoAccount_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("shows");
        QTest::addRow("demo account")
            << QStringLiteral("olt p@ss") << QStringLiteral("SYSTEM HOME");
        QTest::addRow("wrong password")
            << QStringLiteral("olt pass") << QStringLiteral("Login failed");
    }
    void theOltLoginPageTakesTheDemoAccount() {
        QFETCH(QString, password);
        QFETCH(QString, shows);
        SandboxFixture f;
        integrations::WebBrowser browser;
        // As OPEN OLT does with olt_trust_self_signed: only this host's
        // certificate error is let through.
        browser.setTrustedSelfSignedHost(QStringLiteral("127.0.0.1"));
        QVERIFY(browser.navigateAndWait(QUrl(QStringLiteral("https://") + f.https())));
        QVERIFY(browser.fillFirstForm({{QStringLiteral("User"), QStringLiteral("admin")},
                                       {QStringLiteral("pass"), password}}));
        QVERIFY(browser.submitFirstForm());
        browser.waitUntilLoaded();
        QVERIFY2(browser.bodyText().contains(shows), qPrintable(browser.bodyText()));
    }
};

QTEST_MAIN(TestSandboxPages)
#include "tst_sandbox_pages.moc"
