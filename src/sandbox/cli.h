#pragma once

#include <QStringList>

namespace sandbox {

// zelcrm-sandbox's command line: serve until SIGTERM or SIGINT.
int runCommandLine(const QStringList& arguments);

} // namespace sandbox
