#pragma once

#include <QByteArray>
#include <QString>

// What the programs shipped as services (zelcrm-oltd, zelcrm-sandbox) share:
// their log lines, their port file and their clean stop.
namespace core {

// "«ISO time» «program»: «line»" on standard error, flushed at once.
void serviceLog(const char* program, const QString& line);

// Writes the file whole or not at all: a starter polling it never reads half.
bool writeFileWhole(const QString& path, const QByteArray& content);

// From now on SIGTERM and SIGINT end the application's event loop, through a
// socket pair (the one thing a signal handler may safely touch). False when
// the pair cannot be made; nothing is installed then.
bool quitOnTermination();

} // namespace core
