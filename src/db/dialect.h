#pragma once

#include "db/db_settings.h"

#include <QString>

namespace db {

// The outages that went down yesterday, newest first. The server's text uses
// DATEDIFF/GETDATE; SQLite gets the same calendar-day difference on the local
// clock.
QString yesterdaysOutagesSql(Backend backend);

} // namespace db
