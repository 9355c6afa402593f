#include "provisioning/inner_vlan_form.h"
#include "provisioning/router_script.h"
#include "support/strings.h"
#include "support/test_context.h"
#include "support/widgets.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>

using support::click;
using support::textOf;
using support::type;

namespace {

const provisioning::RouterAccounts accounts{QStringLiteral("tavrin"), QStringLiteral("k2m@vdtr"),
                                            QStringLiteral("t@vkq5ne")};

const QString pairs = QStringLiteral("select SITE, IN_VLAN, ID, MAC from OLT order by IN_VLAN");

} // namespace

class TestInnerVlan : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_ctx = std::make_unique<support::TestContext>(QHash<QString, QString>{
            {QStringLiteral("accounts/router_script_user"), accounts.supportUser},
            {QStringLiteral("accounts/router_script_password"), accounts.supportPassword},
            {QStringLiteral("accounts/router_admin_password"), accounts.adminPassword},
        });
        auto& db = m_ctx->db();
        db.exec(QStringLiteral("insert into circle (circle) values ('MAHARASHTRA'), ('GOA')"));
        db.exec(QStringLiteral("insert into ssa (circle, SSA) values ('MAHARASHTRA', 'PUNE'), "
                               "('MAHARASHTRA', 'NASIK'), ('GOA', 'PANAJI')"));
        db.exec(QStringLiteral(
            "insert into OLT (circle, SSA, SITE, SERVICE, OUT_VLAN, IN_VLAN, ID, MAC, SN) values "
            "('MAHARASHTRA', 'PUNE', 'OLT-KOTHRUD', 'FTTH', '101', '511', 'NA', '', 'SN-A'), "
            "('MAHARASHTRA', 'PUNE', 'OLT-KOTHRUD', 'FTTH', '101', '512', 'NA', '', 'SN-B'), "
            "('MAHARASHTRA', 'PUNE', 'OLT-KOTHRUD', 'FTTH', '101', '513', 'asha.k', 'AA:01', "
            "'SN-C'), "
            "('MAHARASHTRA', 'PUNE', 'OLT-BANER', 'AF', '102', '600', 'NA', '', 'SN-D'), "
            "('MAHARASHTRA', 'PUNE', 'OLT-AUNDH', 'FTTH', '103', '700', 'NA', '', 'SN-E')"));
        db.exec(QStringLiteral("insert into cdata (ID, indicator) values ('asha.k', 'ABC')"));
        m_form = std::make_unique<provisioning::InnerVlanForm>(m_ctx->app());
    }

    void theRouterScriptIsExactToTheByte() {
        QCOMPARE(
            provisioning::routerScript(QStringLiteral("512"), QStringLiteral("ABC"), accounts),
            QStringLiteral("\r\n"
                           "/user add name=tavrin password=k2m@vdtr group=full\r\n"
                           "/interface vlan remove 0\r\n"
                           "/interface vlan add interface=wlan1 name=inner-vlan vlan-id=512\r\n"
                           "/interface pppoe-client set interface=inner-vlan 0\r\n"
                           "/tool romon set enabled=yes\r\n"
                           "/tool mac-server set allowed-interface-list=all\r\n"
                           "/ip dns set allow-remote-requests=no\r\n"
                           "/user set [find name=admin] password=t@vkq5ne  group=write\r\n"
                           "/system identity set name=ABC-512\r\n"
                           "/interface wireless set radio-name=ABC-512  0\r\n"
                           "/interface wireless set mode=station-wds 0\r\n"
                           "\r\n"
                           "\r\n"));
    }

    void theRouterIsNamedAfterIndicatorAndVlan_data() {
        QTest::addColumn<QString>("vlan");
        QTest::addColumn<QString>("indicator");
        QTest::addColumn<QString>("name");
        QTest::addRow("both") << QStringLiteral("7") << QStringLiteral("ZX9")
                              << QStringLiteral("ZX9-7");
        QTest::addRow("no indicator")
            << QStringLiteral("512") << QStringLiteral("") << QStringLiteral("-512");
        QTest::addRow("no vlan") << QStringLiteral("") << QStringLiteral("ABC")
                                 << QStringLiteral("ABC-");
    }
    void theRouterIsNamedAfterIndicatorAndVlan() {
        QFETCH(QString, vlan);
        QFETCH(QString, indicator);
        QFETCH(QString, name);
        const QStringList lines =
            provisioning::routerScript(vlan, indicator, accounts).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 15);
        QCOMPARE(lines[3], QStringLiteral("/interface vlan add interface=wlan1 name=inner-vlan "
                                          "vlan-id=") +
                               vlan);
        QCOMPARE(lines[9], QStringLiteral("/system identity set name=") + name);
        QCOMPARE(lines[10], QStringLiteral("/interface wireless set radio-name=") + name +
                                QStringLiteral("  0"));
    }

    void opensWithItsListsAndInitialTexts() {
        QCOMPARE(m_form->objectName(), QStringLiteral("Form17"));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("OLT IN VLAN"));
        QCOMPARE(support::entries(m_form.get(), QStringLiteral("Combo5")),
                 support::strings({"FTTH", "AF", "MTNL"}));
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Combo5")), QStringLiteral("Combo5"));
        QCOMPARE(support::sortedEntries(m_form.get(), QStringLiteral("Combo1")),
                 support::strings({"GOA", "MAHARASHTRA"}));
        for (const char* empty : {"Combo1", "Combo2", "Combo3", "Combo4", "Text1", "Text2"})
            QCOMPARE(textOf(m_form.get(), QString::fromLatin1(empty)), QString());
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Label6")), QStringLiteral("OUTER VLAN"));
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Label9")), QStringLiteral("SN"));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
    }

    void choicesNarrowTheListsDownToTheFreePairs() {
        chooseSite(QStringLiteral("OLT-KOTHRUD"));
        QCOMPARE(support::sortedEntries(m_form.get(), QStringLiteral("Combo2")),
                 support::strings({"NASIK", "PUNE"}));
        QCOMPARE(support::sortedEntries(m_form.get(), QStringLiteral("Combo3")),
                 support::strings({"OLT-AUNDH", "OLT-KOTHRUD"}));
        QCOMPARE(support::sortedEntries(m_form.get(), QStringLiteral("Combo4")),
                 support::strings({"511", "512"}));
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Combo4")), QString());
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Label6")), QStringLiteral("101"));
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Label9")), QStringLiteral("SN-B"));

        // A new SSA empties the sites only; a new service refills them.
        support::choose(m_form.get(), QStringLiteral("Combo2"), QStringLiteral("PUNE"));
        QVERIFY(support::sortedEntries(m_form.get(), QStringLiteral("Combo3")).isEmpty());
        QCOMPARE(support::sortedEntries(m_form.get(), QStringLiteral("Combo4")),
                 support::strings({"511", "512"}));
        support::choose(m_form.get(), QStringLiteral("Combo5"), QStringLiteral("AF"));
        QCOMPARE(support::sortedEntries(m_form.get(), QStringLiteral("Combo3")),
                 support::strings({"OLT-BANER"}));
    }

    void aFreePairIsAssigned() {
        chooseSite(QStringLiteral("OLT-KOTHRUD"));
        support::choose(m_form.get(), QStringLiteral("Combo4"), QStringLiteral("512"));
        type(m_form.get(), QStringLiteral("Text1"), QStringLiteral("ravi'p"));
        type(m_form.get(), QStringLiteral("Text2"), QStringLiteral("AA:BB:CC:DD:EE:FF"));
        click(m_form.get(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().shown(),
                 (QList<support::ScriptedDialogs::Shown>{{QStringLiteral("INNER VLAN UPDATED"),
                                                          QStringLiteral("ZEL OLT INNER VLAN"),
                                                          ui::Icon::Information}}));
        QCOMPARE(m_ctx->db().rows(pairs),
                 support::strings(
                     {"OLT-KOTHRUD|511|NA|", "OLT-KOTHRUD|512|ravi'p|AA:BB:CC:DD:EE:FF",
                      "OLT-KOTHRUD|513|asha.k|AA:01", "OLT-BANER|600|NA|", "OLT-AUNDH|700|NA|"}));
    }

    void aPairThatIsNotFreeIsNotAssigned_data() {
        QTest::addColumn<QString>("vlan");
        QTest::addColumn<bool>("takenMeanwhile");
        QTest::addRow("held by another user") << QStringLiteral("513") << false;
        QTest::addRow("taken since the list was filled") << QStringLiteral("512") << true;
        QTest::addRow("no such pair at the site") << QStringLiteral("600") << false;
    }
    void aPairThatIsNotFreeIsNotAssigned() {
        QFETCH(QString, vlan);
        QFETCH(bool, takenMeanwhile);
        chooseSite(QStringLiteral("OLT-KOTHRUD"));
        if (takenMeanwhile)
            m_ctx->db().exec(QStringLiteral("update OLT set ID='other.u' where IN_VLAN='512'"));
        const QStringList before = m_ctx->db().rows(pairs);
        type(m_form.get(), QStringLiteral("Combo4"), vlan);
        type(m_form.get(), QStringLiteral("Text1"), QStringLiteral("ravi.p"));
        type(m_form.get(), QStringLiteral("Text2"), QStringLiteral("AA:BB"));
        click(m_form.get(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().shown(),
                 (QList<support::ScriptedDialogs::Shown>{
                     {QStringLiteral("INNER VLAN NOT AVAILABLE"),
                      QStringLiteral("ZEL OLT INNER VLAN"), ui::Icon::Exclamation}}));
        QCOMPARE(m_ctx->db().rows(pairs), before);
    }

    void aUserIdHoldsOnePairOnly() {
        chooseSite(QStringLiteral("OLT-KOTHRUD"));
        support::choose(m_form.get(), QStringLiteral("Combo4"), QStringLiteral("511"));
        type(m_form.get(), QStringLiteral("Text1"), QStringLiteral("asha.k"));
        const QStringList before = m_ctx->db().rows(pairs);
        click(m_form.get(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().texts(), support::strings({"ID ALREADY PRESENT"}));
        QCOMPARE(m_ctx->dialogs().shown().first().title, QStringLiteral("ZEL OLT INNER VLAN"));
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Combo4")), QStringLiteral("513"));
        QCOMPARE(m_ctx->db().rows(pairs), before);
    }

    void anEmptyUserIdIsRefused() {
        chooseSite(QStringLiteral("OLT-KOTHRUD"));
        support::choose(m_form.get(), QStringLiteral("Combo4"), QStringLiteral("511"));
        const QStringList before = m_ctx->db().rows(pairs);
        click(m_form.get(), QStringLiteral("Command1"));
        QCOMPARE(m_ctx->dialogs().shown(),
                 (QList<support::ScriptedDialogs::Shown>{{QStringLiteral("PLEASE ENTER USER ID"),
                                                          QStringLiteral("ZEL CRM"),
                                                          ui::Icon::Information}}));
        QCOMPARE(m_ctx->db().rows(pairs), before);
    }

    void searchShowsThePairAndTheRouterCommands() {
        type(m_form.get(), QStringLiteral("Text1"), QStringLiteral("asha.k"));
        click(m_form.get(), QStringLiteral("Command2"));
        QVERIFY(m_ctx->dialogs().shown().isEmpty());
        const QStringList expected = support::strings(
            {"MAHARASHTRA", "PUNE", "OLT-KOTHRUD", "513", "FTTH", "AA:01", "101", "SN"});
        QStringList shown;
        for (const char* name :
             {"Combo1", "Combo2", "Combo3", "Combo4", "Combo5", "Text2", "Label6", "Label9"})
            shown << textOf(m_form.get(), QString::fromLatin1(name));
        QCOMPARE(shown, expected);
        QCOMPARE(routerText(), provisioning::routerScript(QStringLiteral("513"),
                                                          QStringLiteral("ABC"), accounts));
    }

    void searchForAnUnknownIdBuildsFromTheFields() {
        type(m_form.get(), QStringLiteral("Combo4"), QStringLiteral("77"));
        type(m_form.get(), QStringLiteral("Text1"), QStringLiteral("nobody"));
        click(m_form.get(), QStringLiteral("Command2"));
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Combo4")), QStringLiteral("77"));
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Combo5")), QStringLiteral("Combo5"));
        QCOMPARE(routerText(),
                 provisioning::routerScript(QStringLiteral("77"), QString(), accounts));
    }

    void searchWithoutRouterAccountsSaysWhichSettingIsMissing() {
        support::TestContext bare;
        provisioning::InnerVlanForm form(bare.app());
        type(&form, QStringLiteral("Text1"), QStringLiteral("asha.k"));
        click(&form, QStringLiteral("Command2"));
        QCOMPARE(bare.dialogs().texts(),
                 support::strings({"Missing setting [accounts] router_script_user in test.ini"}));
        QVERIFY(
            support::find<QPlainTextEdit>(&form, QStringLiteral("Text3"))->toPlainText().isEmpty());
    }

    void macAndReleaseChangeOnlyAHeldPair_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("userId");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<QStringList>("said");
        QTest::addColumn<QString>("row513");
        const auto held = QStringLiteral("OLT-KOTHRUD|513|asha.k|AA:01");
        QTest::addRow("mac") << QStringLiteral("Command3") << QStringLiteral("asha.k")
                             << QList<bool>() << support::strings({"MAC UPDATED"})
                             << QStringLiteral("OLT-KOTHRUD|513|asha.k|11:22");
        QTest::addRow("mac for an id without a pair")
            << QStringLiteral("Command3") << QStringLiteral("nobody") << QList<bool>()
            << support::strings({"NO INNER VLAN HELD BY nobody"}) << held;
        QTest::addRow("release") << QStringLiteral("Command4") << QStringLiteral("asha.k")
                                 << QList<bool>{true}
                                 << support::strings({"ARE YOU SURE TO UPDATE", "VLAN RELEASED"})
                                 << QStringLiteral("OLT-KOTHRUD|513|NA|AA:01");
        QTest::addRow("release answered No")
            << QStringLiteral("Command4") << QStringLiteral("asha.k") << QList<bool>{false}
            << support::strings({"ARE YOU SURE TO UPDATE"}) << held;
        QTest::addRow("release for an id without a pair")
            << QStringLiteral("Command4") << QStringLiteral("nobody") << QList<bool>{true}
            << support::strings({"ARE YOU SURE TO UPDATE", "NO INNER VLAN HELD BY nobody"}) << held;
        QTest::addRow("release without a user id")
            << QStringLiteral("Command4") << QStringLiteral("") << QList<bool>()
            << support::strings({"PLEASE ENTER USER ID"}) << held;
        // "NA" is the mark of a free pair: as a user id it would reach them all.
        for (const QString& mark :
             {QStringLiteral("NA"), QStringLiteral("na"), QStringLiteral("NA  ")}) {
            QTest::addRow("mac for \"%s\"", qPrintable(mark))
                << QStringLiteral("Command3") << mark << QList<bool>()
                << support::strings({"PLEASE ENTER USER ID"}) << held;
            QTest::addRow("release for \"%s\"", qPrintable(mark))
                << QStringLiteral("Command4") << mark << QList<bool>()
                << support::strings({"PLEASE ENTER USER ID"}) << held;
        }
    }
    void macAndReleaseChangeOnlyAHeldPair() {
        QFETCH(QString, button);
        QFETCH(QString, userId);
        QFETCH(QList<bool>, answers);
        QFETCH(QStringList, said);
        QFETCH(QString, row513);
        for (bool yes : answers)
            m_ctx->dialogs().answer(yes);
        type(m_form.get(), QStringLiteral("Text1"), userId);
        type(m_form.get(), QStringLiteral("Text2"), QStringLiteral("11:22"));
        click(m_form.get(), button);
        QCOMPARE(m_ctx->dialogs().texts(), said);
        QCOMPARE(m_ctx->dialogs().unanswered(), 0);
        QStringList expected = support::strings({"OLT-KOTHRUD|511|NA|", "OLT-KOTHRUD|512|NA|", "",
                                                 "OLT-BANER|600|NA|", "OLT-AUNDH|700|NA|"});
        expected[2] = row513;
        QCOMPARE(m_ctx->db().rows(pairs), expected);
    }

    void messagesCarryTheirTitlesAndIcons() {
        m_ctx->dialogs().answer(true);
        m_ctx->dialogs().answer(true);
        type(m_form.get(), QStringLiteral("Text1"), QStringLiteral("asha.k"));
        click(m_form.get(), QStringLiteral("Command3"));
        click(m_form.get(), QStringLiteral("Command4"));
        click(m_form.get(), QStringLiteral("Command4"));
        using Shown = support::ScriptedDialogs::Shown;
        QCOMPARE(m_ctx->dialogs().shown(),
                 (QList<Shown>{{QStringLiteral("MAC UPDATED"), QStringLiteral("ZEL FTTH"),
                                ui::Icon::Information},
                               {QStringLiteral("ARE YOU SURE TO UPDATE"), QStringLiteral("ZEL NOC"),
                                ui::Icon::Question, true},
                               {QStringLiteral("VLAN RELEASED"), QStringLiteral("ZEL FTTH"),
                                ui::Icon::Information},
                               {QStringLiteral("ARE YOU SURE TO UPDATE"), QStringLiteral("ZEL NOC"),
                                ui::Icon::Question, true},
                               {QStringLiteral("NO INNER VLAN HELD BY asha.k"),
                                QStringLiteral("ZEL FTTH"), ui::Icon::Exclamation}}));
    }

    void clearEmptiesTheFieldsButKeepsTheLists() {
        chooseSite(QStringLiteral("OLT-KOTHRUD"));
        type(m_form.get(), QStringLiteral("Text1"), QStringLiteral("asha.k"));
        click(m_form.get(), QStringLiteral("Command2"));
        support::focusIn(m_form.get(), QStringLiteral("Combo1"));
        click(m_form.get(), QStringLiteral("Command5"));
        for (const char* name :
             {"Combo1", "Combo2", "Combo3", "Combo4", "Combo5", "Text1", "Text2"})
            QCOMPARE(textOf(m_form.get(), QString::fromLatin1(name)), QString());
        QVERIFY(routerText().isEmpty());
        QCOMPARE(support::sortedEntries(m_form.get(), QStringLiteral("Combo4")),
                 support::strings({"511", "512"}));
        QCOMPARE(textOf(m_form.get(), QStringLiteral("Label6")), QStringLiteral("101"));
        QCOMPARE(QApplication::focusWidget(),
                 support::findWidget(m_form.get(), QStringLiteral("Text1")));
    }

    void opensInTheMiddleOfTheScreen() {
        m_form->show();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(qAbs(m_form->geometry().center().x() - screen.center().x()) <= 1);
        QVERIFY(qAbs(m_form->geometry().center().y() - screen.center().y()) <= 1);
    }

private:
    void chooseSite(const QString& site) {
        support::choose(m_form.get(), QStringLiteral("Combo1"), QStringLiteral("MAHARASHTRA"));
        support::choose(m_form.get(), QStringLiteral("Combo2"), QStringLiteral("PUNE"));
        support::choose(m_form.get(), QStringLiteral("Combo5"), QStringLiteral("FTTH"));
        support::choose(m_form.get(), QStringLiteral("Combo3"), site);
    }
    QString routerText() {
        // The text box keeps lines; its own line ends are LF.
        return support::find<QPlainTextEdit>(m_form.get(), QStringLiteral("Text3"))
            ->toPlainText()
            .replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    }
    std::unique_ptr<support::TestContext> m_ctx;
    std::unique_ptr<provisioning::InnerVlanForm> m_form;
};

QTEST_MAIN(TestInnerVlan)
#include "tst_inner_vlan.moc"
