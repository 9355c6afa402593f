#pragma once

#include "db/values.h"

#include <QSqlDatabase>

namespace db {

class GridModel;

// The grid's fast path on PostgreSQL: the answer's texts go from libpq into
// the grid as the server sends them, a row at a time, without a QVariant per
// cell (a date-time cell costs Qt a parse and the grid a format back).
// False, with nothing sent, when the connection is not PostgreSQL's or the
// answer would have a column whose server text differs from what the screens
// show (dates, booleans, floats, zoned times); the caller binds it the
// general way then. `sql` is the statement as the screen wrote it.
bool bindPostgreSqlGrid(const QSqlDatabase& db, GridModel& grid, const QString& sql,
                        const Params& params);

} // namespace db
