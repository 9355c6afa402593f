#include "app/password_change_form.h"
#include "support/http_server.h"
#include "support/strings.h"
#include "support/test_context.h"
#include "support/widgets.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>

class TestPasswordChange : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_sms = std::make_unique<support::LocalHttpServer>();
        m_ctx = std::make_unique<support::TestContext>(QHash<QString, QString>{
            {QStringLiteral("services/sms_gateway"), m_sms->hostPort()},
            {QStringLiteral("accounts/sms_user"), QStringLiteral("zeluser")},
            {QStringLiteral("accounts/sms_password"), QStringLiteral("p&ss")},
            {QStringLiteral("accounts/sms_sender"), QStringLiteral("ZELMSG")},
            {QStringLiteral("app/support_phone"), QStringLiteral("1800 425 1957")},
        });
        m_ctx->db().exec(
            QStringLiteral("insert into CRM (NAME, CRM_ID, STATUS, PASSWORD, crm_ip, MAC) values "
                           "('Asha Verma ', '9876500001', 'ACTIVE', ' asha@123 ', '10.0.0.5', "
                           "'AA:BB:CC:00:00:01')"));
        m_form = std::make_unique<app::PasswordChangeForm>(m_ctx->app());
    }

    void fieldsAreCheckedInOrder_data() {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("problem");
        const QString blank = QStringLiteral("BLANK NOT ALLOWED");
        const QString mismatch =
            QStringLiteral("NEW PASSWORD AND REPEAT PASSWORD MISMATCH PLEASE TRY AGAIN");
        QTest::addRow("all filled and equal")
            << support::strings({"u", "o", "n", "n"}) << QString();
        QTest::addRow("user blank") << support::strings({"", "o", "n", "n"}) << blank;
        QTest::addRow("repeat blank") << support::strings({"u", "o", "n", ""}) << blank;
        QTest::addRow("blank wins over mismatch") << support::strings({"u", "", "n", "m"}) << blank;
        QTest::addRow("differ in case only")
            << support::strings({"u", "o", "New1", "new1"}) << mismatch;
        QTest::addRow("differ in a blank") << support::strings({"u", "o", "n", "n "}) << mismatch;
    }
    void fieldsAreCheckedInOrder() {
        QFETCH(QStringList, fields);
        QFETCH(QString, problem);
        QCOMPARE(app::passwordFieldsProblem(fields[0], fields[1], fields[2], fields[3]), problem);
    }

    void aChangeIsStoredAndConfirmedBySmsOnce() {
        fill(QStringLiteral("9876500001"), QStringLiteral("asha@123"), QStringLiteral("N3w&pass"));
        support::click(m_form.get(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().texts(),
                 QStringList({QStringLiteral("PASSWORD CHANGED SUCCESSFULLY")}));
        QCOMPARE(m_ctx->dialogs().shown().first().title, QStringLiteral("ZEL"));
        QCOMPARE(m_ctx->dialogs().shown().first().icon, ui::Icon::Information);
        QCOMPARE(m_ctx->db().scalar(QStringLiteral("select PASSWORD from CRM")),
                 QStringLiteral("N3w&pass"));
        // Login state is left alone.
        QCOMPARE(m_ctx->db().scalar(QStringLiteral("select MAC from CRM")),
                 QStringLiteral("AA:BB:CC:00:00:01"));

        QVERIFY(m_sms->waitForRequests(1));
        QTest::qWait(50);
        QCOMPARE(m_sms->requests().size(), 1);
        const QUrl url = m_sms->requests().first().url;
        QCOMPARE(url.path(), QStringLiteral("/api/swsendSingle.asp"));
        const QUrlQuery query(url);
        QCOMPARE(query.queryItems(QUrl::FullyDecoded),
                 (QList<QPair<QString, QString>>{
                     {QStringLiteral("username"), QStringLiteral("zeluser")},
                     {QStringLiteral("password"), QStringLiteral("p&ss")},
                     {QStringLiteral("sender"), QStringLiteral("ZELMSG")},
                     {QStringLiteral("sendto"), QStringLiteral("9876500001")},
                     {QStringLiteral("message"),
                      QStringLiteral("DEAR Asha Verma YOUR ZEL CRM PASSWORD HAS BEEN CHANGED IF "
                                     "YOU ARE NOT PLEASE CALL 1800 425 1957")}}));
    }

    void theOldPasswordMustMatchLetterForLetter() {
        fill(QStringLiteral("9876500001"), QStringLiteral("ASHA@123"), QStringLiteral("x"));
        support::click(m_form.get(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().texts(),
                 QStringList({QStringLiteral("INCORRECT OLD PASSWORD TRY AGAIN")}));
        QCOMPARE(m_ctx->db().scalar(QStringLiteral("select PASSWORD from CRM")),
                 QStringLiteral(" asha@123 "));
        QCOMPARE(m_sms->requests().size(), 0);
    }

    void anUnknownUserIsRefusedAlsoAfterAKnownOne() {
        fill(QStringLiteral("9876500001"), QStringLiteral("wrong"), QStringLiteral("x"));
        support::click(m_form.get(), QStringLiteral("Command1"));
        support::type(m_form.get(), QStringLiteral("Text1"), QStringLiteral("9999999999"));
        support::click(m_form.get(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().texts(),
                 QStringList({QStringLiteral("INCORRECT OLD PASSWORD TRY AGAIN"),
                              QStringLiteral("INCORRECT USER ID PLEASE TRY AGAIN")}));
    }

    void aMissingSmsSettingIsReportedBeforeAnythingChanges() {
        support::TestContext bare; // no SMS settings
        bare.db().exec(QStringLiteral("insert into CRM (NAME, CRM_ID, PASSWORD, MAC) values "
                                      "('Asha', '1', 'old', 'NA')"));
        app::PasswordChangeForm form(bare.app());
        support::type(&form, QStringLiteral("Text1"), QStringLiteral("1"));
        support::type(&form, QStringLiteral("Text2"), QStringLiteral("old"));
        support::type(&form, QStringLiteral("Text3"), QStringLiteral("new"));
        support::type(&form, QStringLiteral("Text4"), QStringLiteral("new"));
        support::click(&form, QStringLiteral("Command1"));
        QCOMPARE(
            bare.dialogs().texts(),
            QStringList({QStringLiteral("Missing setting [services] sms_gateway in test.ini")}));
        QCOMPARE(bare.db().scalar(QStringLiteral("select PASSWORD from CRM")),
                 QStringLiteral("old"));
    }

    void closingWhileTheSmsIsOnItsWayWaitsForIt() {
        m_sms->setDelay(1000);
        fill(QStringLiteral("9876500001"), QStringLiteral("asha@123"), QStringLiteral("n"));
        const QPointer<app::PasswordChangeForm> form(m_form.release());
        form->setAttribute(Qt::WA_DeleteOnClose);
        QSignalSpy closed(form.data(), &app::PasswordChangeForm::closed);
        form->show();
        QTimer::singleShot(200, form.data(), [&form] { form->close(); });
        support::click(form.data(), QStringLiteral("Command1"));
        QVERIFY2(form, "the window went while its action still ran");
        QCOMPARE(closed.count(), 0);
        QTRY_VERIFY(form.isNull());
        QCOMPARE(closed.count(), 1);
        QCOMPARE(m_sms->requests().size(), 1);
    }

    void closingAnnouncesItself() {
        QSignalSpy closed(m_form.get(), &app::PasswordChangeForm::closed);
        m_form->show();
        m_form->close();
        QCOMPARE(closed.count(), 1);
        QCOMPARE(m_form->windowTitle(), QStringLiteral("ZEL CRM PASSWORD CHANGE"));
    }

private:
    void fill(const QString& user, const QString& old, const QString& fresh) {
        support::type(m_form.get(), QStringLiteral("Text1"), user);
        support::type(m_form.get(), QStringLiteral("Text2"), old);
        support::type(m_form.get(), QStringLiteral("Text3"), fresh);
        support::type(m_form.get(), QStringLiteral("Text4"), fresh);
    }
    std::unique_ptr<support::LocalHttpServer> m_sms;
    std::unique_ptr<support::TestContext> m_ctx;
    std::unique_ptr<app::PasswordChangeForm> m_form;
};

QTEST_MAIN(TestPasswordChange)
#include "tst_password_change.moc"
