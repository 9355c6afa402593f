#include "oltd/drivers/huawei/huawei_parse.h"

#include "oltd/session/terminal_text.h"

#include "oltd/mac.h"

#include <QRegularExpression>

namespace oltd::huawei {

namespace {

bool isSeparator(const QString& line) {
    const QString t = line.trimmed();
    return t.size() >= 10 && t.count(QLatin1Char('-')) == t.size();
}

// Everything up to the last separator line: an answer cut short loses its
// closing separator, so what follows the last one cannot be trusted.
// Empty when there are fewer than `atLeast` separators.
QStringList closedPart(const QStringList& lines, int atLeast, bool strict = false) {
    int count = 0;
    qsizetype last = -1;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (isSeparator(lines[i])) {
            ++count;
            last = i;
        }
    if (count < atLeast)
        return {};
    // Strict: text after the last separator means the closing one was lost.
    if (strict)
        for (qsizetype i = last + 1; i < lines.size(); ++i)
            if (!lines[i].trimmed().isEmpty())
                return {};
    return lines.mid(0, last + 1);
}

QString labelKey(const QString& label) {
    return label.simplified().toLower();
}

struct Pair {
    QString key; // labelKey
    QString value;
};

// "label : value" lines. A line indented past the labels that has no colon
// of its own continues the value above it (a wrapped description).
QList<Pair> pairsOf(const QStringList& lines) {
    QList<Pair> pairs;
    bool afterPair = false;
    for (const QString& line : lines) {
        if (line.trimmed().isEmpty() || isSeparator(line)) {
            afterPair = false;
            continue;
        }
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        qsizetype indent = 0;
        while (indent < line.size() && line.at(indent) == QLatin1Char(' '))
            ++indent;
        if (afterPair && indent >= 8) {
            pairs.last().value += line.trimmed();
            continue;
        }
        if (colon <= 0) {
            afterPair = false;
            continue;
        }
        pairs.append({labelKey(line.left(colon)), line.mid(colon + 1).trimmed()});
        afterPair = true;
    }
    return pairs;
}

std::optional<QString> valueOf(const QList<Pair>& pairs,
                               std::initializer_list<const char*> labels) {
    for (const Pair& p : pairs)
        for (const char* l : labels)
            if (p.key == QLatin1String(l))
                return p.value;
    return std::nullopt;
}

std::optional<int> toInt(const QString& text) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

std::optional<qint64> toLong(const QString& text) {
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok);
    return ok && n >= 0 ? std::optional<qint64>(n) : std::nullopt;
}

std::optional<double> toDouble(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^[-+]?\\d+(\\.\\d+)?$"));
    if (!number.match(text.trimmed()).hasMatch())
        return std::nullopt;
    return text.trimmed().toDouble();
}

const QString kFspPattern = QStringLiteral("\\d+\\s*/\\s*\\d+\\s*/\\s*\\d+");
const QString kTimePattern =
    QStringLiteral("(?:\\d{4}-\\d\\d-\\d\\d|\\d\\d/\\d\\d/\\d{4}) \\d\\d:\\d\\d:\\d\\d");

} // namespace

QString Fsp::text() const {
    return QStringLiteral("%1/%2/%3").arg(frame).arg(slot).arg(port);
}

QString Fsp::board() const {
    return QStringLiteral("%1/%2").arg(frame).arg(slot);
}

std::optional<Fsp> parseFsp(const QString& text) {
    static const QRegularExpression fsp(QStringLiteral("^(\\d+)/(\\d+)/(\\d+)$"));
    QString compact = text;
    compact.remove(QLatin1Char(' '));
    const auto m = fsp.match(compact);
    if (!m.hasMatch())
        return std::nullopt;
    return Fsp{m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()};
}

std::optional<DeviceFailure> deviceFailure(const QString& answer) {
    static const QRegularExpression caret(QStringLiteral("^\\s*%\\s*(.*)$"));
    const QStringList lines = answerLines(answer);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString t = lines[i].trimmed();
        if (t.startsWith(QLatin1String("Failure:"))) {
            // A long text goes on, indented, on the next lines.
            QString text = t.mid(8).trimmed();
            for (qsizetype j = i + 1; j < lines.size(); ++j) {
                const QString more = lines[j].trimmed();
                if (more.isEmpty() || isSeparator(more) || more.contains(QLatin1Char(':')))
                    break;
                text += QLatin1Char(' ') + more;
            }
            const QString words = text.toLower();
            Code code = Code::DeviceError;
            if (words.contains(QLatin1String("does not exist")))
                code = Code::NotFound;
            else if (words.contains(QLatin1String("not online")))
                code = Code::Offline;
            else if (words.contains(QLatin1String("can not support")) ||
                     words.contains(QLatin1String("cannot support")) ||
                     words.contains(QLatin1String("not support")))
                code = Code::Unsupported;
            return DeviceFailure{code, QStringLiteral("Failure: ") + text};
        }
        if (const auto m = caret.match(t); m.hasMatch() && !t.startsWith(QLatin1String("%Info"))) {
            const QString text = m.captured(1);
            // Our commands all exist on some firmware: one this unit does
            // not know is a feature it lacks.
            const Code code = text.startsWith(QLatin1String("Unknown command")) ? Code::Unsupported
                                                                                : Code::DeviceError;
            return DeviceFailure{code, QStringLiteral("% ") + text};
        }
        if (t.startsWith(QLatin1String("System is busy")))
            return DeviceFailure{Code::DeviceError, t};
    }
    return std::nullopt;
}

QString readableSerial(const QString& serial) {
    static const QRegularExpression hex(QStringLiteral("^[0-9A-F]{16}$"));
    static const QRegularExpression readable(QStringLiteral("^([0-9A-Z]{4})-?([0-9A-F]{8})$"));
    const QString s = serial.trimmed().toUpper();
    if (hex.match(s).hasMatch()) {
        const QByteArray vendor = QByteArray::fromHex(s.left(8).toLatin1());
        for (const char c : vendor)
            if (c < '0' || c > 'Z' || (c > '9' && c < 'A'))
                return {};
        return QString::fromLatin1(vendor) + s.mid(8);
    }
    if (const auto m = readable.match(s); m.hasMatch())
        return m.captured(1) + m.captured(2);
    return {};
}

QString hexSerial(const QString& readable) {
    const QString r = readableSerial(readable);
    if (r.isEmpty())
        return {};
    return QString::fromLatin1(r.left(4).toLatin1().toHex().toUpper()) + r.mid(4);
}

std::optional<qint64> parseDuration(const QString& text) {
    static const QRegularExpression part(
        QStringLiteral("^(\\d+)\\s*(day|hour|minute|second)\\(s\\)\\s*,?\\s*"));
    QString rest = text.trimmed();
    qint64 seconds = 0;
    int parts = 0;
    while (!rest.isEmpty()) {
        const auto m = part.match(rest);
        if (!m.hasMatch())
            return std::nullopt;
        const qint64 n = m.captured(1).toLongLong();
        const QString unit = m.captured(2);
        seconds += n * (unit == QLatin1String("day")      ? 86400
                        : unit == QLatin1String("hour")   ? 3600
                        : unit == QLatin1String("minute") ? 60
                                                          : 1);
        rest = rest.mid(m.capturedLength());
        ++parts;
    }
    if (parts == 0)
        return std::nullopt;
    return seconds;
}

std::optional<QDateTime> parseTime(const QString& text, const QTimeZone& zone) {
    static const QRegularExpression form(
        QStringLiteral("^(?:(\\d{4})-(\\d\\d)-(\\d\\d)|(\\d\\d)/(\\d\\d)/(\\d{4})) "
                       "(\\d\\d):(\\d\\d):(\\d\\d)(?:([+-])(\\d\\d):(\\d\\d))?$"));
    const QString t = text.trimmed();
    if (t == QLatin1String("-"))
        return QDateTime();
    const auto m = form.match(t);
    if (!m.hasMatch())
        return std::nullopt;
    const bool iso = !m.captured(1).isEmpty();
    const QDate date =
        iso ? QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt())
            : QDate(m.captured(6).toInt(), m.captured(5).toInt(), m.captured(4).toInt());
    const QTime time(m.captured(7).toInt(), m.captured(8).toInt(), m.captured(9).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    if (m.captured(10).isEmpty())
        return QDateTime(date, time, zone);
    const int offset = (m.captured(11).toInt() * 3600 + m.captured(12).toInt() * 60) *
                       (m.captured(10) == QLatin1String("-") ? -1 : 1);
    return QDateTime(date, time, QTimeZone(offset));
}

std::optional<OntInfo> parseOntInfo(const QString& answer, const QTimeZone& zone) {
    const QList<Pair> p = pairsOf(closedPart(answerLines(answer), 2));
    const auto fsp = valueOf(p, {"f/s/p"});
    const auto id = valueOf(p, {"ont-id", "ont id", "ontid"});
    const auto run = valueOf(p, {"run state"});
    const auto sn = valueOf(p, {"sn"});
    // It decides what the ONT is configured through; without it the
    // answer was cut short.
    const auto tr069 = valueOf(p, {"tr069 management"});
    if (!fsp || !id || !run || !sn || !tr069)
        return std::nullopt;
    OntInfo info;
    const auto place = parseFsp(*fsp);
    const auto ont = toInt(*id);
    info.serial = readableSerial(sn->section(QLatin1Char(' '), 0, 0));
    info.runState = run->toLower();
    if (!place || !ont || info.serial.isEmpty() ||
        (info.runState != QLatin1String("online") && info.runState != QLatin1String("offline")))
        return std::nullopt;
    info.fsp = *place;
    info.ontId = *ont;
    const bool online = info.runState == QLatin1String("online");

    const QString cause = valueOf(p, {"last down cause"}).value_or(QString());
    info.lastDownCause = cause == QLatin1String("-") ? QString() : cause;
    if (const auto down = valueOf(p, {"last down time"})) {
        const auto t = parseTime(*down, zone);
        if (!t)
            return std::nullopt;
        info.lastDownTime = *t;
    }
    const QString distance = valueOf(p, {"ont distance(m)"}).value_or(QStringLiteral("-"));
    if (distance != QLatin1String("-")) {
        const auto d = toInt(distance);
        if (!d)
            return std::nullopt;
        info.distance = *d;
    }
    // Offline ONTs show "-" or no duration at all.
    const QString duration = valueOf(p, {"ont online duration"}).value_or(QStringLiteral("-"));
    if (online && duration != QLatin1String("-")) {
        const auto s = parseDuration(duration);
        if (!s)
            return std::nullopt;
        info.uptimeSeconds = *s;
    }
    info.description = valueOf(p, {"description"}).value_or(QString());
    info.tr069 = tr069->compare(QLatin1String("enable"), Qt::CaseInsensitive) == 0;
    return info;
}

std::optional<Optics> parseOptics(const QString& answer) {
    const QList<Pair> p = pairsOf(closedPart(answerLines(answer), 2));
    const auto rx = valueOf(p, {"rx optical power(dbm)"});
    const auto tx = valueOf(p, {"tx optical power(dbm)"});
    const auto olt = valueOf(p, {"olt rx ont optical power(dbm)"});
    if (!rx || !tx || !olt)
        return std::nullopt;
    const auto r = toDouble(*rx), t = toDouble(*tx), o = toDouble(*olt);
    if (!r || !t || !o)
        return std::nullopt;
    return Optics{*r, *t, *o};
}

std::optional<PortSummary> parseSummary(const QString& answer, const QTimeZone& zone) {
    static const QRegularExpression header(
        QStringLiteral("In port (%1)\\s*, the total (?:number )?of ONTs are: (\\d+)")
            .arg(kFspPattern));
    static const QRegularExpression stateRow(
        QStringLiteral("^\\s*(\\d+)\\s+(\\S+)\\s+(%1|-)\\s+(%1|-)\\s*(.*)$").arg(kTimePattern));
    static const QRegularExpression snRow(QStringLiteral(
        "^\\s*(\\d+)\\s+([0-9A-Fa-f]{16})\\s+(\\S+)\\s+(\\d+|-)\\s+(\\S+)\\s*(.*)$"));
    // Around the header, and over, under and after each table.
    const QStringList lines = closedPart(answerLines(answer), 6);
    PortSummary s;
    int total = -1;
    QList<SummaryRow> states;
    QHash<int, SummaryRow> bySn;
    for (const QString& line : lines) {
        if (const auto m = header.match(line); m.hasMatch()) {
            s.fsp = parseFsp(m.captured(1)).value_or(Fsp{});
            total = m.captured(2).toInt();
        } else if (const auto r = stateRow.match(line); r.hasMatch()) {
            SummaryRow row;
            row.ontId = r.captured(1).toInt();
            row.runState = r.captured(2).toLower();
            const auto down = parseTime(r.captured(4), zone);
            if (!down ||
                (row.runState != QLatin1String("online") &&
                 row.runState != QLatin1String("offline") && row.runState != QLatin1String("-")))
                return std::nullopt;
            row.lastDownTime = *down;
            const QString cause = r.captured(5).trimmed();
            row.lastDownCause = cause == QLatin1String("-") ? QString() : cause;
            states.append(row);
        } else if (const auto n = snRow.match(line); n.hasMatch()) {
            SummaryRow row;
            row.serial = readableSerial(n.captured(2));
            row.type = n.captured(3);
            if (row.serial.isEmpty())
                return std::nullopt;
            bySn.insert(n.captured(1).toInt(), row);
        }
    }
    if (total < 0 || s.fsp.frame < 0 || states.size() != total || bySn.size() != total)
        return std::nullopt;
    for (SummaryRow& row : states) {
        const auto it = bySn.constFind(row.ontId);
        if (it == bySn.cend())
            return std::nullopt;
        row.serial = it->serial;
        row.type = it->type;
        s.onts.append(row);
    }
    return s;
}

std::optional<QList<WanInfo>> parseWanInfo(const QString& answer) {
    const QList<Pair> p = pairsOf(closedPart(answerLines(answer), 2, true));
    if (!valueOf(p, {"f/s/p"}))
        return std::nullopt;
    // Each WAN starts at its "Index" line.
    QList<QList<Pair>> blocks;
    for (const Pair& pair : p) {
        if (pair.key == QLatin1String("index"))
            blocks.append(QList<Pair>());
        if (!blocks.isEmpty())
            blocks.last().append(pair);
    }
    QList<WanInfo> wans;
    for (const QList<Pair>& b : blocks) {
        WanInfo w;
        const auto index = toInt(valueOf(b, {"index"}).value_or(QString()));
        const auto service = valueOf(b, {"service type"});
        const auto vlan = valueOf(b, {"manage vlan"});
        if (!index || !service || !vlan)
            return std::nullopt;
        w.index = *index;
        w.serviceType = *service;
        w.connectionType = valueOf(b, {"connection type"}).value_or(QString());
        w.accessType = valueOf(b, {"ipv4 access type", "ip access type"}).value_or(QString());
        if (*vlan != QLatin1String("-")) {
            const auto v = toInt(*vlan);
            if (!v)
                return std::nullopt;
            w.vlan = *v;
        }
        const QString mac = valueOf(b, {"mac address"}).value_or(QString());
        if (!mac.isEmpty() && mac.count(QLatin1Char('-')) != mac.size()) {
            w.mac = macDigits(mac);
            if (w.mac.size() != 12)
                return std::nullopt;
        }
        wans.append(w);
    }
    return wans;
}

std::optional<QList<Ssid>> parseWlanInfo(const QString& answer) {
    const QList<Pair> p = pairsOf(closedPart(answerLines(answer), 2));
    const auto total = toInt(valueOf(p, {"the total number of ssid"}).value_or(QString()));
    if (!total)
        return std::nullopt;
    QList<QList<Pair>> blocks;
    for (const Pair& pair : p) {
        if (pair.key == QLatin1String("ssid index"))
            blocks.append(QList<Pair>());
        if (!blocks.isEmpty())
            blocks.last().append(pair);
    }
    if (blocks.size() != *total)
        return std::nullopt;
    static const QRegularExpression fiveGhz(QStringLiteral("802\\.11(a|ac|ax)\\b"));
    QList<Ssid> ssids;
    for (const QList<Pair>& b : blocks) {
        Ssid s;
        const auto index = toInt(valueOf(b, {"ssid index"}).value_or(QString()));
        const auto name = valueOf(b, {"ssid"});
        if (!index || !name)
            return std::nullopt;
        s.index = *index;
        s.name = *name;
        s.standard = valueOf(b, {"wireless standard"}).value_or(QString());
        // The standard decides; without one the index does (5-8: 5 GHz).
        const bool five =
            s.standard.isEmpty() ? s.index >= 5 : fiveGhz.match(s.standard).hasMatch();
        s.band = five ? Band::Ghz5 : Band::Ghz24;
        ssids.append(s);
    }
    return ssids;
}

std::optional<OntConfig> parseOntConfig(const QString& answer, int port, int ontId) {
    const QStringList lines = answerLines(answer);
    // The listing ends with "return" (or its last "#"); one cut short does not.
    QString last;
    for (const QString& l : lines)
        if (!l.trimmed().isEmpty())
            last = l.trimmed();
    if (last != QLatin1String("return") && last != QLatin1String("#"))
        return std::nullopt;
    const QString ont = QStringLiteral("%1 %2 ").arg(port).arg(ontId);
    static const QRegularExpression ipconfig(QStringLiteral(
        "^ont ipconfig \\d+ \\d+ ip-index \\d+ (pppoe|dhcp) vlan (\\d+)(?: priority \\d+)?"
        "(?: user-account username (\\S+) password (\\S+))?"));
    static const QRegularExpression ifSip(
        QStringLiteral("^if-sip add \\d+ \\d+ 1 sipagent-profile profile-id (\\d+)"));
    static const QRegularExpression sipUser(
        QStringLiteral("^sippstnuser add \\d+ \\d+ 1 mgid \\d+ username (\\S+) password (\\S+)"));
    OntConfig c;
    for (const QString& line : lines) {
        const QString t = line.simplified();
        // Only this ONT's lines: "ont ipconfig «port» «ont» ...".
        if (t.section(QLatin1Char(' '), 2, 3) + QLatin1Char(' ') != ont)
            continue;
        if (const auto m = ipconfig.match(t); m.hasMatch()) {
            c.wanMode = m.captured(1).toUpper();
            c.wanVlan = m.captured(2).toInt();
            c.wanUser = m.captured(3);
            c.wanPassword = m.captured(4);
        } else if (const auto s = ifSip.match(t); s.hasMatch()) {
            c.sipProfile = s.captured(1).toInt();
        } else if (const auto u = sipUser.match(t); u.hasMatch()) {
            c.sipUser = u.captured(1);
            c.sipPassword = u.captured(2);
        }
    }
    return c;
}

std::optional<QList<ServicePort>> parseServicePorts(const QString& answer) {
    if (const auto f = deviceFailure(answer);
        f && f->text.contains(QLatin1String("No service virtual port")))
        return QList<ServicePort>{};
    static const QRegularExpression row(
        QStringLiteral("^\\s*(\\d+)\\s+(\\d+)\\s+\\S+\\s+\\S+\\s+(%1)\\s+(\\d+)\\s+(\\d+|-)\\s+"
                       "(\\S+)\\s+(\\S+)\\s+\\S+\\s+\\S+\\s+(\\S+)\\s*$")
            .arg(kFspPattern));
    static const QRegularExpression totalLine(QStringLiteral("^\\s*Total\\s*:\\s*(\\d+)"));
    QList<ServicePort> ports;
    int total = -1;
    for (const QString& line : answerLines(answer)) {
        if (const auto t = totalLine.match(line); t.hasMatch()) {
            total = t.captured(1).toInt();
            break;
        }
        const auto m = row.match(line);
        if (!m.hasMatch())
            continue;
        ServicePort sp;
        sp.index = m.captured(1).toInt();
        sp.vlan = m.captured(2).toInt();
        sp.fsp = parseFsp(m.captured(3)).value_or(Fsp{});
        sp.ontId = m.captured(4).toInt();
        if (m.captured(6) == QLatin1String("vlan"))
            sp.flowPara = toInt(m.captured(7)).value_or(0);
        sp.state = m.captured(8).toLower();
        if (sp.state != QLatin1String("up") && sp.state != QLatin1String("down"))
            return std::nullopt;
        ports.append(sp);
    }
    // The total tells whether a row went missing.
    if (total != ports.size())
        return std::nullopt;
    return ports;
}

std::optional<QList<MacRow>> parseMacTable(const QString& answer) {
    static const QRegularExpression macToken(
        QStringLiteral("\\b([0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4})\\b"));
    static const QRegularExpression fspToken(QStringLiteral("(%1)\\s+(\\d+)\\b").arg(kFspPattern));
    static const QRegularExpression lastNumber(QStringLiteral("(\\d+)\\s*$"));
    static const QRegularExpression totalLine(QStringLiteral("^\\s*Total\\s*:\\s*(\\d+)"));
    const QStringList lines = answerLines(answer);
    QList<MacRow> rows;
    int total = -1;
    bool closed = false;
    for (const QString& line : lines) {
        if (const auto t = totalLine.match(line); t.hasMatch()) {
            total = t.captured(1).toInt();
            break;
        }
        if (isSeparator(line)) {
            closed = true;
            continue;
        }
        const auto mac = macToken.match(line);
        const auto fsp = fspToken.match(line);
        if (!mac.hasMatch() && !fsp.hasMatch())
            continue;
        const auto vlan = lastNumber.match(line);
        if (!mac.hasMatch() || !fsp.hasMatch() || !vlan.hasMatch())
            return std::nullopt;
        rows.append({macDigits(mac.captured(1)), parseFsp(fsp.captured(1)).value_or(Fsp{}),
                     fsp.captured(2).toInt(), vlan.captured(1).toInt()});
        closed = false;
    }
    // A table is whole when its rows are closed by a separator and, where
    // the device counts them, the count agrees.
    if ((total >= 0 && total != rows.size()) || (total < 0 && !closed))
        return std::nullopt;
    return rows;
}

std::optional<PortCounters> parseCounters(const QString& answer) {
    const QList<Pair> p = pairsOf(answerLines(answer));
    const auto in = toLong(valueOf(p, {"received bytes"}).value_or(QString()));
    const auto out = toLong(valueOf(p, {"sent bytes"}).value_or(QString()));
    if (!in || !out)
        return std::nullopt;
    return PortCounters{*in, *out};
}

std::optional<QDateTime> parseOltTime(const QString& answer, const QTimeZone& zone) {
    static const QRegularExpression time(
        QStringLiteral("(%1(?:[+-]\\d\\d:\\d\\d)?)").arg(kTimePattern));
    const auto m = time.match(answer);
    if (!m.hasMatch())
        return std::nullopt;
    const auto t = parseTime(m.captured(1), zone);
    if (!t || !t->isValid())
        return std::nullopt;
    return t;
}

bool ontDeleted(const QString& answer) {
    static const QRegularExpression success(QStringLiteral("success\\s*:\\s*(\\d+)"));
    const auto m = success.match(answer);
    return m.hasMatch() && m.captured(1).toInt() >= 1;
}

} // namespace oltd::huawei
