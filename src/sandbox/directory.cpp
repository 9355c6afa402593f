#include "sandbox/directory.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace sandbox {

namespace {

QAtomicInt g_connections;

// A named connection that is removed when the lookup ends.
class Connection {
public:
    explicit Connection(const QString& file)
        : m_name(QStringLiteral("sandbox-directory-%1").arg(g_connections.fetchAndAddRelaxed(1))) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
        if (!QFileInfo::exists(file) || !db.open())
            m_error = QStringLiteral("the demo database %1 cannot be read: %2")
                          .arg(file, db.lastError().text());
    }
    ~Connection() { QSqlDatabase::removeDatabase(m_name); }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }
    QString error() const { return m_error; }

private:
    QString m_name;
    QString m_error;
};

const QString kColumns = QStringLiteral(
    "select ID, name, Address, ssa, circle, PHONE, Mobile, BA, status, policy, AP, nas_ip, "
    "SERVICE from cdata where ");

QString digitsOnly(QString number) {
    number.remove(QLatin1Char('-'));
    number.remove(QLatin1Char(' '));
    return number;
}

} // namespace

Directory::Directory(QString databaseFile)
    : m_file(std::move(databaseFile)) {}

std::optional<Subscriber> Directory::first(const QString& where, const QStringList& values) const {
    std::optional<Subscriber> found;
    {
        const Connection connection(m_file);
        if (!connection.error().isEmpty())
            throw DirectoryError(connection.error().toStdString());
        QSqlQuery q(connection.db());
        q.prepare(kColumns + where);
        for (const QString& v : values)
            q.addBindValue(v);
        if (!q.exec())
            throw DirectoryError(q.lastError().text().toStdString());
        if (q.next()) {
            auto text = [&q](int i) { return q.value(i).toString().trimmed(); };
            found = Subscriber{text(0), text(1), text(2), text(3),  text(4),  text(5), text(6),
                               text(7), text(8), text(9), text(10), text(11), text(12)};
        }
    }
    return found;
}

std::optional<Subscriber> Directory::byUserName(const QString& userName) const {
    return first(QStringLiteral("trim(ID) = ? COLLATE NOCASE order by rowid limit 1"),
                 {userName.trimmed()});
}

std::optional<Subscriber> Directory::byTelephone(const QString& number) const {
    QString n = digitsOnly(number.trimmed());
    if (n.isEmpty())
        return std::nullopt;
    // 011 2345 6789, 11 2345 6789 and 2345 6789 are one Delhi number.
    for (const QString& prefix : {QStringLiteral("011"), QStringLiteral("0")})
        if (n.startsWith(prefix) && n.size() > prefix.size() + 6) {
            n = n.mid(prefix.size());
            break;
        }
    const QString phone = QStringLiteral("replace(replace(PHONE, '-', ''), ' ', '')");
    const QString telephone = QStringLiteral("replace(replace(TELEPHONE, '-', ''), ' ', '')");
    const QString where = QStringLiteral("%1 in (?, ?, ?, ?) or %2 in (?, ?, ?, ?) or Mobile = ? "
                                         "order by rowid limit 1")
                              .arg(phone, telephone);
    const QStringList forms{n, QLatin1Char('0') + n, QStringLiteral("11") + n,
                            QStringLiteral("011") + n};
    return first(where, forms + forms + QStringList{n});
}

} // namespace sandbox
