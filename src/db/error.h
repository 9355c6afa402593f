#pragma once

#include <QString>
#include <stdexcept>

namespace db {

// A failure of the database layer: the connection could not be opened, the
// server refused a statement, a value could not be converted, or a field was
// read where there is no current row. Carries the server's own message.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message)
        : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

} // namespace db
