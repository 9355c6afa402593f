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

} // namespace onu
