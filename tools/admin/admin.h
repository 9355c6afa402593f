#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

namespace admin {

// Exit statuses of zelcrm-admin.
enum ExitCode { Ok = 0, Failed = 1, BadArguments = 2 };

// Runs one command line (the arguments after the program name). Results go
// to `out`; the usage text and errors go to `err`.
int run(const QStringList& args, QTextStream& out, QTextStream& err);

QString usage();

// Loads the demo data set into a database made by db::createSqliteDatabase,
// in one transaction: either all of it or nothing. Throws db::Error.
void loadDemoData(const QString& path);

} // namespace admin
