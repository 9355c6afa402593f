// Hostile texts typed into the boxes that name a row: the lookups, and the
// saves that find their row by a typed key. The fixture's row is given the
// typed key first (in every table that refers to it), so a lookup must find
// exactly that row and a save must change exactly that row: the run with a
// hostile key, its key masked, must show, store and say what a run with a
// plain key does. Number keys (ticket, outage and complaint numbers) name no
// row a text could match: a hostile one must behave as an unknown number.

#include "complaints/open_complaint_board_form.h"
#include "complaints/register_fixture.h"
#include "onu/onu_rules.h"
#include "reliability/sweep_scenes.h"
#include "support/db_snapshot.h"
#include "support/injection_sweep.h"
#include "support/widgets.h"
#include "ui/query_grid.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

using namespace sweep;

namespace {

using Rule = std::function<QString(const QString&)>;

QString asTyped(const QString& t) {
    return t;
}

QString trimmed(const QString& t) {
    return t.trimmed();
}

// A box that names a row, and the key the fixture's row has (empty: a
// number no text can match).
struct Key {
    const char* box;
    const char* fixtureKey;
    // What the screen looks up for a typed key.
    Rule rule = asTyped;
};

// One lookup or keyed save of one screen.
struct KeySweep {
    const char* name;
    std::function<void(Scene&)> setUp;
    QList<Key> keys;
    std::function<void(Scene&)> act;
    // Hostile values the screen's rule keeps from naming any row.
    QStringList unfindable = {};
};

struct Outcome {
    QStringList rows;
    QStringList messages;
    QStringList screen;
    bool operator==(const Outcome&) const = default;
};

// What the screen shows: every named box, list box, label and grid cell.
QStringList screenTexts(QWidget* root) {
    QStringList out;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        const QString name = w->objectName();
        if (name.isEmpty() || qobject_cast<QComboBox*>(w->parentWidget()))
            continue;
        if (auto* grid = qobject_cast<ui::QueryGrid*>(w)) {
            const db::GridModel& model = grid->gridModel();
            for (int row = 0; row < model.rowCount(); ++row)
                for (int column = 0; column < model.columnCount(); ++column)
                    out << name + u'|' + model.cell(row, column);
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(w)) {
            out << name + u'|' + text->toPlainText();
        } else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                   qobject_cast<QLabel*>(w)) {
            out << name + u'|' + support::textOf(root, name);
        }
    }
    out.sort();
    return out;
}

// Plain keys: distinct texts no fixture holds.
QString plainKey(qsizetype i) {
    return QStringLiteral("Zq7plain") + QChar(char16_t(u'A' + i));
}

enum class Typed { Plain, Unknown, Hostile };

// Runs the sweep with its keys typed as plain texts the rows are given, as
// plain texts no row has, or as the hostile text the rows are given.
Outcome runWith(const KeySweep& sweep, Typed typed, const QString& hostile = {}) {
    Scene s;
    sweep.setUp(s);
    QWidget* f = s.form.get();
    QStringList forms;
    for (qsizetype i = 0; i < sweep.keys.size(); ++i) {
        const Key& key = sweep.keys.at(i);
        const QString held = support::enterText(f, QString::fromLatin1(key.box),
                                                typed == Typed::Hostile ? hostile : plainKey(i));
        const QString looked = key.rule(held);
        if (typed != Typed::Unknown && *key.fixtureKey)
            support::replaceValue(s.ctx->db(), QString::fromUtf8(key.fixtureKey), looked);
        // A found row's key may be shown trimmed.
        forms << held << looked << looked.trimmed();
    }
    s.ctx->dialogs().clear();
    sweep.act(s);
    Outcome out{support::snapshot(s.ctx->db()) + support::snapshotSecondary(s.ctx->db()),
                s.ctx->dialogs().texts(), screenTexts(f)};
    out.rows = support::masked(out.rows, forms);
    out.messages = support::masked(out.messages, forms);
    out.screen = support::masked(out.screen, forms);
    s.ctx->screens().closeAll();
    s.form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return out;
}

std::function<void(Scene&)> leave(const char* box) {
    return [box](Scene& s) { support::leave(s.form.get(), QString::fromLatin1(box)); };
}

// --- scenes only the keyed actions need -------------------------------------------

void complaintBoardScene(Scene& s) {
    s.ctx = std::make_unique<support::TestContext>();
    fixture::network(s.ctx->db());
    fixture::subscriber(s.ctx->db());
    fixture::openComplaint(s.ctx->db());
    s.form = std::make_unique<complaints::OpenComplaintBoardForm>(s.ctx->app());
}

// A subscriber holding a pair of the pool, with the indicator the router
// script names the router by.
void heldPairScene(Scene& s) {
    innerVlanScene(s);
    s.ctx->db().exec(QStringLiteral(
        "insert into OLT (circle, SSA, SITE, SERVICE, OUT_VLAN, IN_VLAN, ID, MAC, SN) values "
        "('MAHARASHTRA', 'PUNE', 'OLT-KOTHRUD', 'FTTH', '101', '513', 'mh0000009', "
        "'AA:00:00:00:00:09', 'SN-C')"));
    s.ctx->db().exec(
        QStringLiteral("insert into cdata (ID, indicator) values ('mh0000009', 'PUN-42')"));
}

// Every box of the registration filled, and a customer already holding the
// user name the operator types.
void duplicateRegistrationScene(Scene& s) {
    registrationScene(s);
    for (const char* box : {"Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8", "Text9",
                            "Text10", "Combo1", "Combo2", "Combo3"})
        support::enterText(s.form.get(), QString::fromLatin1(box), QStringLiteral("Zq7plain"));
    s.ctx->db().exec(QStringLiteral("insert into cdata (ID) values ('kx0000002')"));
}

const QList<KeySweep>& keySweeps() {
    static const QList<KeySweep> all{
        {"complaint register: subscriber search",
         [](Scene& s) { complaintScene(s, false); },
         {{"Text1", "kl0000001"}},
         clickOn("Command8")},
        {"complaint register: complaint number",
         [](Scene& s) { complaintScene(s, true); },
         {{"Text6", ""}},
         leave("Text6")},
        {"complaint board: subscriber lookup",
         complaintBoardScene,
         {{"Text2", "kl0000001"}},
         leave("Text2")},
        {"complaint board: complaint number", complaintBoardScene, {{"Text1", ""}}, leave("Text1")},
        {"SLA board: outage number", outageScene, {{"Text1", ""}}, leave("Text1")},
        {"fault desk: FT number", ticketOpenScene, {{"Text1", ""}}, leave("Text1")},
        {"ONU: search", onuScene, {{"Text1", "kl0000001", onu::normaliseKey}}, clickOn("Command1")},
        {"ONU: voice details", onuScene, {{"Text1", "kl0000001"}}, clickOn("Command5")},
        {"ONU: MAC on two databases", onuScene, {{"Text1", "kl0000001"}}, clickOn("Command14")},
        {"inner VLAN: search", heldPairScene, {{"Text1", "mh0000009"}}, clickOn("Command2")},
        {"inner VLAN: MAC update", heldPairScene, {{"Text1", "mh0000009"}}, clickOn("Command3")},
        {"inner VLAN: release", heldPairScene, {{"Text1", "mh0000009"}}, clickOn("Command4", 1)},
        // The search compares the stored names trimmed with the name as
        // typed, so a name typed with blanks around finds none.
        {"engineer: search",
         engineerScene,
         {{"Text1", "Anil"}},
         clickOn("Command3"),
         {QStringLiteral("blanks around")}},
        {"engineer: phone update", engineerScene, {{"Text1", "Anil"}}, clickOn("Command2")},
        {"circle contacts: save",
         [](Scene& s) { contactsScene(s, true); },
         {{"Text1", "KERALA"}},
         clickOn("Command1", 1)},
        {"SSA contacts: save",
         [](Scene& s) { contactsScene(s, false); },
         {{"Text1", "KERALA"}, {"Text2", "KOCHI"}},
         clickOn("Command1", 1)},
        {"equipment details: save", equipmentScene, {{"Text1", "1234"}}, clickOn("Command1", 1)},
        // The old password is compared with the stored one trimmed.
        {"password change",
         passwordScene,
         {{"Text1", "9876500001"}, {"Text2", "asha@123", trimmed}},
         clickOn("Command1")},
        {"registration: user name taken",
         duplicateRegistrationScene,
         {{"Text1", "kx0000002"}},
         clickOn("Command1")},
    };
    return all;
}

} // namespace

class TestKeySweep : public QObject {
    Q_OBJECT

private slots:
    void hostileKeysNameExactlyTheirRow_data() {
        QTest::addColumn<int>("sweep");
        QTest::addColumn<QString>("text");
        for (int i = 0; i < keySweeps().size(); ++i)
            for (const auto& v : support::hostileValues())
                if (!keySweeps().at(i).unfindable.contains(QString::fromLatin1(v.name)))
                    QTest::addRow("%s: %s", keySweeps().at(i).name, v.name) << i << v.text;
    }
    void hostileKeysNameExactlyTheirRow() {
        QFETCH(int, sweep);
        QFETCH(QString, text);
        const KeySweep& k = keySweeps().at(sweep);
        static QHash<int, Outcome> references;
        if (!references.contains(sweep)) {
            const Outcome plain = runWith(k, Typed::Plain);
            // A key the rows do not have must make a difference, or the run
            // with the plain key proves nothing.
            if (*k.keys.first().fixtureKey)
                QVERIFY2(runWith(k, Typed::Unknown) != plain, "the key finds nothing");
            references.insert(sweep, plain);
        }
        const Outcome& reference = references.value(sweep);
        const Outcome hostile = runWith(k, Typed::Hostile, text);
        QCOMPARE(hostile.messages, reference.messages);
        QCOMPARE(hostile.screen, reference.screen);
        const support::SnapshotChange change = support::changeBetween(reference.rows, hostile.rows);
        QVERIFY2(change.none(), qPrintable(change.described()));
    }
};

QTEST_MAIN(TestKeySweep)
#include "tst_key_sweep.moc"
