#include "admin.h"

#include "postgresql_load.h"
#include "sqlite_file.h"
#include "synthetic.h"

#include "db/error.h"
#include "db/schema.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <QTextStream>
#include <functional>

namespace admin {

namespace {

// A command line that does not fit any command: reported with the usage
// text and exit status 2.
struct UsageError {
    QString message;
};

QString demoScript() {
    QFile f(QStringLiteral(":/admin/demo.sql"));
    if (!f.open(QIODevice::ReadOnly))
        throw db::Error(QStringLiteral("The demo data is missing from this build"));
    return QString::fromUtf8(f.readAll());
}

qint64 count(const QString& option, const QString& value) {
    bool ok = false;
    const qint64 n = value.toLongLong(&ok);
    if (!ok || n < 0)
        throw UsageError{QStringLiteral("%1 needs a whole number, not \"%2\"").arg(option, value)};
    return n;
}

// Splits "FILE --name value --flag" into the positional arguments and the
// options; `valued` names the options that take a value ("--name=value" is
// accepted too).
struct Parsed {
    QStringList positional;
    QHash<QString, QString> options;
};

Parsed parse(const QStringList& args, const QStringList& valued, const QStringList& flags) {
    Parsed parsed;
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString arg = args.at(i);
        if (!arg.startsWith(QLatin1String("--"))) {
            parsed.positional << arg;
            continue;
        }
        QString value;
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        const bool inlineValue = eq > 0;
        if (inlineValue) {
            value = arg.mid(eq + 1);
            arg = arg.left(eq);
        }
        if (parsed.options.contains(arg))
            throw UsageError{QStringLiteral("%1 is given twice").arg(arg)};
        if (valued.contains(arg)) {
            if (!inlineValue) {
                if (i + 1 >= args.size())
                    throw UsageError{QStringLiteral("%1 needs a value").arg(arg)};
                value = args.at(++i);
            }
            parsed.options.insert(arg, value);
        } else if (flags.contains(arg) && !inlineValue) {
            parsed.options.insert(arg, QString());
        } else {
            throw UsageError{QStringLiteral("unknown option %1").arg(args.at(i))};
        }
    }
    return parsed;
}

QString singleFile(const Parsed& parsed) {
    if (parsed.positional.size() != 1)
        throw UsageError{QStringLiteral("expected one database FILE")};
    return parsed.positional.first();
}

void removeDatabaseFiles(const QString& path) {
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(path + suffix);
}

const QString postgreSqlOption = QStringLiteral("--postgresql");

// The server a command writes to instead of a FILE, or empty.
QString serverOf(const Parsed& parsed) {
    if (!parsed.options.contains(postgreSqlOption))
        return {};
    if (!parsed.positional.isEmpty())
        throw UsageError{QStringLiteral("give either a database FILE or --postgresql CONNINFO")};
    const QString conninfo = parsed.options.value(postgreSqlOption).trimmed();
    if (conninfo.isEmpty())
        throw UsageError{QStringLiteral("--postgresql needs a connection text, e.g. "
                                        "\"host=/run/postgresql dbname=zelcrm\"")};
    return conninfo;
}

// Rows made in a SQLite file of a temporary folder, then copied to the server
// in one transaction: the server gets exactly the rows a FILE would.
qint64 loadOnServer(const QString& conninfo, const std::function<void(const QString&)>& fill) {
    const QTemporaryDir folder;
    if (!folder.isValid())
        throw db::Error(
            QStringLiteral("No temporary folder for the rows: %1").arg(folder.errorString()));
    const QString path = folder.filePath(QStringLiteral("rows.db"));
    db::createSqliteDatabase(path);
    fill(path);
    return copyIntoPostgreSql(path, conninfo);
}

int initDbOnServer(const QString& conninfo, bool demo, QTextStream& out) {
    createPostgreSqlSchema(conninfo);
    if (demo)
        loadOnServer(conninfo, [](const QString& path) { loadDemoData(path); });
    out << (demo ? QStringLiteral("Created the schema in \"%1\" with the demo data\n")
                 : QStringLiteral("Created the schema in \"%1\"\n"))
               .arg(conninfo);
    return Ok;
}

int initDb(const QStringList& args, QTextStream& out) {
    const Parsed parsed = parse(args, {postgreSqlOption}, {QStringLiteral("--demo")});
    const bool demo = parsed.options.contains(QStringLiteral("--demo"));
    if (const QString conninfo = serverOf(parsed); !conninfo.isEmpty())
        return initDbOnServer(conninfo, demo, out);
    const QString path = singleFile(parsed);
    const bool existed = QFileInfo::exists(path);
    try {
        db::createSqliteDatabase(path);
        if (demo)
            loadDemoData(path);
    } catch (const db::Error&) {
        // A half-made file would only be refused by the next init-db; a file
        // that was there before is left alone.
        if (!existed)
            removeDatabaseFiles(path);
        throw;
    }
    out << (demo ? QStringLiteral("Created %1 with the demo data\n")
                 : QStringLiteral("Created %1\n"))
               .arg(path);
    return Ok;
}

int seed(const QStringList& args, QTextStream& out) {
    const QString subscribersOption = QStringLiteral("--subscribers");
    const QString complaintsOption = QStringLiteral("--complaints");
    const QString seedOption = QStringLiteral("--seed");
    const QString ticketsOption = QStringLiteral("--tickets");
    const QString outagesOption = QStringLiteral("--outages");
    const Parsed parsed = parse(args,
                                {subscribersOption, complaintsOption, seedOption, ticketsOption,
                                 outagesOption, postgreSqlOption},
                                {});
    const QString conninfo = serverOf(parsed);
    const QString path =
        conninfo.isEmpty() ? singleFile(parsed) : QStringLiteral("\"%1\"").arg(conninfo);
    for (const QString& required : {subscribersOption, complaintsOption})
        if (!parsed.options.contains(required))
            throw UsageError{QStringLiteral("%1 is required").arg(required)};

    SeedOptions options;
    options.subscribers = count(subscribersOption, parsed.options.value(subscribersOption));
    options.complaints = count(complaintsOption, parsed.options.value(complaintsOption));
    if (parsed.options.contains(seedOption))
        options.seed = static_cast<quint64>(count(seedOption, parsed.options.value(seedOption)));
    if (parsed.options.contains(ticketsOption))
        options.tickets = count(ticketsOption, parsed.options.value(ticketsOption));
    if (parsed.options.contains(outagesOption))
        options.outages = count(outagesOption, parsed.options.value(outagesOption));
    if (options.complaints > 0 && options.subscribers == 0)
        throw UsageError{QStringLiteral("complaints need --subscribers of at least 1")};

    QElapsedTimer timer;
    timer.start();
    SeedCounts counts;
    if (conninfo.isEmpty())
        counts = seedSynthetic(path, options);
    else
        loadOnServer(conninfo, [&](const QString& file) { counts = seedSynthetic(file, options); });
    out << QStringLiteral("Seeded %1 subscribers, %2 complaints, %3 inner VLAN pairs, %4 "
                          "voice IPs, %5 fault tickets and %6 outages into %7 in %8 s\n")
               .arg(counts.subscribers)
               .arg(counts.complaints)
               .arg(counts.innerVlanPairs)
               .arg(counts.voiceIps)
               .arg(counts.tickets)
               .arg(counts.outages)
               .arg(path)
               .arg(timer.elapsed() / 1000.0, 0, 'f', 1);
    return Ok;
}

int printSchema(const QStringList& args, QTextStream& out) {
    static const QList<std::pair<QString, db::Backend>> backends = {
        {QStringLiteral("sqlite"), db::Backend::Sqlite},
        {QStringLiteral("sqlserver"), db::Backend::SqlServer},
        {QStringLiteral("postgresql"), db::Backend::PostgreSql},
    };
    for (const auto& [name, backend] : backends)
        if (args.size() == 1 && args.first() == name) {
            out << db::schemaScript(backend);
            return Ok;
        }
    throw UsageError{QStringLiteral("print-schema takes sqlite, sqlserver or postgresql")};
}

} // namespace

QString usage() {
    return QStringLiteral(
        "Usage:\n"
        "  zelcrm-admin init-db FILE [--demo]\n"
        "  zelcrm-admin init-db --postgresql CONNINFO [--demo]\n"
        "      Create a new SQLite database FILE with the ZEL CRM schema, or the\n"
        "      schema in the empty PostgreSQL database CONNINFO names (libpq's\n"
        "      \"host=... dbname=... user=...\" form; the password from ~/.pgpass);\n"
        "      --demo also loads a small demo data set (operators 9876500000,\n"
        "      9876500001 and 9876500002).\n"
        "  zelcrm-admin seed-synthetic FILE|--postgresql CONNINFO --subscribers N\n"
        "                              --complaints M [--seed S] [--tickets T] [--outages K]\n"
        "      Add N synthetic subscribers and M complaints (plus a matching pool\n"
        "      of inner VLANs and voice IPs), T fault tickets, the last hundredth\n"
        "      still open, and K outages, one in a hundred not closed, for\n"
        "      benchmarks. The same arguments give the same data. FILE is created\n"
        "      when missing; a PostgreSQL database needs init-db --postgresql first.\n"
        "  zelcrm-admin print-schema sqlite|sqlserver|postgresql\n"
        "      Print the schema script, e.g. for sqlcmd or psql on the production\n"
        "      server.\n"
        "\n"
        "Exit status: 0 done, 1 failed, 2 bad arguments.\n");
}

void loadDemoData(const QString& path) {
    const QString script = demoScript();
    SqliteFile file(path, false);
    file.exec(QStringLiteral("BEGIN"));
    try {
        file.exec(script);
        file.exec(QStringLiteral("COMMIT"));
    } catch (const db::Error&) {
        file.exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

int run(const QStringList& args, QTextStream& out, QTextStream& err) {
    if (args.isEmpty()) {
        err << usage();
        return BadArguments;
    }
    const QString command = args.first();
    const QStringList rest = args.mid(1);
    try {
        if (command == QLatin1String("init-db"))
            return initDb(rest, out);
        if (command == QLatin1String("seed-synthetic"))
            return seed(rest, out);
        if (command == QLatin1String("print-schema"))
            return printSchema(rest, out);
        if (command == QLatin1String("help") || command == QLatin1String("--help") ||
            command == QLatin1String("-h")) {
            out << usage();
            return Ok;
        }
        throw UsageError{QStringLiteral("unknown command %1").arg(command)};
    } catch (const UsageError& e) {
        err << QStringLiteral("zelcrm-admin: %1\n\n").arg(e.message) << usage();
        return BadArguments;
    } catch (const db::Error& e) {
        err << QStringLiteral("zelcrm-admin: %1\n").arg(e.message());
        return Failed;
    }
}

} // namespace admin
