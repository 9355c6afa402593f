#include "provisioning/voice_ip_form.h"
#include "support/strings.h"
#include "support/test_context.h"
#include "support/widgets.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

using support::click;
using support::textOf;
using support::type;
using Shown = support::ScriptedDialogs::Shown;

namespace {

const QString addresses = QStringLiteral("select IP, ID from VOIP order by trim(IP)");

} // namespace

class TestVoiceIp : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_ctx = std::make_unique<support::TestContext>();
        auto& db = m_ctx->db();
        db.exec(QStringLiteral("insert into circle (circle) values ('MAHARASHTRA  '), (' GOA')"));
        db.exec(QStringLiteral("insert into VOIP (CIRCLE, SERVICE, BNG, IP, ID) values "
                               "('MAHARASHTRA', 'FTTH', 'BNG-PUNE', '10.1.0.1', 'NA'), "
                               "('MAHARASHTRA', 'FTTH', 'BNG-PUNE', '10.1.0.2', '9822000001'), "
                               "('MAHARASHTRA', 'BBOWIFI', 'BNG-PUNE', '10.2.0.1', 'NA'), "
                               "('MAHARASHTRA', 'FTTH', 'BNG-NASIK', '10.3.0.1', 'NA'), "
                               "('GOA', 'FTTH', 'BNG-PUNE', ' 10.9.0.1 ', 'NA')"));
        m_form = std::make_unique<provisioning::VoiceIpForm>(m_ctx->app());
    }

    void opensWithServicesAndTrimmedCircles() {
        QCOMPARE(m_form->objectName(), QStringLiteral("Form18"));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("VOIP IP"));
        QCOMPARE(support::entries(m_form.get(), QStringLiteral("Combo1")),
                 support::strings({"FTTH", "BBOWIFI"}));
        QCOMPARE(support::sortedEntries(m_form.get(), QStringLiteral("Combo2")),
                 support::strings({"GOA", "MAHARASHTRA"}));
        for (const char* empty : {"Combo1", "Combo2", "Combo3", "Combo4", "Text1"})
            QCOMPARE(textOf(m_form.get(), QString::fromLatin1(empty)), QString());
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    void aBngListsTheFreeAddressesOfItsServiceInAnyCircle() {
        chooseBng(QStringLiteral("FTTH"), QStringLiteral("BNG-PUNE"));
        QCOMPARE(support::sortedEntries(m_form.get(), QStringLiteral("Combo3")),
                 support::strings({"BNG-NASIK", "BNG-PUNE"}));
        QCOMPARE(support::sortedEntries(m_form.get(), QStringLiteral("Combo4")),
                 support::strings({"10.1.0.1", "10.9.0.1"}));
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Combo4")), QString());

        support::choose(m_form.get(), QStringLiteral("Combo1"), QStringLiteral("BBOWIFI"));
        support::choose(m_form.get(), QStringLiteral("Combo2"), QStringLiteral("GOA"));
        QVERIFY(support::sortedEntries(m_form.get(), QStringLiteral("Combo3")).isEmpty());
    }

    void aFreeAddressIsAssigned() {
        chooseBng(QStringLiteral("FTTH"), QStringLiteral("BNG-PUNE"));
        support::choose(m_form.get(), QStringLiteral("Combo4"), QStringLiteral("10.1.0.1"));
        type(m_form.get(), QStringLiteral("Text1"), QStringLiteral("9822000002"));
        click(m_form.get(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().shown(),
                 (QList<Shown>{{QStringLiteral("VOICE IP UPDATED"), QStringLiteral("ZEL VOIP"),
                                ui::Icon::Information}}));
        QCOMPARE(m_ctx->db().rows(addresses),
                 support::strings({"10.1.0.1|9822000002", "10.1.0.2|9822000001", "10.2.0.1|NA",
                                   "10.3.0.1|NA", " 10.9.0.1 |NA"}));
    }

    void anAddressThatIsNotFreeIsNotAssigned_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("takenMeanwhile");
        QTest::addRow("held by another number") << QStringLiteral("10.1.0.2") << false;
        QTest::addRow("taken since the list was filled") << QStringLiteral("10.1.0.1") << true;
        QTest::addRow("not in the pool") << QStringLiteral("10.99.0.1") << false;
    }
    void anAddressThatIsNotFreeIsNotAssigned() {
        QFETCH(QString, address);
        QFETCH(bool, takenMeanwhile);
        chooseBng(QStringLiteral("FTTH"), QStringLiteral("BNG-PUNE"));
        if (takenMeanwhile)
            m_ctx->db().exec(QStringLiteral("update VOIP set ID='9822000009' where IP='10.1.0.1'"));
        const QStringList before = m_ctx->db().rows(addresses);
        type(m_form.get(), QStringLiteral("Combo4"), address);
        type(m_form.get(), QStringLiteral("Text1"), QStringLiteral("9822000002"));
        click(m_form.get(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().shown(),
                 (QList<Shown>{{QStringLiteral("VOICE IP NOT AVAILABLE"),
                                QStringLiteral("ZEL VOIP"), ui::Icon::Exclamation}}));
        QCOMPARE(m_ctx->db().rows(addresses), before);
    }

    void aNumberHoldsOneAddressAndMustBeGiven_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QString>("field");
        QTest::addRow("already holds one")
            << QStringLiteral("9822000001") << QStringLiteral("ID ALREADY PRESENT")
            << QStringLiteral("10.1.0.2");
        QTest::addRow("no number")
            << QString() << QStringLiteral("PLEASE ENTER NUMBER") << QStringLiteral("10.1.0.1");
    }
    void aNumberHoldsOneAddressAndMustBeGiven() {
        QFETCH(QString, number);
        QFETCH(QString, said);
        QFETCH(QString, field);
        const QStringList before = m_ctx->db().rows(addresses);
        type(m_form.get(), QStringLiteral("Combo4"), QStringLiteral("10.1.0.1"));
        type(m_form.get(), QStringLiteral("Text1"), number);
        click(m_form.get(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().shown(),
                 (QList<Shown>{{said, QStringLiteral("ZEL VOIP"), ui::Icon::Information}}));
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Combo4")), field);
        QCOMPARE(m_ctx->db().rows(addresses), before);
    }

    void searchShowsTheNumbersAddressOnly_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("field");
        QTest::addRow("holds one") << QStringLiteral("9822000001") << QStringLiteral("10.1.0.2");
        QTest::addRow("holds none") << QStringLiteral("9822000005") << QStringLiteral("typed");
    }
    void searchShowsTheNumbersAddressOnly() {
        QFETCH(QString, number);
        QFETCH(QString, field);
        m_ctx->db().exec(QStringLiteral("update VOIP set IP=' 10.1.0.2  ' where IP='10.1.0.2'"));
        type(m_form.get(), QStringLiteral("Combo4"), QStringLiteral("typed"));
        type(m_form.get(), QStringLiteral("Text1"), number);
        click(m_form.get(), QStringLiteral("Command2"));
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Combo4")), field);
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    void opensInTheMiddleOfTheScreen() {
        m_form->show();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(qAbs(m_form->geometry().center().x() - screen.center().x()) <= 1);
        QVERIFY(qAbs(m_form->geometry().center().y() - screen.center().y()) <= 1);
    }

private:
    void chooseBng(const QString& service, const QString& bng) {
        support::choose(m_form.get(), QStringLiteral("Combo1"), service);
        support::choose(m_form.get(), QStringLiteral("Combo2"), QStringLiteral("MAHARASHTRA"));
        support::choose(m_form.get(), QStringLiteral("Combo3"), bng);
    }
    std::unique_ptr<support::TestContext> m_ctx;
    std::unique_ptr<provisioning::VoiceIpForm> m_form;
};

QTEST_MAIN(TestVoiceIp)
#include "tst_voice_ip.moc"
