#pragma once

// Workstation processes (pool_driver) run against the test's database: the
// INI they read it from, and what each was told, read from its output.
#include "support/test_db.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStringList>

namespace workers {

struct Told {
    QSet<QString> allocated, refused;
    QStringList failures;
    QString summary;
};

inline Told collect(QProcess& worker, int waitMs = 600000) {
    Told told;
    if (!worker.waitForFinished(waitMs))
        told.failures << QStringLiteral("worker did not finish");
    const auto lines = QString::fromUtf8(worker.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (line.startsWith(QStringLiteral("+ ")))
            told.allocated.insert(line.mid(2));
        else if (line.startsWith(QStringLiteral("- ")))
            told.refused.insert(line.mid(2));
        else if (line.startsWith(QStringLiteral("! ")))
            told.failures << line;
        else if (line.startsWith(QStringLiteral("attempts=")))
            told.summary = line;
    }
    if (worker.exitCode() != 0)
        told.failures << QString::fromUtf8(worker.readAllStandardError());
    return told;
}

// The [database] section of the test's database, as a workstation reads it.
inline QString iniFor(const support::TestDb& db, const QDir& folder) {
    const QString path = folder.filePath(QStringLiteral("workstation.ini"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    QByteArray text = "[database]\n";
    const auto values = db.configValues();
    for (auto it = values.begin(); it != values.end(); ++it)
        text += it.key().section(QLatin1Char('/'), 1).toUtf8() + '=' + it.value().toUtf8() + '\n';
    file.write(text);
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return path;
}

// Starts one pool_driver process per tag, each making `attempts` attempts,
// and lets them begin together once every one is ready: a worker that is up
// first would otherwise finish a fast pool alone.
inline void start(std::vector<std::unique_ptr<QProcess>>& processes, const QString& mode,
                  const QString& ini, const QStringList& tags, int attempts) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZEL_POOL_DRIVER_GATE"), QStringLiteral("1"));
    const std::size_t first = processes.size();
    for (const QString& tag : tags) {
        processes.push_back(std::make_unique<QProcess>());
        processes.back()->setProcessEnvironment(env);
        processes.back()->start(QStringLiteral(POOL_DRIVER),
                                {mode, ini, tag, QString::number(attempts)});
    }
    for (std::size_t i = first; i < processes.size(); ++i) {
        QProcess& worker = *processes[i];
        while (!worker.canReadLine() && worker.waitForReadyRead(60000)) {
        }
        worker.readLine(); // "ready"
    }
    // QProcess writes from the event loop; each start is pushed out at once.
    for (std::size_t i = first; i < processes.size(); ++i)
        processes[i]->write("go\n");
    for (std::size_t i = first; i < processes.size(); ++i)
        processes[i]->waitForBytesWritten(60000);
}

} // namespace workers
