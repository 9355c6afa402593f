#include "integrations/web_browser.h"
#include "sandbox_fixture.h"

#include <QApplication>

// OPEN OLT goes to "https://«OLT address»" in the embedded browser. In the
// demo that address is a documentation network; the browser, given the
// sandbox's proxy, finds the sandbox's OLT login page there.
class TestSandboxGateway : public QObject {
    Q_OBJECT
    std::unique_ptr<SandboxFixture> m_sandbox;

private slots:
    // The browser reads its flags once, when the first page opens.
    void initTestCase() {
        m_sandbox = std::make_unique<SandboxFixture>();
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") +
                                                  " --proxy-server=http://127.0.0.1:" +
                                                  QByteArray::number(m_sandbox->ports.proxy));
    }

    void theOltAddressShowsTheSandboxLoginPage_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("shows");
        QTest::addRow("demo account")
            << QStringLiteral("olt p@ss") << QStringLiteral("OLT 192.0.2.11 - SYSTEM HOME");
        QTest::addRow("wrong password")
            << QStringLiteral("olt pass") << QStringLiteral("Login failed");
    }
    void theOltAddressShowsTheSandboxLoginPage() {
        QFETCH(QString, password);
        QFETCH(QString, shows);
        integrations::WebBrowser browser;
        browser.setTrustedSelfSignedHost(QStringLiteral("192.0.2.11"));
        QVERIFY(browser.navigateAndWait(QUrl(QStringLiteral("https://192.0.2.11"))));
        QVERIFY(browser.fillFirstForm({{QStringLiteral("User"), QStringLiteral("admin")},
                                       {QStringLiteral("pass"), password}}));
        QVERIFY(browser.submitFirstForm());
        browser.waitUntilLoaded();
        QVERIFY2(browser.bodyText().contains(shows), qPrintable(browser.bodyText()));
    }

    // Without the trust the configuration grants, the certificate is refused.
    void anUntrustedOltPageDoesNotLoad() {
        integrations::WebBrowser browser;
        browser.setWaitLimitSeconds(10);
        QVERIFY(!browser.navigateAndWait(QUrl(QStringLiteral("https://192.0.2.12"))));
    }

    void plainPagesElsewhereAreRefused() {
        integrations::WebBrowser browser;
        browser.setWaitLimitSeconds(10);
        QVERIFY(!browser.navigateAndWait(QUrl(QStringLiteral("http://192.0.2.11/"))));
        QVERIFY(!browser.fillFirstForm({{QStringLiteral("User"), QStringLiteral("admin")}}));
    }

    void cleanupTestCase() { m_sandbox.reset(); }
};

QTEST_MAIN(TestSandboxGateway)
#include "tst_sandbox_gateway.moc"
