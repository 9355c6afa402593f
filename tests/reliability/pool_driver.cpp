// One workstation handing out pool entries as fast as it can, through the
// product's own code: registrations for inner VLAN pairs, the voice IP screen
// for addresses, the equipment details screen for free BTS rows. Several of
// these run at once against one SQLite file to show that no entry is given
// out twice and that every refusal reaches the operator.
//
//   pool_driver seed <database> <rows>            creates the file if missing, fills the pools
//   pool_driver vlan|voip|equipment <database> <tag> <attempts>
//
// A worker prints one line per attempt, "+ <key>" when it was told the entry
// is its own, "- <key>" when it was told it was refused, "! <key> <message>"
// for anything else, then "attempts=.. allocated=.. refused=.. failed=..".
#include "core/config.h"
#include "core/session.h"
#include "db/db_settings.h"
#include "db/error.h"
#include "db/schema.h"
#include "db/screen_db.h"
#include "masterdata/equipment_details_form.h"
#include "provisioning/registration.h"
#include "provisioning/voice_ip_form.h"
#include "support/fake_adapters.h"
#include "support/scripted_dialogs.h"
#include "support/settable_clock.h"
#include "support/widgets.h"

#include <QApplication>
#include <QFile>
#include <QTextStream>
#include <cstdio>
#include <exception>
#include <functional>

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

void seed(const QString& path, int rows) {
    if (!QFile::exists(path))
        db::createSqliteDatabase(path);
    db::DbSettings settings;
    settings.backend = db::Backend::Sqlite;
    settings.sqlitePath = path;
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
    explicit Desk(const QString& path)
        : config(core::Config::fromValues(
              {{QStringLiteral("database/backend"), QStringLiteral("sqlite")},
               {QStringLiteral("database/sqlite_path"), path}},
              QStringLiteral("pool.ini")))
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

void registrations(Desk& desk, const QString& tag, int attempts, Tally& tally) {
    db::ScreenDb screen(desk.database);
    QStringList pair;
    for (int i = 0; i < attempts; ++i) {
        const QString key = tag + QLatin1Char('-') + QString::number(i);
        try {
            // Once the pool is empty the desk still holds the pair it saw
            // last, which someone has taken by now.
            if (const auto free = firstFreePair(screen); !free.isEmpty())
                pair = free;
        } catch (const std::exception& e) {
            report(tally, Told::Failed, key,
                   QStringLiteral("reading the free list: ") + QString::fromUtf8(e.what()));
            continue;
        }
        try {
            const auto result =
                provisioning::registerCustomer(screen, entryFor(key, pair), desk.clock);
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

void firstEntry(QWidget* form, const QString& box) {
    const QStringList free = support::entries(form, box);
    if (!free.isEmpty())
        support::choose(form, box, free.first());
    else
        support::type(form, box, QString());
}

void voiceAddresses(Desk& desk, const QString& tag, int attempts, Tally& tally) {
    provisioning::VoiceIpForm form(desk.app);
    support::choose(&form, QStringLiteral("Combo1"), QStringLiteral("FTTH"));
    support::choose(&form, QStringLiteral("Combo2"), circle);
    for (int i = 0; i < attempts; ++i) {
        const QString key = tag + QLatin1Char('-') + QString::number(i);
        // The list is read again for every number, as a desk does.
        support::choose(&form, QStringLiteral("Combo3"), bng);
        firstEntry(&form, QStringLiteral("Combo4"));
        support::type(&form, QStringLiteral("Text1"), key);
        support::click(&form, QStringLiteral("Command1"));
        tell(desk, tally, key, QStringLiteral("VOICE IP UPDATED"), [](const QString& shown) {
            return shown == QStringLiteral("VOICE IP NOT AVAILABLE");
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

int usage() {
    std::fputs("usage: pool_driver seed <database> <rows>\n"
               "       pool_driver vlan|voip|equipment <database> <tag> <attempts>\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList args = application.arguments().mid(1);
    if (args.size() == 3 && args.at(0) == QStringLiteral("seed")) {
        try {
            seed(args.at(1), args.at(2).toInt());
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
        return 0;
    }
    if (args.size() != 4)
        return usage();
    Desk desk(args.at(1));
    const QString tag = args.at(2);
    const int attempts = args.at(3).toInt();
    Tally tally;
    if (args.at(0) == QStringLiteral("vlan"))
        registrations(desk, tag, attempts, tally);
    else if (args.at(0) == QStringLiteral("voip"))
        voiceAddresses(desk, tag, attempts, tally);
    else if (args.at(0) == QStringLiteral("equipment"))
        equipmentRows(desk, tag, attempts, tally);
    else
        return usage();
    QTextStream(stdout) << "attempts=" << attempts << " allocated=" << tally.allocated
                        << " refused=" << tally.refused << " failed=" << tally.failed << '\n';
    return 0;
}
