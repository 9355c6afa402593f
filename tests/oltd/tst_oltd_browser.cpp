#include "integrations/web_browser.h"
#include "oltd_fixture.h"

#include <QApplication>
#include <QMenu>
#include <QWebEngineView>

// The MAC import reads onu_mac.php's body text as the embedded browser
// renders it; this is that reading, on the real service.
class TestOltdBrowser : public QObject {
    Q_OBJECT

private slots:
    void theRenderedMacAnswerHasTheMacAtItsPlace_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("mac"); // empty: not a match
        QTest::addRow("one match")
            << QStringLiteral("01:02") << QStringLiteral("A4:7B:2C:10:01:02");
        QTest::addRow("two match") << QStringLiteral("0A:01") << QString();
        QTest::addRow("none match") << QStringLiteral("EE:EE") << QString();
    }
    void theRenderedMacAnswerHasTheMacAtItsPlace() {
        QFETCH(QString, key);
        QFETCH(QString, mac);
        OltdFixture f;
        integrations::WebBrowser browser;
        browser.setWaitLimitSeconds(20);
        // A page other than a match comes with an error status, which the
        // browser reports as a failed load; the caller then imports nothing.
        const bool loaded = browser.navigateAndWait(QUrl(
            QStringLiteral("http://127.0.0.1:%1/olt/onu_mac.php?ip=192.0.2.11&mac=").arg(f.port) +
            key));
        const QString text = browser.bodyText();
        if (mac.isEmpty()) {
            QVERIFY(!loaded);
            QVERIFY2(text.size() != 84, qPrintable(text));
            return;
        }
        QVERIFY(loaded);
        QCOMPARE(text.size(), 84);
        QCOMPARE(text.mid(10, 17), mac);
    }

    // The embedded browser offers no Back or Reload: the change a page made
    // can never be asked for again from it.
    void theBrowserHasNoNavigationMenu() {
        OltdFixture f;
        integrations::WebBrowser browser;
        browser.resize(400, 300);
        browser.show();
        QVERIFY(browser.navigateAndWait(
            QUrl(QStringLiteral(
                     "http://127.0.0.1:%1/olt/onu_status.php?ip=192.0.2.11&mac=A4:7B:2C:10:01:01")
                     .arg(f.port))));
        QWidget* surface = browser.view()->focusProxy();
        QVERIFY(surface);
        QTest::mouseClick(surface, Qt::RightButton, {}, QPoint(100, 100));
        const auto menus = [&] {
            QStringList shown;
            for (QMenu* menu : browser.findChildren<QMenu*>())
                for (const QAction* action : menu->actions())
                    shown << action->text();
            return shown;
        };
        // Chromium asks for the menu after the page had its say; a few page
        // round trips leave it the time to ask.
        for (int i = 0; i < 5; ++i) {
            browser.bodyText();
            QVERIFY2(menus().isEmpty(), qPrintable(menus().join(QLatin1Char(','))));
        }
    }
};

QTEST_MAIN(TestOltdBrowser)
#include "tst_oltd_browser.moc"
