// One workstation writing as fast as it can, through the product's own code:
// registrations for inner VLAN pairs, the voice IP screen for addresses, the
// equipment details screen for free BTS rows; the fault desk and the complaint
// register adding entries to one ticket's or one complaint's history; new
// tickets and complaints taking their numbers. Several of these run at once
// against one database to show that no entry is given out twice, no entry is
// written over, every number told is the row's own and every refusal reaches
// the operator.
//
//   pool_driver seed <database> <rows>            fills the pools (a missing file is created)
//   pool_driver seed-mixed <database> <rows>      the pools, and the shared tickets and
//                                                 complaints of the mixed desk
//   pool_driver vlan|voip|voip-shared|equipment|ticket|complaint|open|log|mixed <database> <tag>
//               <attempts>
//
// <database> is an SQLite file, or an INI file (name ending in ".ini") with
// the client's [database] section, for a server.
//
// A worker prints one line per attempt, "+ <key>" when it was told the entry
// is its own, "- <key>" when it was told it was refused, "! <key> <message>"
// for anything else, then "attempts=.. allocated=.. refused=.. failed=..".
// An entry added to a history is retried after each refusal until stored.
// "open" and "log" print the number told after the key: "+ <key> <number>";
// "log" logs a complaint for subscriber "s<i>" from every worker at once, so
// one is told the new number and the others "- <key> <open complaint>".
// "voip-shared" gives addresses to numbers "n-<i>" that every worker shares.
// "mixed" is a desk's day (bench/desk_load_pg.sh): registrations, complaints
// logged, updated and closed, ticket updates and inner VLAN assignments in
// turn, each key named "<action>.<tag>.<i>", and after each action a line
// "T <action> <microseconds>".
#include "complaints/complaint_lifecycle.h"
#include "complaints/complaint_register_form.h"
#include "core/config.h"
#include "core/session.h"
#include "db/db_settings.h"
#include "db/error.h"
#include "db/schema.h"
#include "db/screen_db.h"
#include "faults/fault_tickets.h"
#include "faults/site_fault_form.h"
#include "masterdata/equipment_details_form.h"
#include "provisioning/inner_vlan_form.h"
#include "provisioning/registration.h"
#include "provisioning/voice_ip_form.h"
#include "support/fake_adapters.h"
#include "support/scripted_dialogs.h"
#include "support/settable_clock.h"
#include "support/widgets.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPlainTextEdit>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <random>

namespace {

const QString circle = QStringLiteral("KERALA");
const QString ssa = QStringLiteral("TVM");
const QString site = QStringLiteral("POOL SITE");
const QString bng = QStringLiteral("POOL BNG");

struct Tally {
    int allocated = 0, refused = 0, failed = 0;
};

enum class Told { Allocated, Refused, Failed };

void report(Tally& tally, Told told, const QString& key, const QString& detail = {}) {
    QTextStream out(stdout);
    if (told == Told::Allocated) {
        ++tally.allocated;
        out << "+ " << key << '\n';
    } else if (told == Told::Refused) {
        ++tally.refused;
        out << "- " << key << '\n';
    } else {
        ++tally.failed;
        out << "! " << key << ' ' << QString(detail).replace(QLatin1Char('\n'), QLatin1Char(' '))
            << '\n';
    }
}

core::Config configFor(const QString& database) {
    if (database.endsWith(QStringLiteral(".ini")))
        return core::Config::load(database);
    if (!QFile::exists(database))
        db::createSqliteDatabase(database);
    return core::Config::fromValues({{QStringLiteral("database/backend"), QStringLiteral("sqlite")},
                                     {QStringLiteral("database/sqlite_path"), database}},
                                    QStringLiteral("pool.ini"));
}

void seed(const db::DbSettings& settings, int rows) {
    db::ScreenDb screen(settings);
    screen.open();
    screen.begin(true);
    screen.execute(QStringLiteral("insert into circle(circle) values(?)"), {db::text(circle)});
    screen.execute(QStringLiteral("insert into ssa(circle,SSA) values(?,?)"),
                   {db::text(circle), db::text(ssa)});
    for (int i = 0; i < rows; ++i) {
        const QString n = QString::number(i);
        screen.execute(QStringLiteral("insert into OLT(circle,SSA,SITE,SERVICE,OUT_VLAN,IN_VLAN,ID,"
                                      "MAC,SN) values(?,?,?,'FTTH','300',?,'NA','','1')"),
                       {db::text(circle), db::text(ssa), db::text(site), db::text(n)});
        screen.execute(QStringLiteral("insert into VOIP(CIRCLE,SERVICE,BNG,IP,ID) "
                                      "values(?,'FTTH',?,?,'NA')"),
                       {db::text(circle), db::text(bng),
                        db::text(QStringLiteral("10.9.%1.%2").arg(i / 250).arg(i % 250 + 1))});
        screen.execute(QStringLiteral("insert into bts(ID,CIRCLE,SSA,BNG,IP,SITE_NAME) "
                                      "values(?,?,?,?,?,'NA')"),
                       {db::text(QStringLiteral("T") + n), db::text(circle), db::text(ssa),
                        db::text(bng),
                        db::text(QStringLiteral("172.16.%1.%2").arg(i / 250).arg(i % 250 + 1))});
    }
    screen.commit();
    screen.close();
}

// What a worker needs to build a screen: its own dialogs, clock and session.
struct Desk {
    explicit Desk(const QString& where)
        : config(configFor(where))
        , database(db::DbSettings::fromConfig(config))
        , app{config, database, session, clock, dialogs, adapters, nullptr, nullptr} {}
    core::Config config;
    db::DbSettings database;
    core::Session session;
    support::SettableClock clock;
    support::ScriptedDialogs dialogs;
    support::FakeAdapters adapters;
    core::AppContext app;
};

// The first free pair of the site, as the customer record screen lists it.
QStringList firstFreePair(db::ScreenDb& screen) {
    screen.open();
    QStringList pair;
    auto row = screen.query(QStringLiteral("select * from OLT where  SITE=? AND ID ='NA'"),
                            {db::text(site)});
    if (!row.atEnd())
        pair = {row.field(QStringLiteral("OUT_VLAN")), row.field(QStringLiteral("IN_VLAN"))};
    screen.close();
    return pair;
}

provisioning::CustomerEntry entryFor(const QString& key, const QStringList& pair) {
    provisioning::CustomerEntry e;
    e.userName = key;
    e.name = QStringLiteral("Customer ") + key;
    e.mobile = QStringLiteral("9847000000");
    e.address = QStringLiteral("Pool Road");
    e.mac = QStringLiteral("00:1E:A6:00:00:01");
    e.engineerMobile = QStringLiteral("9847000001");
    e.cluster = QStringLiteral("POOL");
    e.circle = circle;
    e.ssa = ssa;
    e.service = QStringLiteral("FTTH");
    e.site = site;
    e.engineer = QStringLiteral("Pool Engineer 9847000001");
    e.operatorName = QStringLiteral("pool");
    if (pair.size() == 2) {
        e.outerVlan = pair.at(0);
        e.innerVlan = pair.at(1);
    }
    return e;
}

// One registration with the first free pair the desk sees.
void registerOnce(Desk& desk, db::ScreenDb& screen, QStringList& pair, const QString& key,
                  Tally& tally) {
    try {
        // Once the pool is empty the desk still holds the pair it saw
        // last, which someone has taken by now.
        if (const auto free = firstFreePair(screen); !free.isEmpty())
            pair = free;
    } catch (const std::exception& e) {
        screen.closeTo(0);
        return report(tally, Told::Failed, key,
                      QStringLiteral("reading the free list: ") + QString::fromUtf8(e.what()));
    }
    try {
        const auto result = provisioning::registerCustomer(screen, entryFor(key, pair), desk.clock);
        using Outcome = provisioning::RegistrationResult::Outcome;
        if (result.outcome == Outcome::InnerVlanTaken)
            report(tally, Told::Refused, key);
        else if (result.outcome == Outcome::Registered)
            report(tally, Told::Allocated, key);
        else
            report(tally, Told::Failed, key, QStringLiteral("unexpected outcome"));
    } catch (const std::exception& e) {
        report(tally, Told::Failed, key, QString::fromUtf8(e.what()));
    }
}

void registrations(Desk& desk, const QString& tag, int attempts, Tally& tally) {
    db::ScreenDb screen(desk.database);
    QStringList pair;
    for (int i = 0; i < attempts; ++i)
        registerOnce(desk, screen, pair, tag + QLatin1Char('-') + QString::number(i), tally);
}

// Runs one attempt on a screen and sorts the message it showed.
void tell(Desk& desk, Tally& tally, const QString& key, const QString& allocated,
          const std::function<bool(const QString&)>& refused) {
    const QString shown = desk.dialogs.last();
    if (shown == allocated)
        report(tally, Told::Allocated, key);
    else if (refused(shown))
        report(tally, Told::Refused, key);
    else
        report(tally, Told::Failed, key, shown);
    desk.dialogs.clear();
}

void firstEntry(QWidget* form, const QString& box, bool last = false) {
    const QStringList free = support::entries(form, box);
    if (!free.isEmpty())
        support::choose(form, box, last ? free.last() : free.first());
    else
        support::type(form, box, QString());
}

// With `shared`, every desk gives addresses to the same numbers "n-<i>",
// desk "a" the first free address and the others the last, so both may pass
// the check at once: one desk gives each number its address, the other is
// told the number holds one or that the address went to another.
void voiceAddresses(Desk& desk, const QString& tag, int attempts, Tally& tally, bool shared) {
    provisioning::VoiceIpForm form(desk.app);
    support::choose(&form, QStringLiteral("Combo1"), QStringLiteral("FTTH"));
    support::choose(&form, QStringLiteral("Combo2"), circle);
    for (int i = 0; i < attempts; ++i) {
        const QString key =
            (shared ? QStringLiteral("n") : tag) + QLatin1Char('-') + QString::number(i);
        // The list is read again for every number, as a desk does.
        support::choose(&form, QStringLiteral("Combo3"), bng);
        firstEntry(&form, QStringLiteral("Combo4"), shared && tag != QStringLiteral("a"));
        support::type(&form, QStringLiteral("Text1"), key);
        support::click(&form, QStringLiteral("Command1"));
        tell(desk, tally, key, QStringLiteral("VOICE IP UPDATED"), [shared](const QString& shown) {
            return shown == QStringLiteral("VOICE IP NOT AVAILABLE") ||
                   (shared && shown == QStringLiteral("ID ALREADY PRESENT"));
        });
    }
}

void equipmentRows(Desk& desk, const QString& tag, int attempts, Tally& tally) {
    masterdata::EquipmentDetailsForm form(desk.app);
    support::choose(&form, QStringLiteral("Combo1"), circle);
    support::choose(&form, QStringLiteral("Combo2"), ssa);
    for (int i = 0; i < attempts; ++i) {
        const QString key = tag + QLatin1Char('-') + QString::number(i);
        support::choose(&form, QStringLiteral("Combo3"), bng);
        // With the pool empty there is no tunnel id to pick; the one saved last
        // is not this attempt's.
        support::type(&form, QStringLiteral("Text1"), QString());
        firstEntry(&form, QStringLiteral("Combo4"));
        support::type(&form, QStringLiteral("Text2"), key);
        desk.dialogs.answer(true);
        support::click(&form, QStringLiteral("Command1"));
        tell(desk, tally, key, QStringLiteral("DATA UPDATED SUCCESSFULLY"), [](const QString& s) {
            return (s.startsWith(QStringLiteral("TUNNEL ID ")) &&
                    s.endsWith(QStringLiteral(" IS NO LONGER FREE"))) ||
                   s == QStringLiteral("NO EQUIPMENT WITH TUNNEL ID ");
        });
    }
}

// The message each history screen shows when another desk wrote first.
bool lostTheRace(const QString& shown) {
    return shown.endsWith(QStringLiteral(" WAS CHANGED ON ANOTHER DESK: LOOKED UP AGAIN"));
}

// Sends one entry until it is stored: after a refusal the screen shows the
// history as stored, and the entry is still in its box.
void submitUntilStored(Desk& desk, Tally& tally, const QString& key,
                       const std::function<void()>& submit, const std::function<bool()>& stored) {
    for (int tries = 0; tries < 200; ++tries) {
        desk.dialogs.clear();
        submit();
        if (stored())
            return report(tally, Told::Allocated, key);
        if (!lostTheRace(desk.dialogs.last()))
            return report(tally, Told::Failed, key, desk.dialogs.texts().join(QLatin1Char('/')));
        report(tally, Told::Refused, key);
    }
    report(tally, Told::Failed, key, QStringLiteral("refused 200 times"));
}

// Entries for the history of ticket 1, from the fault desk.
void ticketEntries(Desk& desk, const QString& tag, int attempts, Tally& tally) {
    faults::SiteFaultForm form(desk.app);
    support::type(&form, QStringLiteral("Text1"), QStringLiteral("1"));
    support::leave(&form, QStringLiteral("Text1"));
    for (int i = 0; i < attempts; ++i) {
        const QString key = tag + QLatin1Char('-') + QString::number(i);
        support::type(&form, QStringLiteral("Text2"), key);
        const auto submit = [&] {
            // Only a stored update asks whether to remind anyone.
            if (desk.dialogs.unanswered() == 0)
                desk.dialogs.answer(false);
            support::click(&form, QStringLiteral("Command2"));
        };
        submitUntilStored(desk, tally, key, submit, [&] {
            return desk.dialogs.texts().contains(QStringLiteral("SEND REMINDER TO VUVA"));
        });
    }
}

// Entries for the history of complaint 1, from the complaint register.
void complaintEntries(Desk& desk, const QString& tag, int attempts, Tally& tally) {
    desk.session.setSignedInUser(tag);
    complaints::ComplaintRegisterForm form(desk.app);
    support::type(&form, QStringLiteral("Text6"), QStringLiteral("1"));
    support::leave(&form, QStringLiteral("Text6"));
    auto* update = support::find<QPlainTextEdit>(&form, QStringLiteral("Text10"));
    for (int i = 0; i < attempts; ++i) {
        const QString key = tag + QLatin1Char('-') + QString::number(i);
        update->setPlainText(key);
        submitUntilStored(
            desk, tally, key, [&] { support::click(&form, QStringLiteral("Command2")); },
            [&] { return desk.dialogs.last() == QStringLiteral("COMPLAINT UPDATED"); });
    }
}

// New tickets straight through the fault desk's store; the tunnel id carries
// the key, so the number told can be checked against its row.
void newTickets(Desk& desk, const QString& tag, int attempts, Tally& tally) {
    db::ScreenDb screen(desk.database);
    for (int i = 0; i < attempts; ++i) {
        const QString key = tag + QLatin1Char('-') + QString::number(i);
        try {
            screen.open();
            const QString number = faults::openTicket(
                screen, {circle, ssa, site, QStringLiteral("opened"),
                         QStringLiteral("1-Dec-21 9:0 AM"), key, QStringLiteral("1")});
            screen.close();
            report(tally, Told::Allocated, key + QLatin1Char(' ') + number);
        } catch (const std::exception& e) {
            screen.closeTo(0);
            report(tally, Told::Failed, key, QString::fromUtf8(e.what()));
        }
    }
}

// Every worker logs a complaint for the same subscribers, in the same order.
void newComplaints(Desk& desk, const QString& tag, int attempts, Tally& tally) {
    db::ScreenDb screen(desk.database);
    for (int i = 0; i < attempts; ++i) {
        const QString key = QStringLiteral("s") + QString::number(i);
        complaints::NewComplaint c;
        c.subscriberId = key;
        c.name = tag;
        c.mobile = QStringLiteral("9847000000");
        c.issueTime = QStringLiteral("4/12/2021 10:00:00 AM");
        c.description = QStringLiteral("NO SIGNAL");
        c.user = tag;
        try {
            screen.open();
            const complaints::LoggedComplaint logged = complaints::logComplaint(screen, c);
            screen.close();
            if (!logged.number.isEmpty())
                report(tally, Told::Allocated, key + QLatin1Char(' ') + logged.number);
            else
                report(tally, Told::Refused, key + QLatin1Char(' ') + logged.openBefore);
        } catch (const std::exception& e) {
            screen.closeTo(0);
            report(tally, Told::Failed, key, QString::fromUtf8(e.what()));
        }
    }
}

// --- a desk's mixed day -------------------------------------------------------------

const QString hotSite = QStringLiteral("HOT SITE");
constexpr int hotRows = 4;

// The tickets and complaints every desk of the mixed day updates. They come
// with a long history already (a fault worked on for weeks), so a run of one
// desk and a run of many meet histories of a like length: a history is laid
// out on the screen at every lookup, at a cost that grows with its length.
void seedHotRows(const db::DbSettings& settings) {
    constexpr int earlierEntries = 100;
    QString ticket = QStringLiteral("opened");
    QString complaint = QStringLiteral("NO SIGNAL");
    for (int e = 0; e < earlierEntries; ++e) {
        ticket += QStringLiteral("\r\nUPDATE: earlier entry %1").arg(e);
        complaint += QStringLiteral("@Update: earlier entry %1").arg(e);
    }
    db::ScreenDb screen(settings);
    screen.open();
    screen.begin(true);
    for (int i = 0; i < hotRows; ++i) {
        screen.execute(
            QStringLiteral("INSERT INTO BTS_FAULT (CIRCLE, SSA, [SITE NAME], FAULT, "
                           "[ISSUE DATE], [CLOSE DATE], [DOWN TIME], STATUS, ID, [USER]) "
                           "VALUES (?, ?, ?, ?, '1-Dec-21 9:0 AM', '4/4/1970', "
                           "'0', 'OPEN', 'HOT', '1')"),
            {db::text(circle), db::text(ssa), db::text(hotSite), db::text(ticket)});
        screen.execute(QStringLiteral("INSERT INTO complain (name, [issue date], description, "
                                      "status, [close date], [user id], pending, cat) VALUES "
                                      "('Hot', '2021-12-04 09:00:00', ?, 'NEW', "
                                      "'1990-04-04 00:00:00', ?, '0', 'OTHER')"),
                       {db::text(complaint), db::text(QStringLiteral("hot") + QString::number(i))});
    }
    screen.commit();
    screen.close();
}

QStringList hotNumbers(db::ScreenDb& screen, const QString& sql) {
    screen.open();
    const QStringList numbers = db::columnValues(screen.query(sql), QStringLiteral("n"));
    screen.close();
    return numbers;
}

class MixedDesk {
public:
    MixedDesk(Desk& desk, const QString& tag)
        : m_desk(desk)
        , m_tag(tag)
        , m_screen(desk.database)
        , m_complaints(desk.app)
        , m_faults(desk.app)
        , m_vlans(desk.app) {
        m_desk.session.setSignedInUser(tag);
        m_tickets = hotNumbers(m_screen, QStringLiteral("select [fault id] as n from BTS_FAULT "
                                                        "where [SITE NAME]='HOT SITE'"));
        m_hot = hotNumbers(m_screen, QStringLiteral("select id as n from complain where "
                                                    "name='Hot'"));
        support::choose(&m_vlans, QStringLiteral("Combo1"), circle);
        support::choose(&m_vlans, QStringLiteral("Combo2"), ssa);
        support::choose(&m_vlans, QStringLiteral("Combo5"), QStringLiteral("FTTH"));
    }

    void act(int i, Tally& tally) {
        static const char* const kinds[] = {"reg", "log", "cupd", "close", "tupd", "vlan"};
        const char* kind = kinds[i % 6];
        const QString key = QStringLiteral("%1.%2.%3").arg(QLatin1String(kind), m_tag).arg(i);
        const int hot = i / 6 % hotRows;
        QElapsedTimer timer;
        timer.start();
        switch (i % 6) {
        case 0:
            registerOnce(m_desk, m_screen, m_pair, key, tally);
            break;
        case 1:
            log(key, tally);
            break;
        case 2:
            updateComplaint(m_hot.value(hot), key, tally);
            break;
        case 3:
            closeLogged(key, tally);
            break;
        case 4:
            updateTicket(m_tickets.value(hot), key, tally);
            break;
        default:
            assignVlan(key, tally);
            break;
        }
        QTextStream(stdout) << "T " << kind << ' ' << timer.nsecsElapsed() / 1000 << '\n';
    }

private:
    void log(const QString& key, Tally& tally) {
        complaints::NewComplaint c;
        c.subscriberId = key;
        c.name = m_tag;
        c.mobile = QStringLiteral("9847000000");
        c.issueTime = QStringLiteral("4/12/2021 10:00:00 AM");
        c.description = QStringLiteral("NO SIGNAL");
        c.user = m_tag;
        try {
            m_screen.open();
            m_logged = complaints::logComplaint(m_screen, c).number;
            m_screen.close();
            if (m_logged.isEmpty())
                report(tally, Told::Failed, key, QStringLiteral("an open complaint stood"));
            else
                report(tally, Told::Allocated, key + QLatin1Char(' ') + m_logged);
        } catch (const std::exception& e) {
            m_screen.closeTo(0);
            m_logged.clear();
            report(tally, Told::Failed, key, QString::fromUtf8(e.what()));
        }
    }

    void lookUp(QWidget* form, const QString& box, const QString& number) {
        support::type(form, box, number);
        support::leave(form, box);
    }

    void updateComplaint(const QString& number, const QString& key, Tally& tally) {
        lookUp(&m_complaints, QStringLiteral("Text6"), number);
        support::find<QPlainTextEdit>(&m_complaints, QStringLiteral("Text10"))->setPlainText(key);
        submitUntilStored(
            m_desk, tally, key, [&] { support::click(&m_complaints, QStringLiteral("Command2")); },
            [&] { return m_desk.dialogs.last() == QStringLiteral("COMPLAINT UPDATED"); });
    }

    // Closes the complaint this desk logged last, as looked up on the register.
    void closeLogged(const QString& key, Tally& tally) {
        if (m_logged.isEmpty())
            return report(tally, Told::Failed, key, QStringLiteral("nothing logged to close"));
        lookUp(&m_complaints, QStringLiteral("Text6"), m_logged);
        m_desk.dialogs.clear();
        support::click(&m_complaints, QStringLiteral("Command3"));
        tell(m_desk, tally, key + QLatin1Char(' ') + m_logged,
             QStringLiteral("CLOSED SUCCESSFULLY"), [](const QString&) { return false; });
        m_logged.clear();
    }

    void updateTicket(const QString& number, const QString& key, Tally& tally) {
        lookUp(&m_faults, QStringLiteral("Text1"), number);
        support::type(&m_faults, QStringLiteral("Text2"), key);
        const auto submit = [&] {
            // Only a stored update asks whether to remind anyone.
            if (m_desk.dialogs.unanswered() == 0)
                m_desk.dialogs.answer(false);
            support::click(&m_faults, QStringLiteral("Command2"));
        };
        submitUntilStored(m_desk, tally, key, submit, [&] {
            return m_desk.dialogs.texts().contains(QStringLiteral("SEND REMINDER TO VUVA"));
        });
    }

    void assignVlan(const QString& key, Tally& tally) {
        // The free list is read again for every assignment, as a desk does.
        support::choose(&m_vlans, QStringLiteral("Combo3"), site);
        firstEntry(&m_vlans, QStringLiteral("Combo4"));
        support::type(&m_vlans, QStringLiteral("Text1"), key);
        m_desk.dialogs.clear();
        support::click(&m_vlans, QStringLiteral("Command1"));
        tell(m_desk, tally, key, QStringLiteral("INNER VLAN UPDATED"), [](const QString& shown) {
            return shown == QStringLiteral("INNER VLAN NOT AVAILABLE");
        });
    }

    Desk& m_desk;
    QString m_tag;
    db::ScreenDb m_screen;
    complaints::ComplaintRegisterForm m_complaints;
    faults::SiteFaultForm m_faults;
    provisioning::InnerVlanForm m_vlans;
    QStringList m_tickets, m_hot, m_pair;
    QString m_logged;
};

// With ZEL_POOL_DRIVER_THINK_MS set to T, the desk's operator reads and types
// for a while before each action: between 0 and 2T ms, evenly spread, the
// event loop running meanwhile as the client's does. The time is not the
// action's.
void mixedDay(Desk& desk, const QString& tag, int actions, Tally& tally) {
    MixedDesk mixed(desk, tag);
    const int think = qEnvironmentVariableIntValue("ZEL_POOL_DRIVER_THINK_MS");
    std::mt19937 random(static_cast<unsigned>(qHash(tag)));
    std::uniform_int_distribution<int> pause(0, 2 * think);
    for (int i = 0; i < actions; ++i) {
        if (think > 0) {
            QEventLoop reading;
            QTimer::singleShot(pause(random), &reading, &QEventLoop::quit);
            reading.exec();
        }
        mixed.act(i, tally);
    }
}

// With ZEL_POOL_DRIVER_GATE set, the worker says "ready" once it can work
// and starts on the line its test sends, so workers that start up at
// different speeds still race from the first attempt.
void waitForTheStart() {
    if (qEnvironmentVariableIsEmpty("ZEL_POOL_DRIVER_GATE"))
        return;
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    char line[16];
    if (!std::fgets(line, sizeof line, stdin))
        std::exit(3);
}

int usage() {
    std::fputs("usage: pool_driver seed|seed-mixed <database> <rows>\n"
               "       pool_driver vlan|voip|voip-shared|equipment|ticket|complaint|open|log|mixed "
               "<database> "
               "<tag> <attempts>\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList args = application.arguments().mid(1);
    if (args.size() == 3 &&
        (args.at(0) == QStringLiteral("seed") || args.at(0) == QStringLiteral("seed-mixed"))) {
        try {
            const auto settings = db::DbSettings::fromConfig(configFor(args.at(1)));
            seed(settings, args.at(2).toInt());
            if (args.at(0) == QStringLiteral("seed-mixed"))
                seedHotRows(settings);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
        return 0;
    }
    if (args.size() != 4)
        return usage();
    Desk desk(args.at(1));
    waitForTheStart();
    const QString tag = args.at(2);
    const int attempts = args.at(3).toInt();
    Tally tally;
    if (args.at(0) == QStringLiteral("vlan"))
        registrations(desk, tag, attempts, tally);
    else if (args.at(0) == QStringLiteral("voip") || args.at(0) == QStringLiteral("voip-shared"))
        voiceAddresses(desk, tag, attempts, tally, args.at(0) == QStringLiteral("voip-shared"));
    else if (args.at(0) == QStringLiteral("equipment"))
        equipmentRows(desk, tag, attempts, tally);
    else if (args.at(0) == QStringLiteral("ticket"))
        ticketEntries(desk, tag, attempts, tally);
    else if (args.at(0) == QStringLiteral("complaint"))
        complaintEntries(desk, tag, attempts, tally);
    else if (args.at(0) == QStringLiteral("open"))
        newTickets(desk, tag, attempts, tally);
    else if (args.at(0) == QStringLiteral("log"))
        newComplaints(desk, tag, attempts, tally);
    else if (args.at(0) == QStringLiteral("mixed"))
        mixedDay(desk, tag, attempts, tally);
    else
        return usage();
    QTextStream(stdout) << "attempts=" << attempts << " allocated=" << tally.allocated
                        << " refused=" << tally.refused << " failed=" << tally.failed << '\n';
    return 0;
}
