#include "complaints/complaint_register_form.h"
#include "db/screen_db.h"
#include "register_fixture.h"
#include "support/http_server.h"
#include "support/strings.h"
#include "support/test_context.h"
#include "support/widgets.h"

#include <QLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

using support::click;
using support::textOf;
using support::type;

namespace {

const QString subscriberId = QStringLiteral("kl0000001");

} // namespace

class TestComplaintLifecycle : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_portal = std::make_unique<support::LocalHttpServer>();
        start({{QStringLiteral("services/portal_server"), m_portal->hostPort()}});
    }
    void cleanup() {
        m_form.reset();
        m_ctx.reset();
        m_portal.reset();
    }

    void submitIsRefusedWhileAComplaintIsShown_data() {
        QTest::addColumn<bool>("openComplaint");
        QTest::addColumn<QString>("shownNumber");
        QTest::addRow("the subscriber has an open complaint") << true << QString();
        QTest::addRow("a closed complaint's number is on screen") << false << QStringLiteral("3");
    }
    void submitIsRefusedWhileAComplaintIsShown() {
        QFETCH(bool, openComplaint);
        QFETCH(QString, shownNumber);
        if (openComplaint)
            fixture::openComplaint(m_ctx->db());
        const QString before = complaints();
        searchAndFill();
        type(form(), QStringLiteral("Text6"), shownNumber);
        click(form(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().texts(), support::strings({" HAS ALREADY AN OPEN COMPLAIN"}));
        QCOMPARE(m_ctx->dialogs().shown().first().title, QStringLiteral("VUVA"));
        QCOMPARE(textOf(form(), QStringLiteral("Text6")),
                 openComplaint ? QStringLiteral("7") : shownNumber);
        QCOMPARE(complaints(), before);
    }

    void submitNeedsEveryField_data() {
        QTest::addColumn<QString>("control");
        for (const char* name :
             {"Text1", "Text2", "Text4", "Combo1", "Text12", "Text13", "Combo4", "Combo5"})
            QTest::addRow("%s", name) << QString::fromLatin1(name);
    }
    void submitNeedsEveryField() {
        QFETCH(QString, control);
        searchAndFill();
        type(form(), control, QString());
        click(form(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().texts(), support::strings({"PLEASE FILL ALL THE DATA"}));
        QCOMPARE(complaints(), QString());
    }

    void submitRefusesAMobileThatIsNoNumber_data() {
        QTest::addColumn<QString>("mobile");
        QTest::addRow("letters") << QStringLiteral("94470000o1");
        QTest::addRow("dash") << QStringLiteral("9447-000001");
        QTest::addRow("country code") << QStringLiteral("+919447000001");
    }
    void submitRefusesAMobileThatIsNoNumber() {
        QFETCH(QString, mobile);
        searchAndFill();
        type(form(), QStringLiteral("Text4"), mobile);
        type(form(), QStringLiteral("Text2"), QStringLiteral("Changed Name"));
        click(form(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().shown(), (QList<support::ScriptedDialogs::Shown>{
                                               {QStringLiteral("MOBILE NUMBER MUST BE NUMERIC"),
                                                QStringLiteral("VUVA"), ui::Icon::Information}}));
        QCOMPARE(complaints(), QString());
        QCOMPARE(m_ctx->db().scalar(QStringLiteral("select name from cdata")),
                 QStringLiteral(" Ravi Kumar "));
    }

    void aFailingSubscriberUpdateLeavesNoComplaint() {
        m_ctx->db().refuse(QStringLiteral("cdata"), QStringLiteral("UPDATE"),
                           QStringLiteral("subscriber record is locked"));
        searchAndFill();
        click(form(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().texts().size(), 1);
        QVERIFY(m_ctx->dialogs().last().contains(QStringLiteral("subscriber record is locked")));
        QCOMPARE(complaints(), QString());
        QCOMPARE(textOf(form(), QStringLiteral("Label16")), QStringLiteral("5555"));
        // The connection is usable again afterwards.
        m_ctx->db().stopRefusing(QStringLiteral("cdata"), QStringLiteral("UPDATE"));
        click(form(), QStringLiteral("Command1"));
        // A server's identity may have spent a number on the rolled-back row.
        QCOMPARE(m_ctx->dialogs().last(),
                 QStringLiteral("Complain Submitted Successfully with Complain No") +
                     m_ctx->db().scalar(QStringLiteral("select id from complain")));
    }

    // Two desks looked up one complaint; the second to write finds the
    // first's entry stored, writes nothing, shows the complaint as stored and
    // keeps its own update to submit again. A close is held the same way.
    void anotherDesksEntryIsNeverWrittenOver() {
        fixture::openComplaint(m_ctx->db());
        open();
        complaints::ComplaintRegisterForm other(m_ctx->app());
        lookUp(QStringLiteral("7"));
        type(&other, QStringLiteral("Text6"), QStringLiteral("7"));
        support::leave(&other, QStringLiteral("Text6"));
        const auto stored = [&] {
            return m_ctx->db().scalar(QStringLiteral("select description from complain"));
        };

        setUpdateText(QStringLiteral("ONU replaced"));
        click(form(), QStringLiteral("Command2"));
        QCOMPARE(m_ctx->dialogs().last(), QStringLiteral("COMPLAINT UPDATED"));
        m_ctx->dialogs().clear();
        auto* otherUpdate = support::find<QPlainTextEdit>(&other, QStringLiteral("Text10"));
        otherUpdate->setPlainText(QStringLiteral("Fibre spliced"));
        click(&other, QStringLiteral("Command2"));
        QCOMPARE(m_ctx->dialogs().shown(),
                 (QList<support::ScriptedDialogs::Shown>{
                     {QStringLiteral("COMPLAINT 7 WAS CHANGED ON ANOTHER DESK: LOOKED UP AGAIN"),
                      QStringLiteral("ZEL CRM"), ui::Icon::Exclamation}}));
        QCOMPARE(stored().count(QStringLiteral("ONU replaced")), 1);
        QVERIFY(!stored().contains(QStringLiteral("Fibre spliced")));
        QCOMPARE(textOf(&other, QStringLiteral("Label7")), stored().trimmed());
        QCOMPARE(otherUpdate->toPlainText(), QStringLiteral("Fibre spliced"));

        // Submitted again, it goes after the other desk's entry.
        click(&other, QStringLiteral("Command2"));
        QCOMPARE(m_ctx->dialogs().last(), QStringLiteral("COMPLAINT UPDATED"));
        QVERIFY(stored().indexOf(QStringLiteral("ONU replaced")) <
                stored().indexOf(QStringLiteral("Fibre spliced")));

        // This desk's copy is now the stale one: its close writes nothing.
        m_ctx->dialogs().clear();
        click(form(), QStringLiteral("Command3"));
        QCOMPARE(m_ctx->dialogs().last(),
                 QStringLiteral("COMPLAINT 7 WAS CHANGED ON ANOTHER DESK: LOOKED UP AGAIN"));
        QCOMPARE(m_ctx->db().scalar(QStringLiteral("select status from complain")),
                 QStringLiteral("OPEN"));
        QVERIFY(m_portal->requests().isEmpty());
        click(form(), QStringLiteral("Command3"));
        QCOMPARE(m_ctx->dialogs().last(), QStringLiteral("CLOSED SUCCESSFULLY"));
        QVERIFY(stored().contains(QStringLiteral("Fibre spliced@")));
    }

    // A history of months keeps the screen's size: it scrolls in its box, so
    // UPDATE and CLOSED COMPLAIN stay on the desktop below it.
    void aLongHistoryScrollsInItsBox() {
        fixture::openComplaint(m_ctx->db());
        open();
        form()->resize(900, 700);
        form()->show();
        const auto neededHeight = [&] {
            lookUp(QStringLiteral("7"));
            form()->layout()->activate();
            QLayout* layout = form()->layout();
            return layout->hasHeightForWidth() ? layout->totalHeightForWidth(form()->width())
                                               : layout->totalMinimumSize().height();
        };
        const int withShortHistory = neededHeight();
        QString history = QStringLiteral("SIGNAL WEAK");
        for (int i = 0; i < 300; ++i)
            history +=
                QStringLiteral("@4-Dec-21 9:5 PM Update by: NOC1@Update: pole %1 checked").arg(i);
        m_ctx->db().exec(QStringLiteral("update complain set description=?"), {history});
        QCOMPARE(neededHeight(), withShortHistory);
        QCOMPARE(textOf(form(), QStringLiteral("Label7")), history);
        auto* area = support::find<QScrollArea>(form(), QStringLiteral("historyArea"));
        QTRY_VERIFY(area->widget()->height() > 10 * area->viewport()->height());
    }

    void aComplaintIsSubmittedUpdatedAndClosed() {
        m_ctx->clock().set(QDateTime(QDate(2021, 12, 4), QTime(23, 30, 40)));
        searchAndFill();
        type(form(), QStringLiteral("Text4"), QStringLiteral(" 9447000009 "));
        type(form(), QStringLiteral("Text20"), QStringLiteral("10.9.9.9"));
        click(form(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().shown(),
                 (QList<support::ScriptedDialogs::Shown>{
                     {QStringLiteral("Complain Submitted Successfully with Complain No1"),
                      QStringLiteral("VUVA"), ui::Icon::Information}}));
        QCOMPARE(textOf(form(), QStringLiteral("Label16")), QStringLiteral("1"));
        QCOMPARE(complaints(), QStringLiteral("1|Ravi Kumar|9447000009|2021-12-04 23:30:00|"
                                              "SIGNAL WEAK|NEW|1990-04-04 00:00:00|ERNAKULAM|Biju|"
                                              "9400000002|0|12 MG Road|kl0000001|KERALA|EKM-OLT-1|"
                                              "NOC1|NA|FTTH"));
        QCOMPARE(m_ctx->db().rows(QStringLiteral("select name, Mobile, Address, OTC from cdata")),
                 support::strings({"Ravi Kumar|9447000009|12 MG Road|10.9.9.9"}));

        lookUp(QStringLiteral("1"));
        QCOMPARE(textOf(form(), QStringLiteral("Label34")), QStringLiteral("NEW"));
        m_ctx->clock().set(QDateTime(QDate(2021, 12, 5), QTime(0, 10)));
        setUpdateText(QStringLiteral("ONU replaced"));
        support::choose(form(), QStringLiteral("Combo2"), QStringLiteral("OTHER"));
        m_ctx->dialogs().clear();
        click(form(), QStringLiteral("Command2"));
        const QString updated =
            QStringLiteral("SIGNAL WEAK@5-Dec-21 12:10 AM Update by: NOC1@Update: ONU replaced");
        QCOMPARE(m_ctx->dialogs().shown(),
                 (QList<support::ScriptedDialogs::Shown>{{QStringLiteral("COMPLAINT UPDATED"),
                                                          QStringLiteral("ZEL CRM"),
                                                          ui::Icon::Information}}));
        QCOMPARE(textOf(form(), QStringLiteral("Label7")), updated);
        QCOMPARE(m_ctx->db().rows(QStringLiteral("select status, pending, description, cat from "
                                                 "complain")),
                 QStringList{QStringLiteral("OPEN|1|") + updated + QStringLiteral("|OTHER")});
        QCOMPARE(updateText(), QStringLiteral("ONU replaced"));

        m_ctx->clock().set(QDateTime(QDate(2021, 12, 6), QTime(9, 5)));
        m_ctx->session().setSignedInUser(QStringLiteral("Asha Verma"));
        m_ctx->dialogs().clear();
        click(form(), QStringLiteral("Command3"));
        QCOMPARE(m_ctx->dialogs().shown(), (QList<support::ScriptedDialogs::Shown>{
                                               {QStringLiteral("CLOSED SUCCESSFULLY"),
                                                QStringLiteral("ZEL"), ui::Icon::Information}}));
        QCOMPARE(m_ctx->db().rows(QStringLiteral("select status, description, [close date], "
                                                 "pending, ne, cat from complain")),
                 QStringList{QStringLiteral("CLOSED|") + updated +
                             QStringLiteral("@6-Dec-21 9:5 AM Closed by: Asha Verma|"
                                            "2021-12-06 09:05:00|34|Asha Verma|OTHER")});
        // The screen keeps the history it showed.
        QCOMPARE(textOf(form(), QStringLiteral("Label7")), updated);
        QVERIFY(!support::find<QPushButton>(form(), QStringLiteral("Command2"))->isEnabled());
        QVERIFY(!support::find<QPushButton>(form(), QStringLiteral("Command3"))->isEnabled());
        QCOMPARE(m_form->focusWidget(), support::findWidget(form(), QStringLiteral("Text3")));

        QVERIFY(m_portal->waitForRequests(1));
        QTest::qWait(100);
        QCOMPARE(m_portal->requests().size(), 1);
        QCOMPARE(m_portal->requests().first().method, QByteArray("GET"));
        QCOMPARE(sentPath(m_portal->requests().first()),
                 QByteArray("/waba_complaint_closed.php?mobile=9447000009&cn=1"));
    }

    void aWireFaultMarksTheOfflineRecords_data() {
        QTest::addColumn<QString>("updateText");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("marked");
        QTest::addColumn<QString>("message");
        const QString wire = QStringLiteral("WIRE DOWN");
        QTest::addRow("with an update") << QStringLiteral("drop wire cut") << wire << wire
                                        << QStringLiteral("COMPLAINT UPDATED");
        QTest::addRow("without update text")
            << QString() << wire << wire << QStringLiteral("PLEASE FILL UPDATE");
        QTest::addRow("another category") << QStringLiteral("x") << QStringLiteral("WIRE DOWN ")
                                          << QString() << QStringLiteral("COMPLAINT UPDATED");
    }
    void aWireFaultMarksTheOfflineRecords() {
        QFETCH(QString, updateText);
        QFETCH(QString, category);
        QFETCH(QString, marked);
        QFETCH(QString, message);
        fixture::openComplaint(m_ctx->db());
        m_ctx->db().exec(QStringLiteral(
            "insert into offline_user (id, LDR, FS) values ('kl0000001', '', 'OPEN')"));
        m_ctx->db().execSecondary(
            QStringLiteral("insert into offline_user (id, LDR, FS) values ('kl0000001', '', "
                           "'OPEN'), ('kl0000001', 'POWER', 'CLOSED'), ('kl0000002', '', 'OPEN')"));
        const QString before = complaints();
        open();
        lookUp(QStringLiteral("7"));
        setUpdateText(updateText);
        type(form(), QStringLiteral("Combo2"), category);
        click(form(), QStringLiteral("Command2"));
        QCOMPARE(m_ctx->dialogs().texts(), QStringList{message});
        // The primary's table of the same name is not the one meant.
        QCOMPARE(m_ctx->db().rows(QStringLiteral("select id, LDR, FS from offline_user")),
                 support::strings({"kl0000001||OPEN"}));
        QCOMPARE(readSecondary(),
                 QStringList({QStringLiteral("kl0000001|") + marked + QStringLiteral("|OPEN"),
                              QStringLiteral("kl0000001|POWER|CLOSED"),
                              QStringLiteral("kl0000002||OPEN")}));
        if (updateText.isEmpty())
            QCOMPARE(complaints(), before);
    }

    void anUnknownNumberIsReported_data() {
        QTest::addColumn<QString>("button");
        QTest::addRow("update") << QStringLiteral("Command2");
        QTest::addRow("close") << QStringLiteral("Command3");
    }
    void anUnknownNumberIsReported() {
        QFETCH(QString, button);
        fixture::openComplaint(m_ctx->db());
        const QString before = complaints();
        open();
        lookUp(QStringLiteral("999"));
        setUpdateText(QStringLiteral("checked"));
        click(form(), button);
        QCOMPARE(m_ctx->dialogs().shown(),
                 (QList<support::ScriptedDialogs::Shown>{{QStringLiteral("COMPLAINT 999 NOT FOUND"),
                                                          QStringLiteral("ZEL CRM"),
                                                          ui::Icon::Information}}));
        QCOMPARE(complaints(), before);
        QTest::qWait(100);
        QCOMPARE(m_portal->requests().size(), 0);
    }

    void theClosingNoticeCarriesItsValuesEncoded() {
        fixture::openComplaint(m_ctx->db());
        open();
        lookUp(QStringLiteral("7"));
        type(form(), QStringLiteral("Text9"), QStringLiteral("94 47&cn=5"));
        click(form(), QStringLiteral("Command3"));
        QVERIFY(m_portal->waitForRequests(1));
        QCOMPARE(sentPath(m_portal->requests().first()),
                 QByteArray("/waba_complaint_closed.php?mobile=94%2047%26cn%3D5&cn=7"));
    }

    // The notice goes out after the closing is stored and told; the screen does
    // not wait for the portal, and a portal that is down changes nothing.
    void theClosingStandsWhateverThePortalDoes_data() {
        QTest::addColumn<bool>("portalUp");
        QTest::addRow("slow portal") << true;
        QTest::addRow("portal down") << false;
    }
    void theClosingStandsWhateverThePortalDoes() {
        QFETCH(bool, portalUp);
        QString portal = m_portal->hostPort();
        if (!portalUp) {
            m_portal.reset();
            portal.clear();
        } else {
            m_portal->setDelay(10000);
        }
        start({{QStringLiteral("services/portal_server"),
                portalUp ? portal : QStringLiteral("127.0.0.1:1")},
               {QStringLiteral("app/wait_limit_seconds"), QStringLiteral("1")}});
        fixture::openComplaint(m_ctx->db());
        open();
        lookUp(QStringLiteral("7"));
        click(form(), QStringLiteral("Command3"));
        QCOMPARE(m_ctx->dialogs().texts(), support::strings({"CLOSED SUCCESSFULLY"}));
        QCOMPARE(m_ctx->db().scalar(QStringLiteral("select status from complain")),
                 QStringLiteral("CLOSED"));
        if (portalUp) {
            QCOMPARE(m_portal->requests().size(), 0);
            QVERIFY(m_portal->waitForRequests(1));
        }
        QTest::qWait(200);
        QCOMPARE(m_ctx->dialogs().texts().size(), 1);
    }

    void closingNeedsASignedInOperator() {
        fixture::openComplaint(m_ctx->db());
        m_ctx->session().setSignedInUser(QString());
        const QString before = complaints();
        open();
        lookUp(QStringLiteral("7"));
        click(form(), QStringLiteral("Command3"));
        QCOMPARE(m_ctx->dialogs().texts(),
                 support::strings({"YOU ARE NOT LOGIN PLEASE CLOSE WINDO AND LOGIN AGAIN"}));
        QCOMPARE(complaints(), before);
        QTest::qWait(100);
        QCOMPARE(m_portal->requests().size(), 0);
    }

    void closingWithoutThePortalsAddressClosesNothing() {
        start({});
        fixture::openComplaint(m_ctx->db());
        const QString before = complaints();
        open();
        lookUp(QStringLiteral("7"));
        click(form(), QStringLiteral("Command3"));
        QCOMPARE(m_ctx->dialogs().texts().size(), 1);
        QVERIFY(m_ctx->dialogs().last().contains(QStringLiteral("portal_server")));
        QCOMPARE(complaints(), before);
    }

private:
    void start(const QHash<QString, QString>& config) {
        m_form.reset();
        m_ctx = std::make_unique<support::TestContext>(config);
        m_ctx->session().setSignedInUser(QStringLiteral("NOC1"));
        fixture::network(m_ctx->db());
        fixture::subscriber(m_ctx->db());
    }
    void open() { m_form = std::make_unique<complaints::ComplaintRegisterForm>(m_ctx->app()); }
    QWidget* form() { return m_form.get(); }
    // Finds the subscriber and fills what a submit needs.
    void searchAndFill() {
        open();
        type(form(), QStringLiteral("Text1"), subscriberId);
        click(form(), QStringLiteral("Command8"));
        support::choose(form(), QStringLiteral("Combo1"), QStringLiteral("SIGNAL WEAK"));
    }
    void lookUp(const QString& number) {
        type(form(), QStringLiteral("Text6"), number);
        support::leave(form(), QStringLiteral("Text6"));
    }
    static QByteArray sentPath(const support::LocalHttpServer::Request& request) {
        return request.url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority);
    }
    void setUpdateText(const QString& text) {
        support::find<QPlainTextEdit>(form(), QStringLiteral("Text10"))->setPlainText(text);
    }
    QString updateText() {
        return support::find<QPlainTextEdit>(form(), QStringLiteral("Text10"))->toPlainText();
    }
    QString complaints() {
        return m_ctx->db().rows(QStringLiteral("select * from complain")).join(QLatin1Char('\n'));
    }
    QStringList readSecondary() {
        db::ScreenDb secondary(m_ctx->db().settings());
        secondary.openSecondary();
        QStringList out;
        for (auto row = secondary.query(QStringLiteral("select id, LDR, FS from offline_user order "
                                                       "by id, FS desc"));
             !row.atEnd(); row.next())
            out << QStringList{row.field(0), row.field(1), row.field(2)}.join(QLatin1Char('|'));
        secondary.close();
        return out;
    }

    std::unique_ptr<support::LocalHttpServer> m_portal;
    std::unique_ptr<support::TestContext> m_ctx;
    std::unique_ptr<complaints::ComplaintRegisterForm> m_form;
};

QTEST_MAIN(TestComplaintLifecycle)
#include "tst_complaint_lifecycle.moc"
