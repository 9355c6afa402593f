#include "faults/circle_contacts_form.h"
#include "faults/ssa_contacts_form.h"
#include "support/strings.h"
#include "support/test_context.h"
#include "support/widgets.h"

#include <QTest>

using Shown = support::ScriptedDialogs::Shown;

namespace {

const QString noc = QStringLiteral("ZEL NOC");

// The circle screen has seven boxes, the SSA screen ten; both open filled.
int boxesOf(const QString& screen) {
    return screen == QLatin1String("Form10") ? 7 : 10;
}

QWidget* build(core::AppContext& app, const QString& screen) {
    if (screen == QLatin1String("Form10")) {
        auto* form = new faults::CircleContactsForm(app);
        form->showCircle(QStringLiteral("KERALA"));
        form->showContacts(support::strings(
            {"ANIL", "9800000005", "head@zel.in", "MOHAN", "98111", "cgm@vuva.in"}));
        return form;
    }
    auto* form = new faults::SsaContactsForm(app);
    form->showNames(QStringLiteral("KERALA"), QStringLiteral("KOCHI"));
    form->showContacts(support::strings({"RAJ", "9800000001", "9800000002", "bb@vuva.in",
                                         "9800000003", "tx@vuva.in", "9800000004", "gm@vuva.in"}));
    return form;
}

} // namespace

class TestContactDetails : public QObject {
    Q_OBJECT

    std::unique_ptr<support::TestContext> m_ctx;
    std::unique_ptr<QWidget> m_form;

    void open(const QString& screen) { m_form.reset(build(m_ctx->app(), screen)); }
    QStringList circles() const {
        return m_ctx->db().rows(QStringLiteral("SELECT * FROM circle ORDER BY circle"));
    }
    QStringList ssas() const {
        return m_ctx->db().rows(QStringLiteral("SELECT * FROM ssa ORDER BY SSA"));
    }

private slots:
    void init() {
        m_ctx = std::make_unique<support::TestContext>();
        m_ctx->db().exec(QStringLiteral(
            "INSERT INTO circle VALUES ('KERALA', 'OLD', '1', 'old@zel.in', 'OLD', '2', "
            "'old@vuva.in'), ('KERALA', 'OLD2', '1', 'x', 'y', '2', 'z'), ('PUNJAB', 'P', '3', "
            "'p', 'q', '4', 'r')"));
        m_ctx->db().exec(QStringLiteral(
            "INSERT INTO ssa VALUES ('KERALA', 'KOCHI', 'OLD', '1', '2', 'a', '3', 'b', '4', "
            "'c'), ('KERALA', 'KOCHI', 'OLD2', '1', '2', 'a', '3', 'b', '4', 'c'), ('KERALA', "
            "'TRIVANDRUM', 'T', '1', '2', 'a', '3', 'b', '4', 'c')"));
    }
    void cleanup() {
        m_form.reset();
        m_ctx.reset();
    }

    void titles() {
        open(QStringLiteral("Form10"));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("CIRCLE DETAILS"));
        open(QStringLiteral("Form11"));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("SSA CONTACT DETAILS OF ZEL AND VUVA TEAM"));
    }

    void anEmptyBoxBlocksTheSave_data() {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<int>("box");
        for (const char* screen : {"Form10", "Form11"})
            for (int box = 1; box <= boxesOf(QString::fromLatin1(screen)); ++box)
                QTest::addRow("%s Text%d", screen, box) << QString::fromLatin1(screen) << box;
    }
    void anEmptyBoxBlocksTheSave() {
        QFETCH(QString, screen);
        QFETCH(int, box);
        open(screen);
        const QStringList before = circles() + ssas();
        support::type(m_form.get(), QStringLiteral("Text%1").arg(box), QString());
        support::click(m_form.get(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().shown(),
                 (QList<Shown>{{QStringLiteral("PLEASE ENTER ALL THE DATA"), noc,
                                ui::Icon::Information, false}}));
        QCOMPARE(circles() + ssas(), before);
    }

    void answeringNoWritesNothing_data() {
        QTest::addColumn<QString>("screen");
        QTest::addRow("circle") << QStringLiteral("Form10");
        QTest::addRow("ssa") << QStringLiteral("Form11");
    }
    void answeringNoWritesNothing() {
        QFETCH(QString, screen);
        open(screen);
        const QStringList before = circles() + ssas();
        m_ctx->dialogs().answer(false);
        support::click(m_form.get(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().texts(), support::strings({"ARE YOU SURE TO UPDATE"}));
        QCOMPARE(circles() + ssas(), before);
    }

    void theCircleSaveWritesEveryRowOfTheCircleAsTyped() {
        open(QStringLiteral("Form10"));
        support::type(m_form.get(), QStringLiteral("Text2"), QStringLiteral(" D'SOUZA "));
        m_ctx->dialogs().answer(true);
        support::click(m_form.get(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().shown().last(),
                 (Shown{QStringLiteral("DATA UPDATED SUCCESSFULLY"), noc, ui::Icon::Information,
                        false}));
        QCOMPARE(circles(), support::strings(
                                {"KERALA| D'SOUZA |9800000005|head@zel.in|MOHAN|98111|cgm@vuva.in",
                                 "KERALA| D'SOUZA |9800000005|head@zel.in|MOHAN|98111|cgm@vuva.in",
                                 "PUNJAB|P|3|p|q|4|r"}));
    }

    void theSsaSaveKeysOnTheSsaAlone() {
        open(QStringLiteral("Form11"));
        // The circle box must be filled, but it picks nothing.
        support::type(m_form.get(), QStringLiteral("Text1"), QStringLiteral("ANY"));
        support::type(m_form.get(), QStringLiteral("Text10"), QStringLiteral("o'gm@vuva.in"));
        m_ctx->dialogs().answer(true);
        support::click(m_form.get(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().last(), QStringLiteral("DATA UPDATED SUCCESSFULLY"));
        QCOMPARE(ssas(), support::strings({"KERALA|KOCHI|RAJ|9800000001|9800000002|bb@vuva.in|"
                                           "9800000003|tx@vuva.in|9800000004|o'gm@vuva.in",
                                           "KERALA|KOCHI|RAJ|9800000001|9800000002|bb@vuva.in|"
                                           "9800000003|tx@vuva.in|9800000004|o'gm@vuva.in",
                                           "KERALA|TRIVANDRUM|T|1|2|a|3|b|4|c"}));
    }

    void aNameWithoutRowIsReported_data() {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("nameBox");
        QTest::addColumn<QString>("message");
        QTest::addRow("circle") << QStringLiteral("Form10") << QStringLiteral("Text1")
                                << QStringLiteral("NO CIRCLE GOA");
        QTest::addRow("ssa") << QStringLiteral("Form11") << QStringLiteral("Text2")
                             << QStringLiteral("NO SSA GOA");
    }
    void aNameWithoutRowIsReported() {
        QFETCH(QString, screen);
        QFETCH(QString, nameBox);
        QFETCH(QString, message);
        open(screen);
        const QStringList before = circles() + ssas();
        support::type(m_form.get(), nameBox, QStringLiteral("GOA"));
        m_ctx->dialogs().answer(true);
        support::click(m_form.get(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().shown().last(),
                 (Shown{message, noc, ui::Icon::Exclamation, false}));
        QCOMPARE(circles() + ssas(), before);
    }
};

QTEST_MAIN(TestContactDetails)
#include "tst_contact_details.moc"
