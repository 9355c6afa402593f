#include "masterdata/engineer_form.h"
#include "support/strings.h"
#include "support/test_context.h"
#include "support/widgets.h"

#include <QTest>

namespace {

// RAJ has two rows; the last one returned carries 222. AMIT is stored with
// blanks around the name.
void addEngineers(const support::TestDb& db) {
    db.exec(QStringLiteral("INSERT INTO engineer VALUES ('RAJ', ' 111 ', 'NORTH'), "
                           "(' AMIT ', '333', 'SOUTH'), ('RAJ', '222', 'EAST')"));
}

const QString engineersSql =
    QStringLiteral("select Engineer, Phone, AREA from engineer order by rowid");

using Shown = support::ScriptedDialogs::Shown;

} // namespace

class TestEngineers : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_ctx = std::make_unique<support::TestContext>();
        addEngineers(m_ctx->db());
        m_form = std::make_unique<masterdata::EngineerForm>(m_ctx->app());
    }
    void cleanup() {
        m_form.reset();
        m_ctx.reset();
    }

    void opensWithEveryName() {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("ADD ENGINEER"));
        QCOMPARE(text("Combo1"), QStringLiteral("Engineer List"));
        QCOMPARE(support::entries(form(), QStringLiteral("Combo1")),
                 support::strings({"RAJ", "AMIT", "RAJ"}));
    }

    // A name stands for all its rows: the last one read gives the number.
    // The area is never read back.
    void chooseAndSearchShowTheLastRowOfTheName() {
        support::type(form(), QStringLiteral("Text3"), QStringLiteral("typed area"));
        support::choose(form(), QStringLiteral("Combo1"), QStringLiteral("RAJ"));
        QCOMPARE(fields(), support::strings({"RAJ", "222", "typed area"}));

        support::type(form(), QStringLiteral("Text1"), QStringLiteral("AMIT"));
        support::click(form(), QStringLiteral("Command3"));
        QCOMPARE(fields(), support::strings({"AMIT", "333", "typed area"}));

        // Typed text is compared exactly: another case or a blank finds nothing.
        for (const char* other : {"amit", "AMIT ", "NOBODY"}) {
            support::type(form(), QStringLiteral("Text1"), QString::fromUtf8(other));
            support::click(form(), QStringLiteral("Command3"));
            QCOMPARE(text("Text2"), QStringLiteral("333"));
        }
        support::click(form(), QStringLiteral("Command4"));
        QCOMPARE(fields(), support::strings({"", "", "typed area"}));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    void add_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("area");
        QTest::addColumn<bool>("written");
        QTest::addRow("all fields") << "SUNIL"
                                    << "9800000001"
                                    << "WEST" << true;
        QTest::addRow("no area") << "SUNIL"
                                 << "9800000001"
                                 << "" << true;
        QTest::addRow("apostrophe") << "D'SOUZA"
                                    << "98'1"
                                    << "GOA'S" << true;
        QTest::addRow("no phone") << "SUNIL"
                                  << ""
                                  << "WEST" << false;
        QTest::addRow("no name") << ""
                                 << "9800000001"
                                 << "WEST" << false;
    }
    void add() {
        QFETCH(QString, name);
        QFETCH(QString, phone);
        QFETCH(QString, area);
        QFETCH(bool, written);
        QStringList expected = m_ctx->db().rows(engineersSql);
        QStringList names = support::entries(form(), QStringLiteral("Combo1"));
        if (written) {
            expected << QStringList{name, phone, area}.join(QLatin1Char('|'));
            names << name;
        }
        support::type(form(), QStringLiteral("Text1"), name);
        support::type(form(), QStringLiteral("Text2"), phone);
        support::type(form(), QStringLiteral("Text3"), area);

        support::click(form(), QStringLiteral("Command1"));

        QCOMPARE(m_ctx->db().rows(engineersSql), expected);
        QCOMPARE(support::entries(form(), QStringLiteral("Combo1")), names);
        const QList<Shown> told{written
                                    ? Shown{QStringLiteral("DATA SUBMITED SUCCESSFULY"),
                                            QStringLiteral("VUVA"), ui::Icon::Information, false}
                                    : Shown{QStringLiteral("Please insert all data"),
                                            QStringLiteral("VUVA"), ui::Icon::Exclamation, false}};
        QCOMPARE(m_ctx->dialogs().shown(), told);
    }

    // Every row of the name changes; a name without a row is told instead of
    // a success.
    void updatePhone_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("icon");
        QTest::addRow("both rows of a name")
            << "RAJ" << support::strings({"RAJ|555|NORTH", " AMIT |333|SOUTH", "RAJ|555|EAST"})
            << "DATA UPDATED SUCCESSFULY" << int(ui::Icon::Information);
        QTest::addRow("no such engineer")
            << "O'HARA" << support::strings({"RAJ| 111 |NORTH", " AMIT |333|SOUTH", "RAJ|222|EAST"})
            << "NO ENGINEER O'HARA" << int(ui::Icon::Exclamation);
    }
    void updatePhone() {
        QFETCH(QString, name);
        QFETCH(QStringList, rows);
        QFETCH(QString, message);
        QFETCH(int, icon);
        support::type(form(), QStringLiteral("Text1"), name);
        support::type(form(), QStringLiteral("Text2"), QStringLiteral("555"));

        support::click(form(), QStringLiteral("Command2"));

        // A server may move a row it updated to the table's end.
        QStringList stored = m_ctx->db().rows(engineersSql);
        stored.sort();
        rows.sort();
        QCOMPARE(stored, rows);
        const QList<Shown> told{{message, QStringLiteral("VUVA"), ui::Icon(icon), false}};
        QCOMPARE(m_ctx->dialogs().shown(), told);
    }

private:
    QWidget* form() { return m_form.get(); }
    QString text(const char* name) { return support::textOf(form(), QString::fromUtf8(name)); }
    QStringList fields() { return {text("Text1"), text("Text2"), text("Text3")}; }

    std::unique_ptr<support::TestContext> m_ctx;
    std::unique_ptr<masterdata::EngineerForm> m_form;
};

QTEST_MAIN(TestEngineers)
#include "tst_engineers.moc"
