#include "fault_fixture.h"
#include "support/event_loop_ticks.h"
#include "support/strings.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using support::choose;
using support::textOf;

namespace {

const QString kochiSms =
    QStringLiteral("/api/swsendSingle.asp?username=q5vandrelio&password=73019462&sender=QTVMSG"
                   "&sendto=%20");

// The fault desk's services, with what reached them read back in order.
struct Services : fixture::NoticeServices {
    // "sendto=...&message=..." of every SMS, in order.
    QStringList smsQueries() const {
        QStringList out;
        for (const auto& r : sms.requests()) {
            const QString url = QString::fromUtf8(r.url.toEncoded());
            out << url.mid(url.indexOf(QStringLiteral("sendto=")));
        }
        return out;
    }
    // "«phone»|«body»" of every WhatsApp message, as the API decodes it.
    QStringList whatsAppMessages() const {
        QStringList out;
        for (const auto& r : whatsApp.requests()) {
            const QJsonObject o = QJsonDocument::fromJson(r.body).object();
            out << o.value(QStringLiteral("phone")).toString() + u'|' +
                       o.value(QStringLiteral("body")).toString();
        }
        return out;
    }
    int noticesSent() const {
        return int(sms.requests().size() + whatsApp.requests().size() + smtp.mails().size());
    }
};

QString ticketRow(const support::TestDb& db, const QString& ft) {
    return db
        .rows(QStringLiteral("SELECT FAULT, [ISSUE DATE], [CLOSE DATE], [DOWN TIME], STATUS, "
                             "ID, [USER] FROM BTS_FAULT WHERE [fault id]=?"),
              {ft})
        .value(0);
}

} // namespace

class TestFaultTickets : public QObject {
    Q_OBJECT

    std::unique_ptr<Services> m_services;
    std::unique_ptr<support::TestContext> m_ctx;
    std::unique_ptr<faults::SiteFaultForm> m_form;

    QWidget* form() { return m_form.get(); }
    support::ScriptedDialogs& dialogs() { return m_ctx->dialogs(); }
    void selectEdappally(const char* kind = "SITE DOWN") {
        choose(form(), QStringLiteral("Combo1"), QStringLiteral("KERALA"));
        choose(form(), QStringLiteral("Combo2"), QStringLiteral("KOCHI"));
        choose(form(), QStringLiteral("Combo3"), QStringLiteral("EDAPPALLY"));
        choose(form(), QStringLiteral("Combo4"), QStringLiteral("EDAPPALLY"));
        choose(form(), QStringLiteral("Combo5"), QString::fromUtf8(kind));
    }
    void act(const char* button, const QString& ft, const QString& text) {
        support::type(form(), QStringLiteral("Text1"), ft);
        support::leave(form(), QStringLiteral("Text1"));
        support::type(form(), QStringLiteral("Text2"), text);
        support::click(form(), QString::fromLatin1(button));
    }
    void update(const QString& ft, const QString& text) { act("Command2", ft, text); }
    void lookUp(const QString& ft) {
        support::type(form(), QStringLiteral("Text1"), ft);
        support::leave(form(), QStringLiteral("Text1"));
    }

private slots:
    void init() {
        m_services = std::make_unique<Services>();
        QVERIFY(m_services->certificate.isValid());
        m_ctx = std::make_unique<support::TestContext>(m_services->config());
        fixture::addDesk(m_ctx->db());
        m_ctx->clock().set(QDateTime(QDate(2021, 12, 4), QTime(10, 0)));
        m_form = std::make_unique<faults::SiteFaultForm>(m_ctx->app());
    }
    void cleanup() {
        m_form.reset();
        m_ctx.reset();
        m_services.reset();
    }

    void aTicketFromOpeningToClosing() {
        selectEdappally();
        dialogs().answer(true);
        support::click(form(), QStringLiteral("Command1"));
        QCOMPARE(dialogs().texts(), support::strings({"Fault Submitted Successfully with FT No10",
                                                      "SEND REMINDER TO VUVA"}));
        QCOMPARE(dialogs().shown().first().title, QStringLiteral("VUVA"));
        QCOMPARE(ticketRow(m_ctx->db(), QStringLiteral("10")),
                 QStringLiteral("4-Dec-21 10:0 AM FAULT OPEN BY: ASHA\r\nFAULT: SITE DOWN|"
                                "4-Dec-21 10:0 AM|4/4/1970|0|OPEN|1234| 17 "));
        QCOMPARE(fixture::gridIds(form()), support::strings({"7", "8", "9", "10"}));
        QCOMPARE(textOf(form(), QStringLiteral("Label9")), QStringLiteral("OPEN FAULT: 4"));

        m_ctx->clock().advance(59 * 60);
        dialogs().answer(true);
        update(QStringLiteral("10"), QStringLiteral("power 'off' & \"cut\" \\ here"));
        QCOMPARE(ticketRow(m_ctx->db(), QStringLiteral("10")).section(u'|', 3, 3),
                 QStringLiteral("0"));

        m_ctx->clock().advance(2 * 60);
        dialogs().answer(false);
        update(QStringLiteral("10"), QStringLiteral("second"));
        QCOMPARE(ticketRow(m_ctx->db(), QStringLiteral("10")).section(u'|', 3, 3),
                 QStringLiteral("1"));

        m_ctx->clock().set(QDateTime(QDate(2021, 12, 4), QTime(12, 30)));
        dialogs().clear();
        dialogs().answer(true);
        act("Command4", QStringLiteral("10"), QStringLiteral("restored"));
        QCOMPARE(dialogs().texts(), support::strings({"ARE YOU SURE TO CLOSE"}));
        const QString history = QStringLiteral(
            "4-Dec-21 10:0 AM FAULT OPEN BY: ASHA\r\nFAULT: SITE DOWN\r\n"
            "12/04/2021 10:59 AM UPDATE BY ASHA\r\nUPDATE: power 'off' & \"cut\" \\ here\r\n"
            "12/04/2021 11:1 AM UPDATE BY ASHA\r\nUPDATE: second\r\n"
            "12/04/2021 12:30 PM CLOSED BY ASHA\r\nUPDATE: restored");
        QCOMPARE(ticketRow(m_ctx->db(), QStringLiteral("10")),
                 history +
                     QStringLiteral("|4-Dec-21 10:0 AM|4-Dec-21 12:30 PM|1|CLOSED|1234| 17 "));
        QCOMPARE(fixture::historyOf(form()),
                 QString(history).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        QCOMPARE(fixture::gridIds(form()), support::strings({"7", "8", "9"}));
        QCOMPARE(textOf(form(), QStringLiteral("Label9")), QStringLiteral("OPEN FAULT: 3"));

        // Opening and each update told people; closing told nobody.
        QCOMPARE(m_services->smtp.mails().size(), 3);
        const QString opened = QStringLiteral("message=New%20fault%20open%20by%20zel%20NOC%20for%20"
                                              "KOCHI%20EDAPPALLY%20fault%20is%20SITE%20DOWN");
        const QString first = QStringLiteral(
            "message=Fault%20updated%20by%20zel%20NOC%20for%20KOCHI%20EDAPPALLY%20update%20power"
            "%20%27off%27%20%26%20%22cut%22%20%5C%20here");
        const QString second = QStringLiteral(
            "message=Fault%20updated%20by%20zel%20NOC%20for%20KOCHI%20EDAPPALLY%20update%20second");
        QStringList expectedSms;
        for (const QString& text : {opened, first})
            for (const char* mobile :
                 {"9800000001", "9800000002", "9800000003", "9800000004", "9800000005"})
                expectedSms << QStringLiteral("sendto=%20") + QString::fromLatin1(mobile) + u'&' +
                                   text;
        // No reminder to VUVA: only the field engineer and the circle head.
        for (const char* mobile : {"9800000001", "9800000005"})
            expectedSms << QStringLiteral("sendto=%20") + QString::fromLatin1(mobile) + u'&' +
                               second;
        QCOMPARE(m_services->smsQueries(), expectedSms);
        QCOMPARE(m_services->sms.requests().first().url.path(),
                 QStringLiteral("/api/swsendSingle.asp"));
        QVERIFY(QString::fromUtf8(m_services->sms.requests().first().url.toEncoded())
                    .contains(kochiSms));

        QStringList expectedWhatsApp;
        const QString openedText =
            QStringLiteral("New fault open by zel NOC for\nKOCHI\nEDAPPALLY\nfault is SITE DOWN");
        const QString firstText = QStringLiteral(
            "Fault updated by zel NOC for KOCHI EDAPPALLY update power 'off' & \"cut\" \\ here");
        for (const QString& text : {openedText, firstText})
            for (const char* mobile :
                 {"9800000001", "9800000002", "9800000003", "9800000004", "9800000005"})
                expectedWhatsApp << QStringLiteral("91 ") + QString::fromLatin1(mobile) + u'|' +
                                        text;
        for (const char* mobile : {"9800000001", "9800000005"})
            expectedWhatsApp
                << QStringLiteral("91 ") + QString::fromLatin1(mobile) +
                       QStringLiteral(
                           "|Fault updated by zel NOC for KOCHI EDAPPALLY update second");
        QCOMPARE(m_services->whatsAppMessages(), expectedWhatsApp);
        const auto& post = m_services->whatsApp.requests().first();
        QCOMPARE(QString::fromUtf8(post.url.toEncoded()),
                 m_services->whatsApp.baseUrl() +
                     QStringLiteral("/instance604271/sendMessage?token=m2qzr7ke0wd5tb1x"));
        QCOMPARE(post.header("X-WM-CLIENT-ID"), QByteArray("604271"));
        QCOMPARE(post.header("Content-type"), QByteArray("application/json"));
    }

    void theFaultMailsAsReceived() {
        selectEdappally("LINK FLAPPING");
        dialogs().answer(true);
        support::click(form(), QStringLiteral("Command1"));
        m_ctx->clock().advance(3 * 3600);
        dialogs().answer(false);
        update(QStringLiteral("10"), QStringLiteral("<b>fibre</b> & \"splice\""));

        const auto& mails = m_services->smtp.mails();
        QCOMPARE(mails.size(), 2);
        QCOMPARE(mails[0].header("To"),
                 QStringLiteral("sde.bb@vuva.in, sde.tx@vuva.in, head@zel.in"));
        QCOMPARE(mails[0].header("Cc"),
                 QStringLiteral("gm@vuva.in, noc1@zel.in, ops@zel.in, mgr@zel.in"));
        QCOMPARE(mails[0].header("Subject"), QStringLiteral("ZEL##KERALA##KOCHI##EDAPPALLY##10"));
        QCOMPARE(mails[0].body(),
                 QStringLiteral("Dear Team,<BR><BR> New Fault open for Subjected Site Details are "
                                "as follows <BR>FAULT ID : 10<BR>FAULT : LINK FLAPPING<BR>FAULT "
                                "OPEN TIME : 4-Dec-21 10:0 AM<BR>USER AFFECTED :  17 <BR><BR>"
                                "Thanks and Regard <BR>ZEL NOC <BR>PH: "
                                "0484-1111/0484-2222/0484-3333"));
        // No reminder to VUVA: the circle head and the fixed list only.
        QCOMPARE(mails[1].header("To"), QStringLiteral("head@zel.in"));
        QCOMPARE(mails[1].header("Cc"), QStringLiteral("noc1@zel.in, ops@zel.in, cto@zel.in"));
        QCOMPARE(mails[1].recipients,
                 support::strings({"head@zel.in", "noc1@zel.in", "ops@zel.in", "cto@zel.in"}));
        QCOMPARE(mails[1].header("Subject"),
                 QStringLiteral("ZEL##KERALA##KOCHI##EDAPPALLY##10##UPDATE"));
        QCOMPARE(mails[1].body(),
                 QStringLiteral("Dear Team,<BR>Fault Updated for Subjected Site Details are as "
                                "follows<BR>FAULT ID : 10<BR>UPDATE : &lt;b&gt;fibre&lt;/b&gt; "
                                "&amp; &quot;splice&quot;<BR>DOWN TIME : 3 HOURS<BR><BR>Thanks "
                                "and Regard<BR>ZEL NOC<BR>PH: 0484-1111/0484-2222/0484-3333"));
    }

    void openingNeedsAllFiveSelections_data() {
        QTest::addColumn<QString>("empty");
        for (const char* box : {"Combo1", "Combo2", "Combo3", "Combo4", "Combo5"})
            QTest::addRow("%s", box) << QString::fromLatin1(box);
    }
    void openingNeedsAllFiveSelections() {
        QFETCH(QString, empty);
        selectEdappally();
        support::type(form(), empty, QString());
        // Another desk's ticket shows up in the refreshed grid.
        m_ctx->db().exec(
            QStringLiteral("INSERT INTO BTS_FAULT (CIRCLE, STATUS) VALUES ('GOA', 'OPEN')"));
        support::click(form(), QStringLiteral("Command1"));
        QCOMPARE(dialogs().shown(), (QList<support::ScriptedDialogs::Shown>{
                                        {QStringLiteral("PLEASE FILL ALL THE DATA"),
                                         QStringLiteral("VUVA"), ui::Icon::Information, false}}));
        QCOMPARE(m_ctx->db().scalar(QStringLiteral("SELECT COUNT(*) FROM BTS_FAULT")),
                 QStringLiteral("5"));
        QCOMPARE(textOf(form(), QStringLiteral("Label9")), QStringLiteral("OPEN FAULT: 4"));
        QCOMPARE(m_services->noticesSent(), 0);
    }

    void apostrophesAreStoredAsTyped() {
        for (const char* box : {"Combo1", "Combo2", "Combo3", "Combo4"})
            support::type(form(), QString::fromLatin1(box), QStringLiteral("O'NEIL"));
        choose(form(), QStringLiteral("Combo5"), QStringLiteral("AP DOWN"));
        dialogs().answer(true);
        support::click(form(), QStringLiteral("Command1"));
        QCOMPARE(dialogs().texts().first(),
                 QStringLiteral("Fault Submitted Successfully with FT No10"));
        QCOMPARE(m_ctx->db().scalar(QStringLiteral("SELECT CIRCLE || SSA || [SITE NAME] FROM "
                                                   "BTS_FAULT WHERE [fault id]=10")),
                 QStringLiteral("O'NEILO'NEILO'NEIL"));
        dialogs().answer(true);
        update(QStringLiteral("10"), QStringLiteral("it's fixed"));
        QVERIFY(ticketRow(m_ctx->db(), QStringLiteral("10"))
                    .contains(QStringLiteral("UPDATE: it's fixed")));
    }

    void anUpdateOfAnUnknownTicketTellsNobody() {
        selectEdappally();
        update(QStringLiteral("999"), QStringLiteral("anything"));
        QCOMPARE(dialogs().shown(),
                 (QList<support::ScriptedDialogs::Shown>{{QStringLiteral("FT 999 NOT FOUND"),
                                                          QStringLiteral("ZEL NOC"),
                                                          ui::Icon::Exclamation, false}}));
        QCOMPARE(m_services->noticesSent(), 0);
    }

    void anUpdateThatCannotBeStoredTellsNobody() {
        m_ctx->db().refuse(QStringLiteral("BTS_FAULT"), QStringLiteral("UPDATE"),
                           QStringLiteral("history refused"));
        update(QStringLiteral("7"), QStringLiteral("anything"));
        QCOMPARE(dialogs().shown().size(), 1);
        QVERIFY(dialogs().last().contains(QStringLiteral("history refused")));
        QCOMPARE(m_services->noticesSent(), 0);
    }

    void closingChecksAndAsks_data() {
        QTest::addColumn<QString>("ft");
        QTest::addColumn<QString>("resolution");
        QTest::addColumn<bool>("asked");
        QTest::addRow("no FT") << QString() << QStringLiteral("done") << false;
        QTest::addRow("no resolution") << QStringLiteral("7") << QString() << false;
        QTest::addRow("answered No") << QStringLiteral("7") << QStringLiteral("done") << true;
    }
    void closingChecksAndAsks() {
        QFETCH(QString, ft);
        QFETCH(QString, resolution);
        QFETCH(bool, asked);
        const QString before = ticketRow(m_ctx->db(), QStringLiteral("7"));
        m_ctx->db().exec(
            QStringLiteral("INSERT INTO BTS_FAULT (CIRCLE, STATUS) VALUES ('GOA', 'OPEN')"));
        if (asked)
            dialogs().answer(false);
        act("Command4", ft, resolution);
        QCOMPARE(dialogs().texts(),
                 QStringList{asked ? QStringLiteral("ARE YOU SURE TO CLOSE")
                                   : QStringLiteral("PLEASE ENTER FT NUMBER AND RESOLUTION")});
        QCOMPARE(ticketRow(m_ctx->db(), QStringLiteral("7")), before);
        QCOMPARE(textOf(form(), QStringLiteral("Label9")), QStringLiteral("OPEN FAULT: 4"));
    }

    // Nothing is asked about a ticket that is not there, and the history box
    // keeps what the last lookup showed.
    void closingAnFtNumberThatNamesNoTicket_data() {
        QTest::addColumn<QString>("ft");
        QTest::addRow("no such ticket") << QStringLiteral("999");
        QTest::addRow("the box's prompt") << QStringLiteral("ENTER FT");
        QTest::addRow("a quote after the number") << QStringLiteral("7'");
    }
    void closingAnFtNumberThatNamesNoTicket() {
        QFETCH(QString, ft);
        lookUp(QStringLiteral("7"));
        const QString shown = fixture::historyOf(form());
        const QStringList before = m_ctx->db().rows(QStringLiteral("SELECT * FROM BTS_FAULT"));
        act("Command4", ft, QStringLiteral("done"));
        QCOMPARE(dialogs().shown(),
                 (QList<support::ScriptedDialogs::Shown>{
                     {QStringLiteral("FT ") + ft + QStringLiteral(" NOT FOUND"),
                      QStringLiteral("ZEL NOC"), ui::Icon::Exclamation, false}}));
        QCOMPARE(fixture::historyOf(form()), shown);
        QCOMPARE(m_ctx->db().rows(QStringLiteral("SELECT * FROM BTS_FAULT")), before);
    }

    // The box shows an entry only once it is stored, so trying again after a
    // failed write stores it once.
    void aHistoryThatCannotBeStoredStaysOutOfTheBox_data() {
        QTest::addColumn<QString>("button");
        QTest::addRow("update") << QStringLiteral("Command2");
        QTest::addRow("close") << QStringLiteral("Command4");
    }
    void aHistoryThatCannotBeStoredStaysOutOfTheBox() {
        QFETCH(QString, button);
        const bool closing = button == QLatin1String("Command4");
        m_ctx->db().refuse(QStringLiteral("BTS_FAULT"), QStringLiteral("UPDATE"),
                           QStringLiteral("history refused"));
        lookUp(QStringLiteral("7"));
        const QString shown = fixture::historyOf(form());
        support::type(form(), QStringLiteral("Text2"), QStringLiteral("power restored"));
        if (closing)
            dialogs().answer(true);
        support::click(form(), button);
        QVERIFY2(dialogs().last().contains(QStringLiteral("history refused")),
                 qPrintable(dialogs().last()));
        QCOMPARE(fixture::historyOf(form()), shown);

        m_ctx->db().stopRefusing(QStringLiteral("BTS_FAULT"), QStringLiteral("UPDATE"));
        dialogs().answer(closing);
        support::click(form(), button);
        const QString stored = ticketRow(m_ctx->db(), QStringLiteral("7")).section(u'|', 0, 0);
        QCOMPARE(stored.count(QStringLiteral("power restored")), 1);
        QCOMPARE(fixture::historyOf(form()),
                 QString(stored).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }

    // Lookup, update and close all read the number without the blanks
    // typed around it.
    void anFtNumberWithBlanksAroundIt() {
        lookUp(QStringLiteral(" 7 "));
        QCOMPARE(fixture::historyOf(form()),
                 QStringLiteral("1-Dec-21 9:0 AM FAULT OPEN BY: RAVI\nFAULT: SITE DOWN"));
        dialogs().answer(false);
        update(QStringLiteral(" 7 "), QStringLiteral("checked"));
        dialogs().answer(true);
        act("Command4", QStringLiteral("7  "), QStringLiteral("restored"));
        QCOMPARE(dialogs().texts(),
                 support::strings({"SEND REMINDER TO VUVA", "ARE YOU SURE TO CLOSE"}));
        const QString row = ticketRow(m_ctx->db(), QStringLiteral("7"));
        QVERIFY2(row.contains(QStringLiteral("UPDATE: checked\r\n")), qPrintable(row));
        QCOMPARE(row.section(u'|', 4, 4), QStringLiteral("CLOSED"));
    }

    // The ticket stands; nobody is told, not even the fixed Cc list alone,
    // and the operator learns why.
    void contactsThatCannotBeReadAreReported_data() {
        QTest::addColumn<bool>("opening");
        QTest::addRow("opening") << true;
        QTest::addRow("update") << false;
    }
    void contactsThatCannotBeReadAreReported() {
        QFETCH(bool, opening);
        selectEdappally();
        m_ctx->db().exec(QStringLiteral("ALTER TABLE ssa RENAME TO ssa_away"));
        dialogs().answer(true);
        if (opening)
            support::click(form(), QStringLiteral("Command1"));
        else
            update(QStringLiteral("7"), QStringLiteral("checking"));
        const auto last = dialogs().shown().last();
        QVERIFY2(last.text.startsWith(
                     QStringLiteral("NOTICES NOT SENT: contacts could not be read: ")) &&
                     last.text.contains(QStringLiteral("ssa")),
                 qPrintable(last.text));
        QCOMPARE(last.title, QStringLiteral("ZEL NOC"));
        QCOMPARE(last.icon, ui::Icon::Exclamation);
        QCOMPARE(m_services->noticesSent(), 0);
        if (opening) {
            QCOMPARE(ticketRow(m_ctx->db(), QStringLiteral("10")).section(u'|', 4, 4),
                     QStringLiteral("OPEN"));
            QCOMPARE(textOf(form(), QStringLiteral("Label9")), QStringLiteral("OPEN FAULT: 4"));
        } else {
            QVERIFY(ticketRow(m_ctx->db(), QStringLiteral("7"))
                        .contains(QStringLiteral("UPDATE: checking")));
        }
    }

    // A contact column with two mailboxes reaches both; a mailbox the
    // server refuses costs only itself, and the operator is told which.
    void aMailboxThatCannotTakeTheMailIsNamed_data() {
        QTest::addColumn<bool>("opening");
        QTest::addRow("opening") << true;
        QTest::addRow("update") << false;
    }
    void aMailboxThatCannotTakeTheMailIsNamed() {
        QFETCH(bool, opening);
        m_ctx->db().exec(QStringLiteral("UPDATE ssa SET SDE_BB_EMAIL='sde1@vuva.in, sde2@vuva.in' "
                                        "WHERE ssa='KOCHI'"));
        m_services->smtp.refuseRecipient(QStringLiteral("sde.tx@vuva.in"));
        selectEdappally();
        dialogs().answer(true);
        if (opening)
            support::click(form(), QStringLiteral("Command1"));
        else
            update(QStringLiteral("7"), QStringLiteral("checking"));
        const auto& mails = m_services->smtp.mails();
        QCOMPARE(mails.size(), 1);
        QCOMPARE(
            mails[0].recipients,
            support::strings({"sde1@vuva.in", "sde2@vuva.in", "head@zel.in", "gm@vuva.in",
                              "noc1@zel.in", "ops@zel.in", opening ? "mgr@zel.in" : "cto@zel.in"}));
        QCOMPARE(mails[0].header("To"),
                 QStringLiteral("sde1@vuva.in, sde2@vuva.in, sde.tx@vuva.in, head@zel.in"));
        QCOMPARE(dialogs().shown().last(),
                 (support::ScriptedDialogs::Shown{
                     QStringLiteral("NOTICES NOT SENT:\nMAIL sde.tx@vuva.in: refused by the mail "
                                    "server: 550 5.1.1 Mailbox unavailable"),
                     QStringLiteral("ZEL NOC"), ui::Icon::Exclamation, false}));
    }

    // Two desks looked up one ticket; the second to write finds the first's
    // entry stored, writes nothing, sends nothing, shows the stored history
    // and keeps its own entry to submit again. A close is held the same way.
    void anotherDesksEntryIsNeverWrittenOver() {
        faults::SiteFaultForm other(m_ctx->app());
        const auto stored = [&] {
            return ticketRow(m_ctx->db(), QStringLiteral("7")).section(u'|', 0, 0);
        };
        lookUp(QStringLiteral("7"));
        support::type(&other, QStringLiteral("Text1"), QStringLiteral("7"));
        support::leave(&other, QStringLiteral("Text1"));

        dialogs().answer(false);
        update(QStringLiteral("7"), QStringLiteral("power back"));
        dialogs().clear();
        const int noticesBefore = m_services->noticesSent();
        support::type(&other, QStringLiteral("Text2"), QStringLiteral("fibre spliced"));
        support::click(&other, QStringLiteral("Command2"));
        const support::ScriptedDialogs::Shown changed{
            QStringLiteral("FT 7 WAS CHANGED ON ANOTHER DESK: LOOKED UP AGAIN"),
            QStringLiteral("ZEL NOC"), ui::Icon::Exclamation, false};
        QCOMPARE(dialogs().shown(), QList<support::ScriptedDialogs::Shown>{changed});
        QCOMPARE(m_services->noticesSent(), noticesBefore);
        QCOMPARE(stored().count(QStringLiteral("power back")), 1);
        QVERIFY(!stored().contains(QStringLiteral("fibre spliced")));
        QCOMPARE(fixture::historyOf(&other),
                 QString(stored()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        QCOMPARE(textOf(&other, QStringLiteral("Text2")), QStringLiteral("fibre spliced"));

        // Submitted again, it goes after the other desk's entry.
        dialogs().answer(false);
        support::click(&other, QStringLiteral("Command2"));
        QVERIFY(stored().indexOf(QStringLiteral("power back")) <
                stored().indexOf(QStringLiteral("fibre spliced")));

        // This desk's copy is now the stale one: its close writes nothing.
        dialogs().clear();
        dialogs().answer(true);
        support::type(form(), QStringLiteral("Text2"), QStringLiteral("all clear"));
        support::click(form(), QStringLiteral("Command4"));
        QCOMPARE(dialogs().shown().last().text,
                 QStringLiteral("FT 7 WAS CHANGED ON ANOTHER DESK: LOOKED UP AGAIN"));
        QCOMPARE(ticketRow(m_ctx->db(), QStringLiteral("7")).section(u'|', 4, 4),
                 QStringLiteral("OPEN"));
        QCOMPARE(fixture::historyOf(form()),
                 QString(stored()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        dialogs().answer(true);
        support::click(form(), QStringLiteral("Command4"));
        QCOMPARE(ticketRow(m_ctx->db(), QStringLiteral("7")).section(u'|', 4, 4),
                 QStringLiteral("CLOSED"));
        QCOMPARE(stored().count(QStringLiteral("all clear")), 1);
    }

    // After a lookup the update's notices follow the ticket, not the lists
    // the operator has turned since.
    void updateNoticesFollowTheTicketLookedUp() {
        lookUp(QStringLiteral("8"));
        choose(form(), QStringLiteral("Combo1"), QStringLiteral("PUNJAB"));
        choose(form(), QStringLiteral("Combo2"), QStringLiteral("AMRITSAR"));
        dialogs().answer(true);
        support::type(form(), QStringLiteral("Text2"), QStringLiteral("power back"));
        support::click(form(), QStringLiteral("Command2"));
        const QString text = QStringLiteral(
            "message=Fault%20updated%20by%20zel%20NOC%20for%20TRIVANDRUM%20KOVALAM%20update%20power"
            "%20back");
        QCOMPARE(m_services->smsQueries(),
                 (QStringList{QStringLiteral("sendto=%209800000011&") + text,
                              QStringLiteral("sendto=%209800000005&") + text}));
        const auto& mails = m_services->smtp.mails();
        QCOMPARE(mails.size(), 1);
        QCOMPARE(mails[0].header("Subject"),
                 QStringLiteral("ZEL##KERALA##TRIVANDRUM##KOVALAM##8##UPDATE"));
        QCOMPARE(mails[0].recipients,
                 support::strings({"head@zel.in", "noc1@zel.in", "ops@zel.in", "cto@zel.in"}));
    }

    void aRefusedFaultMailIsReportedOnOpening() {
        m_services->smtp.refuse("RCPT");
        selectEdappally();
        dialogs().answer(true);
        support::click(form(), QStringLiteral("Command1"));
        const QStringList texts = dialogs().texts();
        QCOMPARE(texts.size(), 3);
        QCOMPARE(texts[0], QStringLiteral("Fault Submitted Successfully with FT No10"));
        QVERIFY2(texts[2].startsWith(QStringLiteral("FAULT MAIL NOT SENT: ")),
                 qPrintable(texts[2]));
        QCOMPARE(dialogs().shown()[2].title, QStringLiteral("ZEL NOC"));
        // The other channels still went, and the grid still shows the new ticket.
        QCOMPARE(m_services->sms.requests().size(), 5);
        QCOMPARE(textOf(form(), QStringLiteral("Label9")), QStringLiteral("OPEN FAULT: 4"));
    }

    // The silent server holds the update at the wait limit; the screen stays
    // live and its ticket buttons stay off until every notice is through.
    void aSilentMailServerEndsAtTheWaitLimit() {
        m_services->smtp.setSilent(true);
        selectEdappally();
        dialogs().answer(true);
        QList<bool> enabledDuringWait;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, &probe, [&] {
            if (!m_services->sms.requests().isEmpty())
                enabledDuringWait
                    << support::find<QPushButton>(form(), QStringLiteral("Command1"))->isEnabled();
        });
        probe.start(100);
        const support::EventLoopTicks ticks;
        QElapsedTimer clock;
        clock.start();
        update(QStringLiteral("7"), QStringLiteral("checking"));
        probe.stop();
        QVERIFY(clock.elapsed() >= 1500);
        QVERIFY(ticks.count() >= 10);
        QVERIFY(!enabledDuringWait.isEmpty());
        QVERIFY(!enabledDuringWait.contains(true));
        for (const char* button : {"Command1", "Command2", "Command4"})
            QVERIFY(support::find<QPushButton>(form(), QString::fromLatin1(button))->isEnabled());
        QCOMPARE(m_services->whatsApp.requests().size(), 5);
        QVERIFY2(dialogs().last().startsWith(QStringLiteral("NOTICES NOT SENT:\nMAIL: ")),
                 qPrintable(dialogs().last()));
        QCOMPARE(dialogs().shown().last().title, QStringLiteral("ZEL NOC"));
    }

    // Closing the screen while an update's notices go out waits for the last
    // notice; the people are all told, and then the screen goes.
    void closingDuringTheNoticesWaitsForThem() {
        m_form.release()->deleteLater();
        QPointer<faults::SiteFaultForm> screen = new faults::SiteFaultForm(m_ctx->app());
        screen->setAttribute(Qt::WA_DeleteOnClose);
        screen->show();
        m_services->sms.setDelay(150);
        bool closeAsked = false;
        bool stayedOpen = false;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, &closer, [&] {
            if (!closeAsked && screen && !m_services->sms.requests().isEmpty()) {
                closeAsked = true;
                screen->close();
                stayedOpen = screen && screen->isVisible();
            }
        });
        closer.start(20);
        dialogs().answer(true);
        support::type(screen, QStringLiteral("Text1"), QStringLiteral("7"));
        support::leave(screen, QStringLiteral("Text1"));
        support::type(screen, QStringLiteral("Text2"), QStringLiteral("closing soon"));
        support::click(screen, QStringLiteral("Command2"));
        closer.stop();
        QVERIFY(closeAsked);
        QVERIFY(stayedOpen);
        QCOMPARE(m_services->sms.requests().size(), 5);
        QCOMPARE(m_services->smtp.mails().size(), 1);
        QTRY_VERIFY(!screen);
    }

    // A desk without the notice accounts still records its faults.
    void channelsNotSetUpAreNamedOnceEach() {
        m_form.reset();
        m_ctx = std::make_unique<support::TestContext>();
        fixture::addDesk(m_ctx->db());
        m_form = std::make_unique<faults::SiteFaultForm>(m_ctx->app());
        selectEdappally();
        dialogs().answer(true);
        support::click(form(), QStringLiteral("Command1"));
        QCOMPARE(
            dialogs().texts(),
            support::strings({"Fault Submitted Successfully with FT No10", "SEND REMINDER TO VUVA",
                              "FAULT MAIL NOT SENT: Missing setting [mail] smtp_url in test.ini",
                              "NOTICES NOT SENT:\nSMS: Missing setting [services] sms_gateway "
                              "in test.ini\nWHATSAPP: Missing setting [services] message_api "
                              "in test.ini"}));
        QCOMPARE(textOf(form(), QStringLiteral("Label9")), QStringLiteral("OPEN FAULT: 4"));
    }

    // A gateway that lets the first SMS wait out the limit is not asked for
    // the other four: the operator waits one limit, not five, and the rest
    // of the notices still go.
    void aHungGatewayIsAskedOnce() {
        m_services->sms.setDelay(6000);
        selectEdappally();
        dialogs().answer(true);
        update(QStringLiteral("7"), QStringLiteral("checking"));
        QCOMPARE(m_services->sms.requests().size(), 1);
        QCOMPARE(m_services->whatsApp.requests().size(), 5);
        QCOMPARE(m_services->smtp.mails().size(), 1);
        const QStringList lines = dialogs().last().split(u'\n');
        QCOMPARE(lines.first(), QStringLiteral("NOTICES NOT SENT:"));
        QCOMPARE(lines.size(), 6);
        QVERIFY2(lines[1].contains(QStringLiteral("within 2 s")), qPrintable(lines[1]));
        for (const QString& line : lines.mid(2))
            QVERIFY2(line.endsWith(QStringLiteral(
                         ": not sent: the SMS service gave no answer to an earlier notice")),
                     qPrintable(line));
    }

    void unreachableChannelsAreListedOnce() {
        m_ctx.reset();
        m_form.reset();
        QHash<QString, QString> config = m_services->config();
        // Nobody listens on port 1.
        config.insert(QStringLiteral("services/sms_gateway"), QStringLiteral("127.0.0.1:1"));
        m_ctx = std::make_unique<support::TestContext>(config);
        fixture::addDesk(m_ctx->db());
        m_form = std::make_unique<faults::SiteFaultForm>(m_ctx->app());
        dialogs().answer(false);
        // TRIVANDRUM's SSA row has no VUVA contacts at all.
        choose(form(), QStringLiteral("Combo1"), QStringLiteral("KERALA"));
        update(QStringLiteral("8"), QStringLiteral("x"));
        const QStringList lines = dialogs().last().split(u'\n');
        QCOMPARE(lines.first(), QStringLiteral("NOTICES NOT SENT:"));
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[1].startsWith(QStringLiteral("SMS  9800000011: ")));
        QVERIFY(lines[2].startsWith(QStringLiteral("SMS  9800000005: ")));
        QCOMPARE(m_services->whatsApp.requests().size(), 2);
        QCOMPARE(m_services->smtp.mails().size(), 1);
    }
};

QTEST_MAIN(TestFaultTickets)
#include "tst_fault_tickets.moc"
