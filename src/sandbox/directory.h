#pragma once

#include <QString>
#include <optional>
#include <stdexcept>

namespace sandbox {

// One subscriber as the outside directories know it, read from the client's
// own cdata rows so a lookup finds the subscriber an operator typed.
struct Subscriber {
    QString id, name, address, ssa, circle;
    QString phone; // landline as stored, dashes included
    QString mobile;
    QString account; // billing account number
    QString status, policy, ap, nasIp, service;
};

class DirectoryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Read-only view of the demo database's subscribers. Every lookup opens and
// closes its own connection, so the client may write the file meanwhile.
class Directory {
public:
    explicit Directory(QString databaseFile);

    // By user name, case-insensitive as the database compares.
    std::optional<Subscriber> byUserName(const QString& userName) const;
    // By a telephone number in any of the forms desks type it: with or
    // without the leading 0 or area code 11, dashes ignored; mobile too.
    std::optional<Subscriber> byTelephone(const QString& number) const;

private:
    std::optional<Subscriber> first(const QString& where, const QStringList& values) const;
    QString m_file;
};

} // namespace sandbox
