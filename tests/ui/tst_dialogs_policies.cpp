#include "core/config.h"
#include "db/error.h"
#include "db/screen_db.h"
#include "support/scripted_dialogs.h"
#include "support/test_db.h"
#include "ui/action_policy.h"
#include "ui/dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWindow>

using support::ScriptedDialogs;

namespace {

enum class Failure { Database, Config, Other };

[[noreturn]] void fail(Failure kind, const QString& text) {
    switch (kind) {
    case Failure::Database:
        throw db::Error(text);
    case Failure::Config:
        throw core::ConfigError(text);
    case Failure::Other:
        break;
    }
    throw std::runtime_error(text.toStdString());
}

// Runs `inspect` on the message box once it is up, then presses `button`.
void answerBox(QMessageBox::StandardButton button,
               const std::function<void(QMessageBox*)>& inspect) {
    QTimer::singleShot(0, qApp, [=] {
        QMessageBox* box = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible())
                box = b;
        }
        QVERIFY(box);
        inspect(box);
        box->button(button)->click();
    });
}

} // namespace

Q_DECLARE_METATYPE(Failure)
Q_DECLARE_METATYPE(ui::Icon)

class TstDialogsPolicies : public QObject {
    Q_OBJECT

private slots:
    void stopOnErrorEndsAtFirstFailure_data();
    void stopOnErrorEndsAtFirstFailure();
    void stopOnErrorCompletesCleanAction();
    void continueOnErrorSkipsFailingSteps();

    void unwindsToStartingDepth_data();
    void unwindsToStartingDepth();

    void messageBox_data();
    void messageBox();
    void question_data();
    void question();
};

void TstDialogsPolicies::stopOnErrorEndsAtFirstFailure_data() {
    QTest::addColumn<Failure>("kind");
    QTest::addColumn<QString>("text");

    QTest::addRow("server error") << Failure::Database
                                  << QStringLiteral("Ungültiger Objektname 'cdat'.");
    QTest::addRow("missing setting")
        << Failure::Config << QStringLiteral("Missing setting [services] sms_gateway in x.ini");
    QTest::addRow("any other") << Failure::Other << QStringLiteral("bad value");
}

void TstDialogsPolicies::stopOnErrorEndsAtFirstFailure() {
    QFETCH(Failure, kind);
    QFETCH(QString, text);
    ScriptedDialogs dialogs;
    QStringList ran;

    const bool finished = ui::stopOnError(dialogs, nullptr, [&] {
        ran << QStringLiteral("first");
        fail(kind, text);
        ran << QStringLiteral("after the failure");
    });

    QVERIFY(!finished);
    QCOMPARE(ran, QStringList{QStringLiteral("first")});
    const QList<ScriptedDialogs::Shown> expected{{text, QString(), ui::Icon::None, false}};
    QCOMPARE(dialogs.shown(), expected);
}

void TstDialogsPolicies::stopOnErrorCompletesCleanAction() {
    ScriptedDialogs dialogs;
    int steps = 0;
    QVERIFY(ui::stopOnError(dialogs, nullptr, [&] { steps += 2; }));
    QCOMPARE(steps, 2);
    QVERIFY(dialogs.shown().isEmpty());
}

void TstDialogsPolicies::continueOnErrorSkipsFailingSteps() {
    ScriptedDialogs dialogs;
    QStringList ran;
    QList<bool> results;

    ui::stopOnError(dialogs, nullptr, [&] {
        ui::ContinueOnError steps;
        results << steps.step([&] { ran << QStringLiteral("one"); });
        results << steps.step([&] {
            fail(Failure::Database, QStringLiteral("no such column"));
            ran << QStringLiteral("two");
        });
        results << steps.step([&] { fail(Failure::Config, QStringLiteral("no key")); });
        results << steps.step([&] { ran << QStringLiteral("four"); });
    });

    QCOMPARE(ran, (QStringList{QStringLiteral("one"), QStringLiteral("four")}));
    QCOMPARE(results, (QList<bool>{true, false, false, true}));
    QVERIFY(dialogs.shown().isEmpty());
}

// An action that fails half way, with its connection opened twice, must leave
// the screen's connection where it found it: closed when it ran alone, still
// open for the action it interrupted while that one waited on a web page.
void TstDialogsPolicies::unwindsToStartingDepth_data() {
    QTest::addColumn<bool>("stop");
    QTest::addColumn<int>("outer");

    QTest::addRow("stop on error, alone") << true << 0;
    QTest::addRow("stop on error, inside an open action") << true << 1;
    QTest::addRow("continue on error, alone") << false << 0;
    QTest::addRow("continue on error, inside an open action") << false << 1;
}

void TstDialogsPolicies::unwindsToStartingDepth() {
    QFETCH(bool, stop);
    QFETCH(int, outer);
    support::TestDb testDb;
    db::ScreenDb screen(testDb.settings());
    ScriptedDialogs dialogs;
    for (int i = 0; i < outer; ++i)
        screen.open();

    const auto failing = [&] {
        screen.open();
        screen.open();
        screen.query(QStringLiteral("select * from no_such_table"));
    };
    if (stop) {
        QVERIFY(!ui::stopOnError(dialogs, &screen, failing));
    } else {
        ui::ContinueOnError steps(&screen);
        QVERIFY(!steps.step(failing));
    }

    QCOMPARE(screen.depth(), outer);
    QCOMPARE(dialogs.shown().size(), stop ? 1 : 0);
    if (stop)
        QVERIFY(!dialogs.last().isEmpty());
    // The next action opens and closes the connection as usual.
    QVERIFY(ui::stopOnError(dialogs, &screen, [&] {
        screen.open();
        screen.query(QStringLiteral("select count(*) from CRM"));
        screen.close();
    }));
    QCOMPARE(screen.depth(), outer);
    screen.closeTo(0);
}

void TstDialogsPolicies::messageBox_data() {
    QTest::addColumn<ui::Icon>("icon");
    QTest::addColumn<QMessageBox::Icon>("shown");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("shownTitle");

    QTest::addRow("plain, application title")
        << ui::Icon::None << QMessageBox::NoIcon << QString() << QStringLiteral("ZEL CRM");
    QTest::addRow("information") << ui::Icon::Information << QMessageBox::Information
                                 << QStringLiteral("ZEL NOC") << QStringLiteral("ZEL NOC");
    QTest::addRow("exclamation") << ui::Icon::Exclamation << QMessageBox::Warning
                                 << QStringLiteral("VUVA") << QStringLiteral("VUVA");
    QTest::addRow("critical") << ui::Icon::Critical << QMessageBox::Critical
                              << QStringLiteral("ZEL") << QStringLiteral("ZEL");
}

void TstDialogsPolicies::messageBox() {
    QFETCH(ui::Icon, icon);
    QFETCH(QMessageBox::Icon, shown);
    QFETCH(QString, title);
    QFETCH(QString, shownTitle);
    ui::MessageBoxDialogs dialogs(QStringLiteral("ZEL CRM"));
    QMessageBox::Icon seenIcon{};
    QString seenTitle;
    QString nativeTitle;
    QString seenText;
    Qt::TextFormat format = Qt::AutoText;

    answerBox(QMessageBox::Ok, [&](QMessageBox* box) {
        seenIcon = box->icon();
        seenTitle = box->windowTitle();
        nativeTitle = box->windowHandle() ? box->windowHandle()->title() : QString();
        seenText = box->text();
        format = box->textFormat();
    });
    // A name from the database that holds markup shows as typed.
    dialogs.message(QStringLiteral("<b>UPDATED</b>"), title, icon);

    QCOMPARE(seenIcon, shown);
    QCOMPARE(seenTitle, shownTitle);
    QCOMPARE(nativeTitle, shownTitle);
    QCOMPARE(seenText, QStringLiteral("<b>UPDATED</b>"));
    QCOMPARE(format, Qt::PlainText);
}

void TstDialogsPolicies::question_data() {
    QTest::addColumn<QMessageBox::StandardButton>("press");
    QTest::addColumn<bool>("yes");

    QTest::addRow("yes") << QMessageBox::Yes << true;
    QTest::addRow("no") << QMessageBox::No << false;
}

void TstDialogsPolicies::question() {
    QFETCH(QMessageBox::StandardButton, press);
    QFETCH(bool, yes);
    ui::MessageBoxDialogs dialogs(QStringLiteral("ZEL CRM"));
    QString seenTitle;

    answerBox(press, [&](QMessageBox* box) { seenTitle = box->windowTitle(); });
    QCOMPARE(dialogs.askYesNo(QStringLiteral("CLOSE THE TICKET?"), QString()), yes);
    QCOMPARE(seenTitle, QStringLiteral("ZEL CRM"));
}

QTEST_MAIN(TstDialogsPolicies)
#include "tst_dialogs_policies.moc"
