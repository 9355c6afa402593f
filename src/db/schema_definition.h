#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace db::schema {

// What a column holds; each backend renders a kind in its own type.
enum class Kind {
    Text,     // an ordinary text: names, ids, statuses
    LongText, // an address
    History,  // a history that grows with every update; never indexed
    DateTime, // a time the reports compare in time order
    Integer,  // a number the screens sort or count on
    Identity, // the row's own number, given by the database
};

struct Column {
    const char* name; // as the statements spell it, without brackets
    Kind kind;
};

struct Index {
    const char* name;
    std::vector<const char*> columns;
    const char* where = nullptr; // a partial index's condition
    const char* note = nullptr;  // why the index is there
    // An index for case-blind prefix searches (LIKE 'abc%') on one column.
    // SQLite's NOCASE and SQL Server's case-insensitive collation answer
    // those from the column's own index; PostgreSQL's citext LIKE cannot, so
    // only PostgreSQL gets this one, on the lowered text.
    bool prefixSearch = false;
};

struct Table {
    const char* name;
    const char* note = nullptr;
    std::vector<Column> columns = {};
    std::vector<Index> indexes = {};
};

// Every table of the client's database, in creation order. Screens read
// rows by position and some inserts carry no column list, so the order of
// the columns is part of the definition.
const std::vector<Table>& tables();

// The names of a statement's result columns as the definition spells them.
// PostgreSQL answers with its folded lower-case names; the grids and their
// exports show the names as SQL Server and SQLite give them ("SITE_NAME",
// "fault id"). A name is looked up first in the tables the statement reads
// from, then in any table; an aggregate's column ("count") has no name, as
// on SQL Server. Names the definition does not know stay as they are.
QStringList spelledAsDefined(const QString& sql, const QStringList& names);

} // namespace db::schema
