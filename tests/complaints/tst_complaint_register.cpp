#include "complaints/complaint_register_form.h"
#include "complaints/complaint_rules.h"
#include "register_fixture.h"
#include "support/strings.h"
#include "support/test_context.h"
#include "support/widgets.h"
#include "ui/query_grid.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using support::click;
using support::textOf;
using support::type;

namespace {

QColor backgroundOf(QWidget* form, const QString& name) {
    return support::find<QLineEdit>(form, name)->palette().color(QPalette::Base);
}

} // namespace

class TestComplaintRegister : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_ctx = std::make_unique<support::TestContext>();
        m_ctx->session().setSignedInUser(QStringLiteral("NOC1"));
        fixture::network(m_ctx->db());
    }
    void cleanup() {
        m_form.reset();
        m_ctx.reset();
    }

    void loadsWithItsListsAndClock() {
        open();
        QCOMPARE(m_form->objectName(), QStringLiteral("Form3"));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Complain"));
        QCOMPARE(textOf(form(), QStringLiteral("Label13")),
                 QStringLiteral("YOU ARE LOGIN AS NOC1"));
        QVERIFY(!support::find<QPushButton>(form(), QStringLiteral("Command3"))->isEnabled());
        QVERIFY(support::find<QPushButton>(form(), QStringLiteral("Command2"))->isEnabled());
        QCOMPARE(support::entries(form(), QStringLiteral("Combo1")),
                 support::strings({"SIGNAL WEAK", "DDOS", "SPEED ISSUE", "SITE  DOWN",
                                   "NO INTERNET ACCESS", "ODU PROBLEM", "BILLING ISSUE",
                                   "DEVICE NOT CONNECTED", "PHONE NOT WORKING"}));
        QCOMPARE(
            support::entries(form(), QStringLiteral("Combo2")),
            support::strings({"SITE DOWN", "WIRE DOWN", "BILLING ISSUE", "VOIP ISSUE", "OTHER"}));
        QCOMPARE(support::entries(form(), QStringLiteral("Combo6")),
                 support::strings({"YES", "NO"}));
        QCOMPARE(support::entries(form(), QStringLiteral("Combo4")),
                 support::strings({"KERALA", "TAMIL NADU"}));
        // Filling a list leaves the box's own text empty.
        QCOMPARE(textOf(form(), QStringLiteral("Combo1")), QString());
        QCOMPARE(textOf(form(), QStringLiteral("Label16")), QStringLiteral("5555"));

        QCOMPARE(textOf(form(), QStringLiteral("Text11")), QStringLiteral("4-Dec-21 21:05"));
        auto* timer = m_form->findChild<QTimer*>(QStringLiteral("Timer1"));
        QVERIFY(timer);
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 1000);
        m_ctx->clock().set(QDateTime(QDate(2021, 12, 4), QTime(9, 7, 30)));
        QTRY_COMPARE_WITH_TIMEOUT(textOf(form(), QStringLiteral("Text11")),
                                  QStringLiteral("4-Dec-21 9:7 AM"), 3000);
    }

    // The status condition binds to the mobile alternative only.
    void searchFindsByIdIndicatorBaOrActiveMobile_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("found");
        QTest::addRow("id, typed in capitals")
            << QStringLiteral("KL0000001") << QStringLiteral("DELETED") << true;
        QTest::addRow("indicator")
            << QStringLiteral("klm000001") << QStringLiteral("inactive") << true;
        QTest::addRow("BA") << QStringLiteral("1000000001") << QStringLiteral("MarkedForDeletion")
                            << true;
        QTest::addRow("mobile, active")
            << QStringLiteral("9447000001") << QStringLiteral("active") << true;
        QTest::addRow("mobile, inactive")
            << QStringLiteral("9447000001") << QStringLiteral("inactive") << false;
        QTest::addRow("nothing") << QStringLiteral("kl9999999") << QStringLiteral("active")
                                 << false;
    }
    void searchFindsByIdIndicatorBaOrActiveMobile() {
        QFETCH(QString, text);
        QFETCH(QString, status);
        QFETCH(bool, found);
        fixture::subscriber(m_ctx->db(), {{QStringLiteral("status"), status}});
        open();
        search(text);
        QCOMPARE(textOf(form(), QStringLiteral("Text2")),
                 found ? QStringLiteral("Ravi Kumar") : QString());
        QCOMPARE(textOf(form(), QStringLiteral("Text1")),
                 found ? QStringLiteral("kl0000001") : text);
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    void searchShowsTheRecordAndWhatHangsOffIt() {
        fixture::subscriber(m_ctx->db(), {{QStringLiteral("SERVICE"), QStringLiteral(" FTTH ")},
                                          {QStringLiteral("BA"), QStringLiteral("BA-77 ")}});
        fixture::openComplaint(m_ctx->db());
        fixture::complaint(m_ctx->db(),
                           {{QStringLiteral("id"), QStringLiteral("3")},
                            {QStringLiteral("issue date"), QStringLiteral("2021-01-02 10:00:00")},
                            {QStringLiteral("status"), QStringLiteral("CLOSED")},
                            {QStringLiteral("user id"), QStringLiteral("kl0000001")}});
        m_ctx->db().exec(
            QStringLiteral("insert into OLT (ID, MAC) values ('kl0000001', ' AA:BB ')"));
        open();
        search(QStringLiteral("ba-77 "));

        const QMap<QString, QString> expected{
            {QStringLiteral("Text1"), QStringLiteral("kl0000001")},
            {QStringLiteral("Text2"), QStringLiteral("Ravi Kumar")},
            {QStringLiteral("Text4"), QStringLiteral("9447000001")},
            {QStringLiteral("Combo4"), QStringLiteral("KERALA")},
            {QStringLiteral("Combo5"), QStringLiteral("ERNAKULAM")},
            {QStringLiteral("Label22"), QStringLiteral(" FTTH ")},
            {QStringLiteral("Text3"), QStringLiteral("BA-77")},
            {QStringLiteral("Label27"), QStringLiteral("Vuva_FTTH_100M")},
            {QStringLiteral("Text16"), QStringLiteral("0")},
            {QStringLiteral("Text17"), QStringLiteral("ravi@mail.example.com")},
            {QStringLiteral("Combo6"), QStringLiteral("YES")},
            {QStringLiteral("Text18"), QStringLiteral("EKM-OLT-1")},
            {QStringLiteral("Text19"), QStringLiteral("GPON 0/1/2:3")},
            {QStringLiteral("Text20"), QStringLiteral("10.1.1.5")},
            // the last engineer of the subscriber's circle and SSA
            {QStringLiteral("Text12"), QStringLiteral("Biju")},
            {QStringLiteral("Text13"), QStringLiteral("9400000002")},
            // the open complaint, found by the id although the search was by BA
            {QStringLiteral("Text6"), QStringLiteral("7")},
            {QStringLiteral("Text21"), QStringLiteral(" AA:BB ")},
        };
        for (auto it = expected.begin(); it != expected.end(); ++it)
            QCOMPARE(textOf(form(), it.key()), it.value());
        QCOMPARE(support::entries(form(), QStringLiteral("Combo7")),
                 support::strings({"Anil", "Biju "}));
        QCOMPARE(backgroundOf(form(), QStringLiteral("Text18")), QColor(0, 255, 0));

        auto* grid = support::find<ui::QueryGrid>(form(), QStringLiteral("MSHFlexGrid1"));
        QCOMPARE(grid->gridModel().rowCount(), 2);
        QCOMPARE(grid->cellText(0, 0), QStringLiteral("7"));
        QCOMPARE(grid->cellText(1, 0), QStringLiteral("3"));
        QCOMPARE(grid->cellText(1, 1), QStringLiteral("2021-01-02 10:00:00"));
    }

    void theSiteStateColoursTheAp_data() {
        QTest::addColumn<QString>("live");
        QTest::addColumn<QString>("site");
        QTest::addColumn<QColor>("colour");
        QTest::addRow("up, blanks around")
            << QStringLiteral(" UP ") << QStringLiteral("EKM-OLT-1") << QColor(0, 255, 0);
        QTest::addRow("up in small letters")
            << QStringLiteral("up") << QStringLiteral("EKM-OLT-1") << QColor(255, 0, 0);
        QTest::addRow("down") << QStringLiteral("DOWN") << QStringLiteral("EKM-OLT-1")
                              << QColor(255, 0, 0);
        QTest::addRow("no site row")
            << QStringLiteral("UP") << QStringLiteral("NOWHERE") << QColor(255, 0, 0);
    }
    void theSiteStateColoursTheAp() {
        QFETCH(QString, live);
        QFETCH(QString, site);
        QFETCH(QColor, colour);
        m_ctx->db().exec(QStringLiteral("update af_site set LIVE=?"), {live});
        fixture::subscriber(m_ctx->db(), {{QStringLiteral("AP"), site}});
        open();
        search(QStringLiteral("kl0000001"));
        QCOMPARE(backgroundOf(form(), QStringLiteral("Text18")), colour);
    }

    void severalMatchesLeaveTheLastRowShown() {
        fixture::subscriber(m_ctx->db());
        fixture::subscriber(m_ctx->db(), {{QStringLiteral("ID"), QStringLiteral("kl0000002")},
                                          {QStringLiteral("name"), QStringLiteral("Meera Nair")},
                                          {QStringLiteral("BA"), QStringLiteral("kl0000001")}});
        open();
        search(QStringLiteral("kl0000001"));
        const QStringList names = m_ctx->db().rows(
            QStringLiteral("select trim(name) from cdata where id = ? OR indicator=? OR BA=? OR "
                           "MOBILE=? and status='active'"),
            {QStringLiteral("kl0000001"), QStringLiteral("kl0000001"), QStringLiteral("kl0000001"),
             QStringLiteral("kl0000001")});
        QCOMPARE(names.size(), 2);
        QCOMPARE(textOf(form(), QStringLiteral("Text2")), names.last());
    }

    // Which column fills which control, trimmed or as stored, per event.
    void complaintFieldsPerEvent_data() {
        QTest::addColumn<int>("read");
        QTest::addColumn<QStringList>("expected"); // control=text
        const QStringList asStored = support::strings(
            {"Text6=7", "Text7= Ravi Kumar ", "Text9= 9447000001 ", "Combo2= WIRE DOWN ",
             "Label7=SIGNAL WEAK", "Combo3= Anil ", "Text5= 9400000001 ", "Text8= 12 MG Road ",
             "Text14=2021-12-04 21:05:00"});
        QTest::addRow("search") << int(complaints::ComplaintRead::Search)
                                << asStored +
                                       support::strings({"Text15=kl0000001", "Label34= NEW "});
        QTest::addRow("submit check")
            << int(complaints::ComplaintRead::SubmitCheck)
            << asStored + support::strings({"Text15=", "Label34=Label34"});
        QTest::addRow("lookup") << int(complaints::ComplaintRead::Lookup)
                                << support::strings(
                                       {"Text6=7", "Text7=Ravi Kumar", "Text9=9447000001",
                                        "Combo2=WIRE DOWN", "Label7=SIGNAL WEAK", "Combo3=Anil",
                                        "Text5=9400000001", "Text8=12 MG Road",
                                        "Text14=2021-12-04 21:05:00", "Text15=kl0000001",
                                        "Label34= NEW ", "Combo4= KERALA ", "Combo5= ERNAKULAM "});
    }
    void complaintFieldsPerEvent() {
        QFETCH(int, read);
        QFETCH(QStringList, expected);
        fixture::openComplaint(m_ctx->db());
        open();
        switch (complaints::ComplaintRead(read)) {
        case complaints::ComplaintRead::Search:
            search(QStringLiteral("kl0000001"));
            break;
        case complaints::ComplaintRead::SubmitCheck:
            type(form(), QStringLiteral("Text1"), QStringLiteral("kl0000001"));
            click(form(), QStringLiteral("Command1"));
            QCOMPARE(m_ctx->dialogs().texts(), support::strings({" HAS ALREADY AN OPEN COMPLAIN"}));
            break;
        case complaints::ComplaintRead::Lookup:
            lookUp(QStringLiteral("7"));
            break;
        }
        for (const QString& pair : expected) {
            const QString control = pair.section(QLatin1Char('='), 0, 0);
            QCOMPARE(control + QLatin1Char('=') + textOf(form(), control), pair);
        }
    }

    void lookupSetsTheButtonsByTheShownStatus() {
        fixture::complaint(m_ctx->db(), {{QStringLiteral("id"), QStringLiteral("4")},
                                         {QStringLiteral("status"), QStringLiteral(" CLOSED ")},
                                         {QStringLiteral("user id"), QStringLiteral("kl0000001")},
                                         {QStringLiteral("circle"), QStringLiteral("KERALA")},
                                         {QStringLiteral("ssa"), QStringLiteral("ERNAKULAM")}});
        open();
        auto* update = support::find<QPushButton>(form(), QStringLiteral("Command2"));
        auto* close = support::find<QPushButton>(form(), QStringLiteral("Command3"));

        // An empty number finds nothing; the buttons follow the status shown.
        lookUp(QString());
        QVERIFY(update->isEnabled() && close->isEnabled());
        QCOMPARE(textOf(form(), QStringLiteral("Label34")), QStringLiteral("Label34"));

        lookUp(QStringLiteral("4"));
        QVERIFY(!update->isEnabled() && !close->isEnabled());
        QCOMPARE(support::entries(form(), QStringLiteral("Combo3")),
                 support::strings({"Anil", "Biju "}));
        QCOMPARE(support::find<ui::QueryGrid>(form(), QStringLiteral("MSHFlexGrid1"))
                     ->gridModel()
                     .rowCount(),
                 1);

        // Nothing found: the closed status stays on screen, and so do the buttons.
        lookUp(QString());
        QVERIFY(!update->isEnabled() && !close->isEnabled());
        QCOMPARE(support::entries(form(), QStringLiteral("Combo3")),
                 support::strings({"Anil", "Biju "}));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    void selectionsCascade() {
        fixture::subscriber(m_ctx->db());
        open();
        search(QStringLiteral("kl0000001"));
        support::choose(form(), QStringLiteral("Combo4"), QStringLiteral("KERALA"));
        QCOMPARE(support::entries(form(), QStringLiteral("Combo5")),
                 support::strings({"ERNAKULAM", "KOTTAYAM"}));
        QCOMPARE(textOf(form(), QStringLiteral("Combo5")), QStringLiteral("ERNAKULAM"));

        support::choose(form(), QStringLiteral("Combo5"), QStringLiteral("ERNAKULAM"));
        QCOMPARE(textOf(form(), QStringLiteral("Text12")), QStringLiteral(" Suresh Menon"));
        QCOMPARE(textOf(form(), QStringLiteral("Text13")), QStringLiteral("0484 2345678 "));

        support::choose(form(), QStringLiteral("Combo7"), QStringLiteral("Anil"));
        QCOMPARE(textOf(form(), QStringLiteral("Text12")), QStringLiteral("Anil"));
        QCOMPARE(textOf(form(), QStringLiteral("Text13")), QStringLiteral("9400000001"));

        // An SSA without an office row empties the engineer boxes.
        support::choose(form(), QStringLiteral("Combo5"), QStringLiteral("KOTTAYAM"));
        QCOMPARE(textOf(form(), QStringLiteral("Text12")), QString());
        QCOMPARE(textOf(form(), QStringLiteral("Text13")), QString());
    }

    // Moving through the boxes or typing into them picks nothing: the shown
    // engineer stays (the next submit stores him), typed text stays as typed.
    void typingAndTabbingPicksNothing() {
        fixture::subscriber(m_ctx->db());
        open();
        m_form->show();
        search(QStringLiteral("kl0000001"));
        const QString engineer = textOf(form(), QStringLiteral("Text12"));
        const QString mobile = textOf(form(), QStringLiteral("Text13"));
        const QStringList ssas = support::entries(form(), QStringLiteral("Combo5"));

        support::focusIn(form(), QStringLiteral("Combo4"));
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        support::focusIn(form(), QStringLiteral("Combo4"));
        support::type(form(), QStringLiteral("Combo4"), QString());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("kerala"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        support::focusIn(form(), QStringLiteral("Combo2"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("WIRE"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);

        QCOMPARE(textOf(form(), QStringLiteral("Text12")), engineer);
        QCOMPARE(textOf(form(), QStringLiteral("Text13")), mobile);
        QCOMPARE(support::entries(form(), QStringLiteral("Combo5")), ssas);
        QCOMPARE(textOf(form(), QStringLiteral("Combo4")), QStringLiteral("kerala"));
        QCOMPARE(textOf(form(), QStringLiteral("Combo2")), QStringLiteral("WIRE"));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    void theComplaintsEngineerBringsHisMobile() {
        fixture::complaint(m_ctx->db(), {{QStringLiteral("id"), QStringLiteral("5")},
                                         {QStringLiteral("status"), QStringLiteral("OPEN")},
                                         {QStringLiteral("circle"), QStringLiteral("KERALA")},
                                         {QStringLiteral("ssa"), QStringLiteral("ERNAKULAM")}});
        open();
        lookUp(QStringLiteral("5"));
        support::choose(form(), QStringLiteral("Combo3"), QStringLiteral("Anil"));
        QCOMPARE(textOf(form(), QStringLiteral("Text5")), QStringLiteral("9400000001"));
    }

    void clearEmptiesExactlyTheListedControls() {
        fixture::subscriber(m_ctx->db());
        fixture::openComplaint(m_ctx->db());
        m_ctx->db().exec(QStringLiteral("insert into OLT (ID, MAC) values ('kl0000001', 'AA:BB')"));
        open();
        search(QStringLiteral("kl0000001"));
        type(form(), QStringLiteral("Combo1"), QStringLiteral("DDOS"));
        support::find<QPlainTextEdit>(form(), QStringLiteral("Text10"))
            ->setPlainText(QStringLiteral("x"));
        click(form(), QStringLiteral("Command6"));

        for (const char* name :
             {"Text1",  "Text2",  "Combo5", "Text4",  "Text12",  "Text13", "Combo1",
              "Text6",  "Text7",  "Combo2", "Text9",  "Combo3",  "Text5",  "Text8",
              "Label7", "Text14", "Text16", "Text17", "Label22", "Text3",  "Label27",
              "Combo6", "Text18", "Combo4", "Text20", "Text15"})
            QVERIFY2(textOf(form(), QLatin1String(name)).isEmpty(), name);
        QVERIFY(support::find<QPlainTextEdit>(form(), QStringLiteral("Text10"))
                    ->toPlainText()
                    .isEmpty());

        QCOMPARE(textOf(form(), QStringLiteral("Text19")), QStringLiteral("GPON 0/1/2:3"));
        QCOMPARE(textOf(form(), QStringLiteral("Text21")), QStringLiteral("AA:BB"));
        QCOMPARE(textOf(form(), QStringLiteral("Label16")), QStringLiteral("5555"));
        QCOMPARE(textOf(form(), QStringLiteral("Label34")), QStringLiteral(" NEW "));
        QCOMPARE(support::entries(form(), QStringLiteral("Combo7")),
                 support::strings({"Anil", "Biju "}));
        QCOMPARE(support::find<ui::QueryGrid>(form(), QStringLiteral("MSHFlexGrid1"))
                     ->gridModel()
                     .rowCount(),
                 1);
        QCOMPARE(backgroundOf(form(), QStringLiteral("Text18")), QColor(0, 255, 0));
    }

    void enterMovesOnAndLeavingTheNumberLooksItUp() {
        fixture::openComplaint(m_ctx->db());
        open();
        support::pressEnter(form(), QStringLiteral("Text1"));
        QCOMPARE(QApplication::focusWidget(),
                 support::findWidget(form(), QStringLiteral("Command8")));

        type(form(), QStringLiteral("Text6"), QStringLiteral("7"));
        support::pressEnter(form(), QStringLiteral("Text6"));
        QCOMPARE(QApplication::focusWidget(), support::findWidget(form(), QStringLiteral("Text7")));
        QCOMPARE(textOf(form(), QStringLiteral("Text7")), QStringLiteral("Ravi Kumar"));
        QCOMPARE(textOf(form(), QStringLiteral("Text6")), QStringLiteral("7"));
    }

    void aDoubleClickStampsTheUpdateText() {
        open();
        auto* text10 = support::find<QPlainTextEdit>(form(), QStringLiteral("Text10"));
        text10->setPlainText(QStringLiteral("Visited "));
        QTest::mouseDClick(text10->viewport(), Qt::LeftButton);
        QCOMPARE(text10->toPlainText(),
                 QStringLiteral("Visited ") + complaints::generalDateTime(m_ctx->clock().now()));
    }

    void showOpenComplainHandsOverToTheBoard() {
        auto* screen = m_ctx->screens().open(QStringLiteral("Form3"), [this] {
            return new complaints::ComplaintRegisterForm(m_ctx->app());
        });
        QVERIFY(screen);
        click(screen, QStringLiteral("Command7"));
        QVERIFY(!m_ctx->screens().find(QStringLiteral("Form3")));
        QWidget* board = m_ctx->screens().find(QStringLiteral("Form4"));
        QVERIFY(board);
        m_ctx->screens().closeAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private:
    void open() { m_form = std::make_unique<complaints::ComplaintRegisterForm>(m_ctx->app()); }
    QWidget* form() { return m_form.get(); }
    void search(const QString& text) {
        type(form(), QStringLiteral("Text1"), text);
        click(form(), QStringLiteral("Command8"));
    }
    void lookUp(const QString& number) {
        type(form(), QStringLiteral("Text6"), number);
        support::leave(form(), QStringLiteral("Text6"));
    }

    std::unique_ptr<support::TestContext> m_ctx;
    std::unique_ptr<complaints::ComplaintRegisterForm> m_form;
};

QTEST_MAIN(TestComplaintRegister)
#include "tst_complaint_register.moc"
