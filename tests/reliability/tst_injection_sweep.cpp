// Hostile texts typed into every box of a screen that reaches a save: each is
// stored exactly as typed (or as the screen's own trimming leaves it), no
// statement fails, no other row changes and every table is still there. A run
// with plain texts in the same boxes is the reference: the two databases,
// with the values masked, must be the same, and so must the messages.

#include "app/login_form.h"
#include "complaints/complaint_register_form.h"
#include "complaints/register_fixture.h"
#include "faults/fault_fixture.h"
#include "faults/fault_rules.h"
#include "onu/onu_rules.h"
#include "reliability/sweep_scenes.h"
#include "support/db_snapshot.h"
#include "support/http_server.h"
#include "support/injection_sweep.h"
#include "support/smtp_server.h"
#include "support/test_certificate.h"
#include "support/test_context.h"
#include "support/widgets.h"

#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QUrlQuery>
#include <functional>
#include <memory>

using support::choose;
using support::click;
using support::type;

namespace {

using namespace sweep;

// One save of one screen.
struct Sweep {
    const char* name;
    std::function<void(Scene&)> setUp; // fixture, screen and the plain entries a save needs
    QStringList swept;                 // the boxes whose text the save stores
    // The boxes the walk finds that this save does not store: keys that name
    // the row, numbers the screen validates first, other actions' boxes.
    QStringList notSwept;
    std::function<void(Scene&)> save;
    // What the screen makes of a typed text before storing it.
    std::function<QString(const QString&)> rule = [](const QString& t) { return t; };
};

struct Outcome {
    QStringList rows;
    QStringList messages;
};

const QString plainText = QStringLiteral("Zq7plain");
// What support::masked() puts in place of a value.
const QString mark = QStringLiteral("\u00abvalue\u00bb");

Outcome runWith(const Sweep& sweep, const QString& text, QStringList* walked = nullptr) {
    Scene s;
    sweep.setUp(s);
    QWidget* f = s.form.get();
    if (walked)
        *walked = support::textInputs(f);
    QStringList forms;
    for (const QString& box : sweep.swept) {
        const QString held = support::enterText(f, box, text);
        forms << held << sweep.rule(held);
    }
    s.ctx->dialogs().clear();
    sweep.save(s);
    Outcome out{support::snapshot(s.ctx->db()) + support::snapshotSecondary(s.ctx->db()),
                s.ctx->dialogs().texts()};
    forms << plainText;
    out.rows = support::masked(out.rows, forms);
    out.messages = support::masked(out.messages, forms);
    s.ctx->screens().closeAll();
    s.form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return out;
}

QStringList names(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* n : list)
        out << QString::fromLatin1(n);
    return out;
}

const QList<Sweep>& sweeps() {
    static const QList<Sweep> all{
        {"customer registration", registrationScene,
         names({"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8", "Text9",
                "Text10", "Combo1", "Combo2", "Combo3"}),
         // The site and the inner VLAN name the pool row the registration takes.
         names({"Combo4", "Combo6", "Combo7"}), clickOn("Command1")},
        {"complaint submit", [](Scene& s) { complaintScene(s, false); },
         names({"Text2", "Text8", "Text12", "Text13", "Text18", "Text20", "Combo1", "Combo4",
                "Combo5"}),
         // Text1 names the subscriber, Text4 is a number checked first, Text6
         // must stay empty; the rest belong to other actions.
         names({"Text1", "Text3", "Text4", "Text5", "Text6", "Text7", "Text9", "Text14", "Text15",
                "Text16", "Text17", "Text19", "Text21", "Text10", "Combo2", "Combo3", "Combo6",
                "Combo7"}),
         clickOn("Command1")},
        {"complaint update", [](Scene& s) { complaintScene(s, true); }, names({"Text10", "Combo2"}),
         names({"Text1",  "Text2",  "Text3",  "Text4",  "Text5",  "Text6",  "Text7",
                "Text8",  "Text9",  "Text12", "Text13", "Text14", "Text15", "Text16",
                "Text17", "Text18", "Text19", "Text20", "Text21", "Combo1", "Combo3",
                "Combo4", "Combo5", "Combo6", "Combo7"}),
         clickOn("Command2")},
        {"subscriber save", [](Scene& s) { complaintScene(s, false); },
         names({"Text2", "Text8", "Text16", "Text17", "Text18", "Combo6"}),
         names({"Text1",  "Text3",  "Text4",  "Text5",  "Text6",  "Text7",  "Text9",
                "Text10", "Text12", "Text13", "Text14", "Text15", "Text19", "Text20",
                "Text21", "Combo1", "Combo2", "Combo3", "Combo4", "Combo5", "Combo7"}),
         clickOn("Command5")},
        {"outage close", outageScene, names({"Combo1", "Combo2"}),
         // The outage number and the filters and period of the lists.
         names({"Text1", "Text2", "Text3", "Combo3", "Combo4", "Combo5", "Combo6"}),
         clickOn("Command1")},
        {"engineer add", engineerScene, names({"Text1", "Text2", "Text3"}), names({"Combo1"}),
         clickOn("Command1")},
        {"circle contacts", [](Scene& s) { contactsScene(s, true); },
         names({"Text2", "Text3", "Text4", "Text5", "Text6", "Text7"}), names({"Text1"}),
         clickOn("Command1", 1)},
        {"SSA contacts", [](Scene& s) { contactsScene(s, false); },
         names({"Text3", "Text4", "Text5", "Text6", "Text7", "Text8", "Text9", "Text10"}),
         names({"Text1", "Text2"}), clickOn("Command1", 1)},
        {"equipment details", equipmentScene,
         names({"Combo2", "Text2", "Text3", "Text4", "Text5", "Text6", "Combo5", "Combo6", "Combo7",
                "Combo8", "Combo9"}),
         // The tunnel id names the row; circle, BNG and IP pick a free one.
         names({"Text1", "Combo1", "Combo3", "Combo4"}), clickOn("Command1", 1)},
        {"password change", passwordScene, names({"Text3", "Text4"}),
         // The operator's id and the old password find the row.
         names({"Text1", "Text2"}), clickOn("Command1")},
        {"inner VLAN assignment", innerVlanScene, names({"Text1", "Text2"}),
         // Circle, SSA, service, site and inner VLAN pick the pool row; the
         // router script box is written by the screen.
         names({"Combo1", "Combo2", "Combo3", "Combo4", "Combo5", "Text3"}), clickOn("Command1")},
        {"ticket close", ticketCloseScene, names({"Text2", "Text3"}),
         // The FT number names the ticket; the selections are the opening's.
         names({"Text1", "Combo1", "Combo2", "Combo3", "Combo4", "Combo5"}), clickOn("Command4", 1),
         // The history box's lines are stored with CR LF ends.
         [](const QString& t) { return QString(t).replace(u'\n', QStringLiteral("\r\n")); }},
        {"voice IP assignment", voiceIpScene, names({"Text1"}),
         // The address names the pool row; the others filter the list.
         names({"Combo1", "Combo2", "Combo3", "Combo4"}), clickOn("Command1")},
        {"subscriber voice IP", [](Scene& s) { complaintScene(s, false); }, names({"Text20"}),
         names({"Text1",  "Text2",  "Text3",  "Text4",  "Text5",  "Text6",  "Text7",
                "Text8",  "Text9",  "Text10", "Text12", "Text13", "Text14", "Text15",
                "Text16", "Text17", "Text18", "Text19", "Text21", "Combo1", "Combo2",
                "Combo3", "Combo4", "Combo5", "Combo6", "Combo7"}),
         clickOn("Command10")},
        {"ticket open", ticketOpenScene, names({"Combo1", "Combo2", "Combo3", "Combo4", "Combo5"}),
         names({"Text1", "Text2", "Text3"}), clickOn("Command1", 1)},
        {"ONU voice details", onuScene, names({"Text4", "Text5", "Text6", "Text7"}),
         // Text1 names the subscriber; the rest are other actions' boxes.
         names({"Text1", "Text2", "Text3", "Text8", "Text9", "Text10", "Combo1"}),
         clickOn("Command5")},
        {"ONU wifi details", onuScene, names({"Text8"}),
         // The password is checked for its length first.
         names({"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text9", "Text10",
                "Combo1"}),
         clickOn("Command8"), onu::wifiNameForOnu},
        {"ONU MAC on two databases", onuScene, names({"Text10"}),
         names({"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8", "Text9",
                "Combo1"}),
         clickOn("Command14")},
    };
    return all;
}

// What a ticket update stored and sent, the update text masked.
struct Sent {
    Outcome stored;
    QStringList smsTexts;   // the message of each SMS, decoded
    QStringList smsTargets; // every sendto of each SMS, joined
    QStringList whatsAppTexts;
    QStringList mailBodies;
};

Sent updateTicketWith(const QString& text, QString* held) {
    fixture::NoticeServices services;
    Scene s;
    s.ctx = std::make_unique<support::TestContext>(services.config());
    fixture::addDesk(s.ctx->db());
    s.ctx->clock().set(QDateTime(QDate(2021, 12, 4), QTime(10, 0)));
    s.form = std::make_unique<faults::SiteFaultForm>(s.ctx->app());
    QWidget* f = s.form.get();
    choose(f, QStringLiteral("Combo1"), QStringLiteral("KERALA"));
    choose(f, QStringLiteral("Combo2"), QStringLiteral("KOCHI"));
    choose(f, QStringLiteral("Combo3"), QStringLiteral("EDAPPALLY"));
    choose(f, QStringLiteral("Combo4"), QStringLiteral("EDAPPALLY"));
    choose(f, QStringLiteral("Combo5"), QStringLiteral("SITE DOWN"));
    type(f, QStringLiteral("Text1"), QStringLiteral("7"));
    support::leave(f, QStringLiteral("Text1"));
    *held = support::enterText(f, QStringLiteral("Text2"), text);
    s.ctx->dialogs().clear();
    s.ctx->dialogs().answer(true);
    click(f, QStringLiteral("Command2"));
    Sent sent;
    sent.stored = {support::snapshot(s.ctx->db()), s.ctx->dialogs().texts()};
    for (const auto& r : services.sms.requests()) {
        const QUrlQuery query(r.url);
        sent.smsTexts << query.queryItemValue(QStringLiteral("message"), QUrl::FullyDecoded);
        sent.smsTargets << query.allQueryItemValues(QStringLiteral("sendto")).join(u',');
    }
    for (const auto& r : services.whatsApp.requests())
        sent.whatsAppTexts
            << QJsonDocument::fromJson(r.body).object().value(QStringLiteral("body")).toString();
    for (const auto& mail : services.smtp.mails())
        sent.mailBodies << mail.body();
    const QStringList forms{*held, plainText};
    sent.stored.rows = support::masked(sent.stored.rows, forms);
    sent.stored.messages = support::masked(sent.stored.messages, forms);
    s.form.reset();
    return sent;
}

} // namespace

class TestInjectionSweep : public QObject {
    Q_OBJECT

private slots:
    void hostileTextsAreStoredAsTyped_data() {
        QTest::addColumn<int>("sweep");
        QTest::addColumn<QString>("text");
        for (int i = 0; i < sweeps().size(); ++i)
            for (const auto& v : support::hostileValues())
                QTest::addRow("%s: %s", sweeps().at(i).name, v.name) << i << v.text;
    }
    void hostileTextsAreStoredAsTyped() {
        QFETCH(int, sweep);
        QFETCH(QString, text);
        const Sweep& s = sweeps().at(sweep);
        // The plain run is the same for every hostile text of a save.
        static QHash<int, Outcome> references;
        if (!references.contains(sweep)) {
            QStringList walked;
            references.insert(sweep, runWith(s, plainText, &walked));
            // Every box the walk finds is either swept or set aside on purpose.
            QStringList declared = s.swept + s.notSwept;
            declared.sort();
            QCOMPARE(walked, declared);
        }
        // The plain run stored its texts, so the comparison below means something.
        QVERIFY(references.value(sweep).rows.join(u'\n').contains(mark));
        const Outcome& reference = references.value(sweep);
        const Outcome hostile = runWith(s, text);
        QCOMPARE(hostile.messages, reference.messages);
        const support::SnapshotChange change = support::changeBetween(reference.rows, hostile.rows);
        QVERIFY2(change.none(), qPrintable(change.described()));
    }

    // An operator id and password made of hostile text sign in as typed, and
    // only that operator's row is bound to the workstation.
    void aHostileAccountSignsInAsTyped_data() {
        QTest::addColumn<QString>("text");
        for (const auto& v : support::hostileValues())
            QTest::addRow("%s", v.name) << v.text;
    }
    void aHostileAccountSignsInAsTyped() {
        QFETCH(QString, text);
        support::TestContext ctx;
        ctx.db().exec(
            QStringLiteral("insert into CRM (NAME, CRM_ID, STATUS, PASSWORD, crm_ip, MAC) values "
                           "('Asha', ?, 'INACTIVE', ?, '', 'NA'), "
                           "('Ravi', 'ravi', 'INACTIVE', 'ravi@123', '', 'NA')"),
            {text, text});
        app::LoginForm form(ctx.app());
        form.show();
        const QString id = support::enterText(&form, QStringLiteral("Text1"), text);
        const QString password = support::enterText(&form, QStringLiteral("Text2"), text);
        ctx.db().exec(QStringLiteral("update CRM set CRM_ID=?, PASSWORD=? where NAME='Asha'"),
                      {id, password});
        click(&form, QStringLiteral("Command1"));
        QCOMPARE(ctx.dialogs().texts(),
                 QStringList{QStringLiteral("WELCOME Asha TO ZEL CRM PORTAL")});
        QCOMPARE(
            ctx.db().rows(QStringLiteral("select NAME, CRM_ID, STATUS, MAC from CRM order by "
                                         "NAME")),
            (QStringList{QStringLiteral("Asha|") + id + QStringLiteral("|ACTIVE|02:AB:CD:00:00:01"),
                         QStringLiteral("Ravi|ravi|INACTIVE|NA")}));
    }

    // The closing notice carries the mobile box in the portal's address: each
    // text arrives as typed, in its own query item, next to the complaint number.
    void aHostileMobileReachesTheClosingNoticeAsTyped_data() {
        QTest::addColumn<QString>("text");
        for (const auto& v : support::hostileValues())
            QTest::addRow("%s", v.name) << v.text;
    }
    void aHostileMobileReachesTheClosingNoticeAsTyped() {
        QFETCH(QString, text);
        support::LocalHttpServer portal;
        Scene s;
        s.ctx = std::make_unique<support::TestContext>(
            QHash<QString, QString>{{QStringLiteral("services/portal_server"), portal.hostPort()}});
        s.ctx->session().setSignedInUser(QStringLiteral("NOC1"));
        fixture::network(s.ctx->db());
        fixture::subscriber(s.ctx->db());
        fixture::openComplaint(s.ctx->db());
        s.form = std::make_unique<complaints::ComplaintRegisterForm>(s.ctx->app());
        QWidget* f = s.form.get();
        type(f, QStringLiteral("Text6"), QStringLiteral("7"));
        support::leave(f, QStringLiteral("Text6"));
        const QString held = support::enterText(f, QStringLiteral("Text9"), text);
        click(f, QStringLiteral("Command3"));
        QCOMPARE(s.ctx->dialogs().texts(), QStringList{QStringLiteral("CLOSED SUCCESSFULLY")});
        QVERIFY(portal.waitForRequests(1));
        const QUrlQuery query(portal.requests().first().url);
        QCOMPARE(query.allQueryItemValues(QStringLiteral("mobile"), QUrl::FullyDecoded),
                 QStringList{held});
        QCOMPARE(query.allQueryItemValues(QStringLiteral("cn")), QStringList{QStringLiteral("7")});
    }

    // A ticket update carries its text into the database, an SMS address, a
    // JSON body and an HTML mail; each gets it exactly, in its own encoding.
    void aHostileUpdateReachesEveryChannelAsTyped_data() {
        QTest::addColumn<QString>("text");
        for (const auto& v : support::hostileValues())
            QTest::addRow("%s", v.name) << v.text;
    }
    void aHostileUpdateReachesEveryChannelAsTyped() {
        QFETCH(QString, text);
        static QString plainHeld;
        static const Sent reference = updateTicketWith(plainText, &plainHeld);
        QString held;
        const Sent sent = updateTicketWith(text, &held);
        QCOMPARE(sent.stored.messages, reference.stored.messages);
        const auto change = support::changeBetween(reference.stored.rows, sent.stored.rows);
        QVERIFY2(change.none(), qPrintable(change.described()));

        const QString message =
            faults::updateMessage(QStringLiteral("KOCHI"), QStringLiteral("EDAPPALLY"), held);
        QVERIFY(reference.stored.rows.join(u'\n').contains(mark));
        QVERIFY(!reference.smsTexts.isEmpty());
        QCOMPARE(sent.smsTargets, reference.smsTargets);
        QCOMPARE(sent.smsTexts, QStringList(reference.smsTexts.size(), message));
        QVERIFY(!reference.whatsAppTexts.isEmpty());
        QCOMPARE(sent.whatsAppTexts, QStringList(reference.whatsAppTexts.size(), message));
        QCOMPARE(sent.mailBodies.size(), reference.mailBodies.size());
        for (const QString& body : sent.mailBodies)
            QVERIFY2(body.contains(QStringLiteral("<BR>UPDATE : ") + held.toHtmlEscaped() +
                                   QStringLiteral("<BR>DOWN TIME")),
                     qPrintable(body.left(600)));
    }
};

QTEST_MAIN(TestInjectionSweep)
#include "tst_injection_sweep.moc"
