#include "app/login_form.h"
#include "support/test_context.h"
#include "support/widgets.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

using support::ScriptedDialogs;

class TestLogin : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_ctx = std::make_unique<support::TestContext>();
        m_ctx->db().exec(
            QStringLiteral("insert into CRM (NAME, CRM_ID, STATUS, PASSWORD, crm_ip, MAC) values "
                           "(' Asha Verma ', '9876500001', 'INACTIVE', 'asha@123', '', 'NA'), "
                           "('Rahul Nair', '9876500002', 'ACTIVE', 'rahul@123', '10.0.0.9', "
                           "'AA:BB:CC:DD:EE:FF')"));
        m_form = std::make_unique<app::LoginForm>(m_ctx->app());
        m_form->show();
    }

    void aFreeAccountSignsInAndIsBoundToThisWorkstation() {
        QSignalSpy signedIn(m_form.get(), &app::LoginForm::signedIn);
        attempt(QStringLiteral("9876500001"), QStringLiteral("ASHA@123"));
        QCOMPARE(m_ctx->dialogs().texts(),
                 QStringList({QStringLiteral("WELCOME Asha Verma TO ZEL CRM PORTAL")}));
        QCOMPARE(m_ctx->dialogs().shown().first().title, QString());
        QCOMPARE(m_ctx->session().signedInUser(), QStringLiteral("Asha Verma"));
        QCOMPARE(row(QStringLiteral("9876500001")),
                 QStringLiteral("ACTIVE|02:AB:CD:00:00:01|10.20.30.40"));
        QCOMPARE(signedIn.count(), 1);
        QVERIFY(!m_form->isVisible());
    }

    void noMatchIsRefusedAlsoAfterAHeldMatch() {
        m_ctx->dialogs().answer(false);
        attempt(QStringLiteral("9876500002"), QStringLiteral("rahul@123"));
        attempt(QStringLiteral("9876500002"), QStringLiteral("wrong"));
        attempt(QStringLiteral("nobody"), QStringLiteral("asha@123"));
        QCOMPARE(m_ctx->dialogs().texts(),
                 QStringList({QStringLiteral("YOU ARE ALREADY LOGGED IN FROM "
                                             "AA:BB:CC:DD:EE:FFLOG OUT PREVIOUS WINDOW"),
                              QStringLiteral("INVALID USER ID OR PASSWORD"),
                              QStringLiteral("INVALID USER ID OR PASSWORD")}));
        QCOMPARE(row(QStringLiteral("9876500002")),
                 QStringLiteral("ACTIVE|AA:BB:CC:DD:EE:FF|10.0.0.9"));
        QCOMPARE(m_ctx->session().signedInUser(), QString());
        QVERIFY(m_form->isVisible());
    }

    void aHeldAccountIsFreedOnlyOnYes() {
        m_ctx->dialogs().answer(false);
        m_ctx->dialogs().answer(true);
        attempt(QStringLiteral("9876500002"), QStringLiteral("rahul@123"));
        QCOMPARE(row(QStringLiteral("9876500002")),
                 QStringLiteral("ACTIVE|AA:BB:CC:DD:EE:FF|10.0.0.9"));
        attempt(QStringLiteral("9876500002"), QStringLiteral("rahul@123"));
        QCOMPARE(row(QStringLiteral("9876500002")), QStringLiteral("IACTIVE|NA|10.0.0.9"));
        QCOMPARE(m_ctx->dialogs().shown().last(),
                 (ScriptedDialogs::Shown{QStringLiteral("YOU ARE ALREADY LOGGED IN FROM "
                                                        "AA:BB:CC:DD:EE:FFLOG OUT PREVIOUS WINDOW"),
                                         QStringLiteral("ZEL"), ui::Icon::Question, true}));
        QCOMPARE(m_ctx->session().signedInUser(), QString()); // not signed in yet
        attempt(QStringLiteral("9876500002"), QStringLiteral("rahul@123"));
        QCOMPARE(m_ctx->dialogs().last(), QStringLiteral("WELCOME Rahul Nair TO ZEL CRM PORTAL"));
    }

    void theLastPhysicalAdapterBindsTheLogin() {
        auto& adapters = m_ctx->adapters();
        adapters.clear();
        adapters.add(QStringLiteral("eth0"), QStringLiteral("02:fc:00:00:00:01"),
                     QStringLiteral("10.0.0.5"));
        adapters.add(QStringLiteral("wlan0"), QStringLiteral("3c:a9:f4:10:20:30"),
                     QStringLiteral("192.168.1.7"));
        adapters.add(QStringLiteral("docker0"), QStringLiteral("02:42:ac:11:00:02"),
                     QStringLiteral("172.17.0.1"), false);
        attempt(QStringLiteral("9876500001"), QStringLiteral("asha@123"));
        // The bridge is up and has an address, so the IP is its; the MAC never is.
        QCOMPARE(row(QStringLiteral("9876500001")),
                 QStringLiteral("ACTIVE|3C:A9:F4:10:20:30|172.17.0.1"));
    }

    // The address is taken at every attempt; one that finds none keeps the
    // address the attempt before it took.
    void anAttemptWithoutAddressKeepsTheEarlierOne() {
        m_ctx->dialogs().answer(false);
        attempt(QStringLiteral("9876500002"), QStringLiteral("rahul@123"));
        auto& adapters = m_ctx->adapters();
        adapters.clear();
        adapters.add(QStringLiteral("eth0"), QStringLiteral("02:fc:00:00:00:01"));
        attempt(QStringLiteral("9876500001"), QStringLiteral("asha@123"));
        QCOMPARE(row(QStringLiteral("9876500001")),
                 QStringLiteral("ACTIVE|02:FC:00:00:00:01|10.20.30.40"));
    }

    void unreadableAdaptersLeaveAnEmptyMac() {
        m_ctx->adapters().fail();
        attempt(QStringLiteral("9876500001"), QStringLiteral("asha@123"));
        QCOMPARE(m_ctx->dialogs().texts(),
                 QStringList({QStringLiteral("Error! WMI not found!"),
                              QStringLiteral("WELCOME Asha Verma TO ZEL CRM PORTAL")}));
        QCOMPARE(row(QStringLiteral("9876500001")), QStringLiteral("ACTIVE||"));
    }

    void anUnreachableDatabaseEndsAsInvalid() {
        m_ctx->db().loseDatabase();
        app::LoginForm form(m_ctx->app());
        support::type(&form, QStringLiteral("Text1"), QStringLiteral("9876500001"));
        support::type(&form, QStringLiteral("Text2"), QStringLiteral("asha@123"));
        support::click(&form, QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().texts(),
                 QStringList({QStringLiteral("INVALID USER ID OR PASSWORD")}));
    }

    void captionsAndMaskedPassword() {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("ZEL CRM PORTAL"));
        QCOMPARE(support::textOf(m_form.get(), QStringLiteral("Label1")),
                 QStringLiteral("USER NAME: "));
        QCOMPARE(support::textOf(m_form.get(), QStringLiteral("Label2")),
                 QStringLiteral("PASSWORD :"));
        QCOMPARE(support::textOf(m_form.get(), QStringLiteral("Label3")),
                 QStringLiteral("ZEL SOLUTIONS PVT LTD"));
        QCOMPARE(support::find<QLineEdit>(m_form.get(), QStringLiteral("Text2"))->echoMode(),
                 QLineEdit::Password);
        support::pressEnter(m_form.get(), QStringLiteral("Text1"));
        QVERIFY(support::findWidget(m_form.get(), QStringLiteral("Text2"))->hasFocus());
    }

    // As an operator signs in with the keyboard alone: user id, Enter,
    // password, Enter (the focus is then on LOGIN), Enter.
    void signsInWithTheKeyboardAlone() {
        QSignalSpy signedIn(m_form.get(), &app::LoginForm::signedIn);
        QWidget* userBox = support::findWidget(m_form.get(), QStringLiteral("Text1"));
        QApplication::setActiveWindow(m_form.get());
        userBox->setFocus(Qt::OtherFocusReason);
        const auto keys = [](const QString& text) {
            QWidget* focused = QApplication::focusWidget();
            QVERIFY(focused);
            QTest::keyClicks(focused, text);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        };
        keys(QStringLiteral("9876500001"));
        keys(QStringLiteral("asha@123"));
        QCOMPARE(QApplication::focusWidget(),
                 support::findWidget(m_form.get(), QStringLiteral("Command1")));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
        QCOMPARE(signedIn.count(), 1);
        QCOMPARE(m_ctx->dialogs().texts(),
                 QStringList({QStringLiteral("WELCOME Asha Verma TO ZEL CRM PORTAL")}));
    }

private:
    void attempt(const QString& user, const QString& password) {
        support::type(m_form.get(), QStringLiteral("Text1"), user);
        support::type(m_form.get(), QStringLiteral("Text2"), password);
        support::click(m_form.get(), QStringLiteral("Command1"));
    }
    QString row(const QString& user) {
        return m_ctx->db()
            .rows(QStringLiteral("select STATUS, MAC, crm_ip from CRM where "
                                 "CRM_ID=?"),
                  {user})
            .value(0);
    }
    std::unique_ptr<support::TestContext> m_ctx;
    std::unique_ptr<app::LoginForm> m_form;
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
