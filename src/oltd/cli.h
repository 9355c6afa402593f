#pragma once

#include <QStringList>

namespace oltd {

// zelcrm-oltd's command line; returns the process's exit code. Needs a
// QCoreApplication.
int runCommandLine(const QStringList& arguments);

} // namespace oltd
