#include "oltd/onu_index.h"

#include "oltd/mac.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>

namespace oltd {

namespace {

bool sameOnu(const OnuLocation& a, const QString& port, int onuId) {
    return a.port == port && a.onuId == onuId;
}

QJsonObject toJson(const OnuLocation& l) {
    return {{QStringLiteral("port"), l.port},
            {QStringLiteral("onu"), l.onuId},
            {QStringLiteral("serial"), l.serial},
            {QStringLiteral("mac"), l.mac},
            {QStringLiteral("seen"), l.seen.toUTC().toString(Qt::ISODate)}};
}

OnuLocation fromJson(const QJsonObject& o) {
    return {o.value(QStringLiteral("port")).toString(), o.value(QStringLiteral("onu")).toInt(-1),
            o.value(QStringLiteral("serial")).toString(), o.value(QStringLiteral("mac")).toString(),
            QDateTime::fromString(o.value(QStringLiteral("seen")).toString(), Qt::ISODate)};
}

} // namespace

QString serialTail(const QString& serial) {
    static const QRegularExpression hex8(QStringLiteral("([0-9A-Fa-f]{8})\\)?\\s*$"));
    const auto m = hex8.match(serial.trimmed());
    return m.hasMatch() ? m.captured(1).toUpper() : QString();
}

OnuIndex::OnuIndex(QString file)
    : m_file(std::move(file)) {
    load();
}

std::optional<OnuLocation> OnuIndex::byMac(const QString& macDigits) const {
    QMutexLocker lock(&m_mutex);
    const auto it = m_byMac.constFind(macDigits.toUpper());
    if (it == m_byMac.constEnd())
        return std::nullopt;
    return *it;
}

std::optional<OnuLocation> OnuIndex::bySerial(const QString& serial) const {
    const QString tail = serialTail(serial);
    if (tail.isEmpty())
        return std::nullopt;
    for (const OnuLocation& l : all())
        if (serialTail(l.serial) == tail)
            return l;
    return std::nullopt;
}

std::optional<OnuLocation> OnuIndex::byOnu(const QString& port, int onuId) const {
    for (const OnuLocation& l : all())
        if (sameOnu(l, port, onuId))
            return l;
    return std::nullopt;
}

QList<OnuLocation> OnuIndex::matching(const QString& key, int limit) const {
    const QString digits = macDigits(key);
    const QString upper = key.trimmed().toUpper();
    QList<OnuLocation> found;
    for (const OnuLocation& l : all()) {
        if (found.size() >= limit)
            break;
        const bool byMac = !digits.isEmpty() && !l.mac.isEmpty() && l.mac.endsWith(digits);
        const bool bySerial = !upper.isEmpty() && l.serial.toUpper().endsWith(upper);
        if (byMac || bySerial)
            found.append(l);
    }
    return found;
}

QList<OnuLocation> OnuIndex::all() const {
    QMutexLocker lock(&m_mutex);
    QList<OnuLocation> list = m_byMac.values();
    list += m_withoutMac;
    std::sort(list.begin(), list.end(), [](const OnuLocation& a, const OnuLocation& b) {
        return std::tie(a.port, a.onuId, a.mac) < std::tie(b.port, b.onuId, b.mac);
    });
    return list;
}

void OnuIndex::remember(const OnuLocation& location) {
    QMutexLocker lock(&m_mutex);
    const QString tail = serialTail(location.serial);
    // The ONU id now holds another ONU: what was known of the old one there
    // is wrong.
    const auto replaced = [&](const OnuLocation& l) {
        return sameOnu(l, location.port, location.onuId) && !tail.isEmpty() &&
               !serialTail(l.serial).isEmpty() && serialTail(l.serial) != tail;
    };
    m_byMac.removeIf([&](const auto& it) { return replaced(it.value()); });
    m_withoutMac.removeIf([&](const OnuLocation& l) {
        return replaced(l) || sameOnu(l, location.port, location.onuId);
    });
    if (location.mac.isEmpty()) {
        const bool known = std::any_of(m_byMac.cbegin(), m_byMac.cend(), [&](const auto& l) {
            return sameOnu(l, location.port, location.onuId);
        });
        if (!known)
            m_withoutMac.append(location);
    } else {
        OnuLocation entry = location;
        entry.mac = location.mac.toUpper();
        m_byMac.insert(entry.mac, entry);
    }
    save();
}

void OnuIndex::forgetMac(const QString& macDigits) {
    QMutexLocker lock(&m_mutex);
    if (m_byMac.remove(macDigits.toUpper()))
        save();
}

void OnuIndex::forgetOnu(const QString& port, int onuId) {
    QMutexLocker lock(&m_mutex);
    m_byMac.removeIf([&](const auto& it) { return sameOnu(it.value(), port, onuId); });
    m_withoutMac.removeIf([&](const OnuLocation& l) { return sameOnu(l, port, onuId); });
    save();
}

void OnuIndex::save() const {
    if (m_file.isEmpty())
        return;
    QJsonArray list;
    for (const OnuLocation& l : m_byMac)
        list.append(toJson(l));
    for (const OnuLocation& l : m_withoutMac)
        list.append(toJson(l));
    QSaveFile out(m_file);
    // The index is a cache: when it cannot be written, the device is asked
    // again after a restart.
    if (out.open(QIODevice::WriteOnly)) {
        out.write(QJsonDocument(list).toJson(QJsonDocument::Compact));
        out.commit();
    }
}

void OnuIndex::load() {
    if (m_file.isEmpty())
        return;
    QFile in(m_file);
    if (!in.open(QIODevice::ReadOnly))
        return;
    for (const QJsonValue& v : QJsonDocument::fromJson(in.readAll()).array()) {
        const OnuLocation l = fromJson(v.toObject());
        if (l.port.isEmpty() || l.onuId < 0)
            continue;
        if (l.mac.isEmpty())
            m_withoutMac.append(l);
        else
            m_byMac.insert(l.mac, l);
    }
}

} // namespace oltd
