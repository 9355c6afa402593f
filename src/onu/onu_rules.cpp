#include "onu/onu_rules.h"

#include "db/row_cursor.h"

namespace onu {

QString normaliseKey(const QString& typed) {
    QString key = typed;
    key.remove(QLatin1Char('-'));
    key.remove(QLatin1Char(' '));
    if (key.startsWith(QLatin1Char('0')))
        key.remove(0, 1);
    return key;
}

CompositeParts splitComposite(const QString& stored) {
    const qsizetype slash = stored.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return {std::nullopt, stored};
    return {stored.left(slash), stored.mid(slash + 1)};
}

bool isMtnl(const QString& service) {
    return db::trimBlanks(service) == QLatin1String("MTNL");
}

QString phoneForPage(const QString& phone) {
    QString copy = phone;
    return copy.replace(QLatin1Char('+'), QLatin1Char('k'));
}

QString wifiNameForOnu(const QString& name) {
    QString copy = name;
    return copy.replace(QLatin1Char(' '), QLatin1Char('-'));
}

bool wifiPasswordLongEnough(const QString& password) {
    return password.size() >= 8;
}

namespace {

QString macLine(const MacWrite& write, const QString& database, const QString& id) {
    const QString where = QStringLiteral(" ON THE %1 DATABASE").arg(database);
    if (write.failure)
        return QStringLiteral("MAC NOT UPDATED") + where + QStringLiteral(": ") + *write.failure;
    if (write.changed > 0)
        return QStringLiteral("MAC UPDATED") + where;
    return QStringLiteral("NO OLT ROW FOR ") + id + where;
}

} // namespace

QString macUpdateReport(const MacWrite& main, const MacWrite& second, const QString& id) {
    if (main.failure || second.failure)
        return macLine(main, QStringLiteral("MAIN"), id) + QLatin1Char('\n') +
               macLine(second, QStringLiteral("SECOND"), id);
    if (main.changed > 0 && second.changed > 0)
        return QStringLiteral("MAC UPDATED");
    if (main.changed > 0)
        return QStringLiteral("MAC UPDATED ON THE MAIN DATABASE ONLY");
    if (second.changed > 0)
        return QStringLiteral("MAC UPDATED ON THE SECOND DATABASE ONLY");
    return QStringLiteral("NO OLT ROW FOR ") + id;
}

} // namespace onu
