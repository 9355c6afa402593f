#pragma once

#include <QStringList>

namespace oltd {

// zelcrm-oltd's command line; returns the process's exit code. Needs a
// QCoreApplication.
int runCommandLine(const QStringList& arguments);

// Every page reads the local time. With TZ unset, the C library looks at
// /etc/localtime again on each reading; naming it once spares that.
void settleTimeZone();

} // namespace oltd
