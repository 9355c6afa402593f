// Opening a fault ticket while one of the desk's notice services is at its
// worst: the ticket is stored once, the other channels still reach everyone,
// the action ends within the wait limit and a second with the UI turning, and
// the operator is told which notices did not go and why.
#include "../faults/fault_fixture.h"
#include "support/bounded_wait.h"
#include "support/hostile_server.h"
#include "support/strings.h"

#include <QTest>

using Mode = support::HostileServer::Mode;

Q_DECLARE_METATYPE(Mode)

namespace {

constexpr int waitLimitSeconds = 1;
// EDAPPALLY's contacts: the SSA's five phones.
constexpr int phonesOfTheSite = 5;

enum class Hostile { Sms, WhatsApp, Mail };

} // namespace

Q_DECLARE_METATYPE(Hostile)

class TstHostileFaultDesk : public QObject {
    Q_OBJECT
private slots:
    void cleanupTestCase() { qInfo("longest wait %s", qPrintable(support::longestBoundedRun())); }

    void openingWithOneServiceAtItsWorst_data() {
        QTest::addColumn<Hostile>("hostile");
        QTest::addColumn<Mode>("mode");
        // Whether the service's misbehaviour counts as a notice not sent (an
        // SMS gateway or message API page is not read: a 200 is a sent message).
        QTest::addColumn<bool>("fails");
        const std::tuple<const char*, Mode, bool> modes[] = {
            {"refused", Mode::Refused, true},
            {"hung", Mode::Hang, true},
            {"server error", Mode::ServerError, true},
            {"50 MB", Mode::Huge, true},
            {"invalid UTF-8", Mode::InvalidUtf8, false},
            {"redirect loop", Mode::RedirectLoop, true}};
        for (const auto& [name, mode, fails] : modes) {
            QTest::addRow("SMS, %s", name) << Hostile::Sms << mode << fails;
            QTest::addRow("WhatsApp, %s", name) << Hostile::WhatsApp << mode << fails;
            // An SMTP server has no redirects, and a mail it did not take is not sent.
            if (mode != Mode::RedirectLoop)
                QTest::addRow("mail, %s", name) << Hostile::Mail << mode << true;
        }
    }

    void openingWithOneServiceAtItsWorst() {
        QFETCH(Hostile, hostile);
        QFETCH(Mode, mode);
        QFETCH(bool, fails);
        fixture::NoticeServices services;
        std::unique_ptr<support::HostileServer> server;
        QHash<QString, QString> config = services.config();
        config.insert(QStringLiteral("app/wait_limit_seconds"), QString::number(waitLimitSeconds));
        switch (hostile) {
        case Hostile::Sms:
            server = std::make_unique<support::HostileServer>(mode);
            config.insert(QStringLiteral("services/sms_gateway"), server->hostPort());
            break;
        case Hostile::WhatsApp:
            server = std::make_unique<support::HostileServer>(
                mode, services.certificate.serverConfiguration());
            config.insert(QStringLiteral("services/message_api"), server->hostPort());
            break;
        case Hostile::Mail:
            server = std::make_unique<support::HostileServer>(
                mode, support::HostileServer::Protocol::Smtp);
            config.insert(QStringLiteral("mail/smtp_url"), server->baseUrl());
            break;
        }
        support::TestContext ctx(config);
        fixture::addDesk(ctx.db());
        ctx.clock().set(QDateTime(QDate(2021, 12, 4), QTime(10, 0)));
        faults::SiteFaultForm form(ctx.app());
        form.show();
        for (const auto& [box, entry] : {std::pair{"Combo1", "KERALA"},
                                         {"Combo2", "KOCHI"},
                                         {"Combo3", "EDAPPALLY"},
                                         {"Combo4", "EDAPPALLY"},
                                         {"Combo5", "SITE DOWN"}})
            support::choose(&form, QString::fromLatin1(box), QString::fromLatin1(entry));
        ctx.dialogs().answer(true);

        support::checkBounded(
            support::timedRun([&] { support::click(&form, QStringLiteral("Command1")); }),
            waitLimitSeconds);

        QCOMPARE(ctx.db().scalar(QStringLiteral("select count(*) from BTS_FAULT")),
                 QStringLiteral("5"));
        QCOMPARE(
            ctx.db().scalar(QStringLiteral("select STATUS from BTS_FAULT where [fault id]=10")),
            QStringLiteral("OPEN"));
        QCOMPARE(support::textOf(&form, QStringLiteral("Label9")), QStringLiteral("OPEN FAULT: 4"));
        // The healthy channels reached everyone.
        if (hostile != Hostile::Sms)
            QCOMPARE(services.sms.requests().size(), phonesOfTheSite);
        if (hostile != Hostile::WhatsApp)
            QCOMPARE(services.whatsApp.requests().size(), phonesOfTheSite);
        if (hostile != Hostile::Mail)
            QCOMPARE(services.smtp.mails().size(), 1);

        QStringList texts = ctx.dialogs().texts();
        QCOMPARE(texts.mid(0, 2), support::strings({"Fault Submitted Successfully with FT No10",
                                                    "SEND REMINDER TO VUVA"}));
        texts = texts.mid(2);
        if (!fails) {
            QCOMPARE(texts, QStringList());
        } else if (hostile == Hostile::Mail) {
            QCOMPARE(texts.size(), 1);
            QVERIFY2(texts[0].startsWith(QStringLiteral("FAULT MAIL NOT SENT: mail server: ")),
                     qPrintable(texts[0]));
        } else {
            // One line per phone, each naming the channel and the reason.
            QCOMPARE(texts.size(), 1);
            const QStringList lines = texts[0].split(u'\n');
            QCOMPARE(lines.first(), QStringLiteral("NOTICES NOT SENT:"));
            QCOMPARE(lines.size(), 1 + phonesOfTheSite);
            const QString service = hostile == Hostile::Sms
                                        ? QStringLiteral("SMS gateway: ")
                                        : QStringLiteral("WhatsApp message API: ");
            QVERIFY2(lines[1].contains(service), qPrintable(lines[1]));
        }
    }
};

QTEST_MAIN(TstHostileFaultDesk)
#include "tst_hostile_fault_desk.moc"
