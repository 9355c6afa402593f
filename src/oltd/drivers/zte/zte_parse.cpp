#include "oltd/drivers/zte/zte_parse.h"

#include "oltd/session/terminal_text.h"

#include "oltd/mac.h"

#include <QRegularExpression>

#include <algorithm>

namespace oltd::zte {

namespace {

QStringList words(const QString& line) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return line.split(blanks, Qt::SkipEmptyParts);
}

std::optional<int> number(const QString& text) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

// "label: value" with the label matched against alternatives; the value
// starts after the first colon.
using Labels = QMap<QString, QString>;

Labels labelled(const QStringList& ls) {
    Labels out;
    for (const QString& l : ls) {
        const qsizetype colon = l.indexOf(QLatin1Char(':'));
        if (colon <= 0)
            continue;
        const QString label = l.left(colon).trimmed();
        if (!out.contains(label))
            out.insert(label, l.mid(colon + 1).trimmed());
    }
    return out;
}

std::optional<QString> pick(const Labels& labels, std::initializer_list<const char*> names) {
    for (const char* n : names) {
        const auto it = labels.constFind(QLatin1String(n));
        if (it != labels.constEnd())
            return *it;
    }
    return std::nullopt;
}

// "2026-10-22 18:40:07"; the zero time is "never" (an invalid QDateTime).
std::optional<QDateTime> deviceTime(const QString& text, const QTimeZone& zone) {
    static const QRegularExpression form(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2}) (\\d{2}):(\\d{2}):(\\d{2})$"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    if (text == QLatin1String("0000-00-00 00:00:00"))
        return QDateTime();
    const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime t(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!d.isValid() || !t.isValid())
        return std::nullopt;
    return QDateTime(d, t, zone);
}

std::optional<int> metres(const QString& text) {
    if (text == QLatin1String("N/A"))
        return 0;
    static const QRegularExpression form(QStringLiteral("^(\\d+)\\s*m$"));
    const auto m = form.match(text);
    return m.hasMatch() ? number(m.captured(1)) : std::nullopt;
}

std::optional<qint64> duration(const QString& text) {
    if (text == QLatin1String("N/A"))
        return 0;
    static const QRegularExpression form(QStringLiteral("^(\\d+)h\\s+(\\d+)m\\s+(\\d+)s$"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const int minutes = m.captured(2).toInt(), seconds = m.captured(3).toInt();
    if (minutes > 59 || seconds > 59)
        return std::nullopt;
    return m.captured(1).toLongLong() * 3600 + minutes * 60 + seconds;
}

bool isSerial(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^[A-Z0-9]{4}[0-9A-F]{8}$"));
    return form.match(text).hasMatch();
}

// A history row: index, authpass time, offline time, optional cause.
std::optional<Session> historyRow(const QString& line, const QTimeZone& zone) {
    const QStringList w = words(line);
    if ((w.size() != 5 && w.size() != 6) || !number(w[0]))
        return std::nullopt;
    const auto pass = deviceTime(w[1] + QLatin1Char(' ') + w[2], zone);
    const auto off = deviceTime(w[3] + QLatin1Char(' ') + w[4], zone);
    if (!pass || !off)
        return std::nullopt;
    return Session{*pass, *off, w.size() == 6 ? w[5] : QString()};
}

bool isDashes(const QString& line) {
    static const QRegularExpression form(QStringLiteral("^\\s*-{5,}$"));
    return form.match(line).hasMatch();
}

// A level as "-22.815(dbm)" or N/A after "Rx"/"Tx" and a colon.
bool level(const QString& line, const QString& which, std::optional<double>& out) {
    const QRegularExpression form(
        which + QStringLiteral("\\s*:\\s*(?:(-?\\d+(?:\\.\\d+)?)\\(dbm\\)|(N/A))"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = form.match(line);
    if (!m.hasMatch())
        return false;
    if (m.capturedLength(1) > 0)
        out = m.captured(1).toDouble();
    return true;
}

const QStringList kWanKeywords{QStringLiteral("mode"), QStringLiteral("username"),
                               QStringLiteral("password"), QStringLiteral("vlan-profile"),
                               QStringLiteral("host")};

// Keyword/value pairs of a configuration line; a keyword followed straight by
// another keyword has an empty value.
QMap<QString, QString> keywordValues(const QStringList& w, qsizetype from,
                                     const QStringList& keywords) {
    QMap<QString, QString> out;
    for (qsizetype i = from; i < w.size(); ++i) {
        if (!keywords.contains(w[i]))
            continue;
        const bool hasValue = i + 1 < w.size() && !keywords.contains(w[i + 1]);
        out.insert(w[i], hasValue ? w[i + 1] : QString());
        if (hasValue)
            ++i;
    }
    return out;
}

bool readWan(const QStringList& w, OnuConfig& config) {
    const auto id = w.size() > 1 ? number(w[1]) : std::nullopt;
    if (!id)
        return false;
    if (!w.contains(QLatin1String("mode")))
        return true; // ping-response and similar lines
    const auto kv = keywordValues(w, 2, kWanKeywords);
    OnuConfig::Wan wan;
    wan.id = *id;
    wan.mode = kv.value(QStringLiteral("mode")).toLower();
    static const QStringList modes{QStringLiteral("pppoe"), QStringLiteral("dhcp"),
                                   QStringLiteral("static")};
    if (!modes.contains(wan.mode))
        return false;
    wan.user = kv.value(QStringLiteral("username"));
    wan.password = kv.value(QStringLiteral("password"));
    wan.profile = kv.value(QStringLiteral("vlan-profile"));
    wan.host = kv.contains(QStringLiteral("host"))
                   ? number(kv.value(QStringLiteral("host"))).value_or(-1)
                   : 0;
    if (wan.host < 0)
        return false;
    config.wans.append(wan);
    return true;
}

bool readService(const QStringList& w, OnuConfig& config) {
    const qsizetype at = w.indexOf(QLatin1String("vlan"));
    if (w.size() < 2 || at < 0 || at + 1 >= w.size())
        return true; // a service without a VLAN says nothing of one
    const auto vlan = number(w[at + 1]);
    if (!vlan || *vlan < 1 || *vlan > 4094)
        return false;
    config.services.append({w[1], *vlan});
    return true;
}

bool readSsid(const QStringList& w, OnuConfig& config) {
    static const QRegularExpression radio(QStringLiteral("^wifi_\\d+/\\d+$"));
    if (w.size() >= 5 && w[1] == QLatin1String("ctrl") && w[3] == QLatin1String("name")) {
        if (!radio.match(w[2]).hasMatch())
            return false;
        // A name may hold blanks: the rest of the line is the name.
        config.ssidNames.insert(w[2], w.mid(4).join(QLatin1Char(' ')));
        return true;
    }
    if (w.size() >= 3 && w[1] == QLatin1String("auth")) {
        const qsizetype key = w.indexOf(QLatin1String("key"));
        const auto iface = std::find_if(w.begin(), w.end(),
                                        [](const QString& t) { return radio.match(t).hasMatch(); });
        if (iface == w.end())
            return false;
        if (key > 0 && key + 1 < w.size())
            config.ssidKeys.insert(*iface, w[key + 1]);
        return true;
    }
    return true;
}

bool readSip(const QStringList& w, OnuConfig& config) {
    static const QRegularExpression pots(QStringLiteral("^pots_\\d+/\\d+$"));
    if (w.size() < 2 || !pots.match(w[1]).hasMatch())
        return false;
    static const QStringList keywords{QStringLiteral("profile"), QStringLiteral("userid"),
                                      QStringLiteral("username"), QStringLiteral("password")};
    const auto kv = keywordValues(w, 2, keywords);
    config.sips.append({w[1], kv.value(QStringLiteral("profile")),
                        kv.value(QStringLiteral("userid")), kv.value(QStringLiteral("username")),
                        kv.value(QStringLiteral("password"))});
    return true;
}

std::optional<qint64> counter(const QString& line) {
    static const QRegularExpression form(QStringLiteral("PassBytes\\s*:\\s*(\\d+)(?:\\s|$)"));
    const auto m = form.match(line);
    if (!m.hasMatch())
        return std::nullopt;
    bool ok = false;
    const qint64 n = m.captured(1).toLongLong(&ok);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

const QStringList kMonths{QStringLiteral("Jan"), QStringLiteral("Feb"), QStringLiteral("Mar"),
                          QStringLiteral("Apr"), QStringLiteral("May"), QStringLiteral("Jun"),
                          QStringLiteral("Jul"), QStringLiteral("Aug"), QStringLiteral("Sep"),
                          QStringLiteral("Oct"), QStringLiteral("Nov"), QStringLiteral("Dec")};

} // namespace

std::optional<OnuPlace> onuPlace(const QString& name) {
    static const QRegularExpression form(
        QStringLiteral("^gpon-onu_(1/\\d{1,2}/\\d{1,2}):(\\d{1,3})(?::\\d{1,3})?$"));
    const auto m = form.match(name.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const int id = m.captured(2).toInt();
    if (id < 1 || id > 128)
        return std::nullopt;
    return OnuPlace{m.captured(1), id};
}

QString onuName(const OnuPlace& place) {
    return QStringLiteral("gpon-onu_%1:%2").arg(place.port).arg(place.onuId);
}

QString portName(const QString& port) {
    return QStringLiteral("gpon-olt_") + port;
}

QString placeText(const OnuPlace& place) {
    return QStringLiteral("%1:%2").arg(place.port).arg(place.onuId);
}

DeviceAnswer judge(const QString& answer) {
    static const QRegularExpression notFound(
        QStringLiteral("No related information to show|ONU does not exist"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression unknown(
        QStringLiteral("^%\\s*Error\\s+(20200|140303)\\b|^%\\s*Unknown command"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression error(
        QStringLiteral("^(%\\s*Error|%\\s*Code|% Parameter error|%\\s*Unknown command|Failure:|"
                       "System is busy)"),
        QRegularExpression::CaseInsensitiveOption);
    for (const QString& raw : answerLines(answer)) {
        const QString l = raw.trimmed();
        if (!error.match(l).hasMatch())
            continue;
        if (l.startsWith(QLatin1String("%Code")) && notFound.match(l).hasMatch())
            return {Refusal::NotFound, l};
        if (unknown.match(l).hasMatch())
            return {Refusal::UnknownCommand, l};
        return {Refusal::Error, l};
    }
    return {};
}

std::optional<DetailInfo> parseDetailInfo(const QString& text, const QTimeZone& zone) {
    const QStringList ls = answerLines(text);
    const qsizetype rule = std::find_if(ls.begin(), ls.end(), isDashes) - ls.begin();
    if (rule >= ls.size() - 1 || !ls[rule + 1].contains(QLatin1String("Authpass Time")))
        return std::nullopt; // cut before the history: the fields may be cut too
    const Labels f = labelled(ls.mid(0, rule));
    DetailInfo info;
    const auto place = onuPlace(pick(f, {"ONU interface"}).value_or(QString()));
    const auto type = pick(f, {"Type", "ONU type"});
    const auto phase = pick(f, {"Phase state", "Phase State"});
    const auto serial = pick(f, {"Serial number", "SN"});
    const auto distance = metres(pick(f, {"ONU Distance", "Distance"}).value_or(QString()));
    const auto uptime = duration(pick(f, {"Online Duration"}).value_or(QString()));
    if (!place || !type || type->isEmpty() || !phase || stateOfPhase(*phase).isEmpty() || !serial ||
        !isSerial(*serial) || !distance || !uptime)
        return std::nullopt;
    info.place = *place;
    info.type = *type;
    info.phase = *phase;
    info.serial = *serial;
    info.distanceMetres = *distance;
    info.uptimeSeconds = *uptime;
    for (qsizetype i = rule + 2; i < ls.size(); ++i) {
        if (ls[i].trimmed().isEmpty())
            continue;
        const auto row = historyRow(ls[i], zone);
        if (!row)
            return std::nullopt;
        info.history.append(*row);
    }
    return info;
}

std::optional<Session> latestSession(const DetailInfo& info) {
    std::optional<Session> latest;
    for (const Session& s : info.history) {
        if (s.authpass.isValid() && (!latest || s.authpass > latest->authpass))
            latest = s;
    }
    return latest;
}

QString lastDownCause(const DetailInfo& info) {
    std::optional<Session> latest;
    for (const Session& s : info.history) {
        if (s.offline.isValid() && (!latest || s.offline > latest->offline))
            latest = s;
    }
    return latest ? latest->cause : QString();
}

QString stateOfPhase(const QString& phase) {
    if (phase == QLatin1String("working"))
        return QStringLiteral("ONLINE");
    if (phase == QLatin1String("LOS"))
        return QStringLiteral("LOS");
    static const QStringList down{QStringLiteral("DyingGasp"),  QStringLiteral("OffLine"),
                                  QStringLiteral("syncMib"),    QStringLiteral("logging"),
                                  QStringLiteral("authFailed"), QStringLiteral("offline")};
    return down.contains(phase) ? QStringLiteral("OFFLINE") : QString();
}

std::optional<Optics> parseAttenuation(const QString& text) {
    Optics o;
    bool up = false, down = false;
    for (const QString& l : answerLines(text)) {
        const QString t = l.trimmed();
        if (t.startsWith(QLatin1String("up ")))
            up = level(t, QStringLiteral("Rx"), o.oltRx) && level(t, QStringLiteral("Tx"), o.onuTx);
        else if (t.startsWith(QLatin1String("down ")))
            down =
                level(t, QStringLiteral("Tx"), o.oltTx) && level(t, QStringLiteral("Rx"), o.onuRx);
    }
    if (!up || !down)
        return std::nullopt;
    return o;
}

std::optional<QList<StateRow>> parseOnuStates(const QString& text) {
    const QStringList ls = answerLines(text);
    const auto header = std::find_if(ls.begin(), ls.end(), [](const QString& l) {
        return l.startsWith(QLatin1String("OnuIndex")) && l.contains(QLatin1String("Phase"));
    });
    if (header == ls.end())
        return std::nullopt;
    QList<StateRow> rows;
    bool footer = false;
    for (auto it = header + 1; it != ls.end(); ++it) {
        const QString t = it->trimmed();
        if (t.isEmpty() || isDashes(t))
            continue;
        if (t.startsWith(QLatin1String("ONU Number"))) {
            footer = true;
            continue;
        }
        const QStringList w = words(t);
        const auto place = w.size() == 5 ? onuPlace(w[0]) : std::nullopt;
        if (!place || stateOfPhase(w[4]).isEmpty())
            return std::nullopt;
        rows.append({*place, w[1], w[2], w[3], w[4]});
    }
    // The count closes the table; without it the answer was cut.
    if (!footer)
        return std::nullopt;
    return rows;
}

std::optional<QList<WanStatus>> parseWanStatus(const QString& text) {
    QList<QStringList> blocks;
    for (const QString& l : answerLines(text)) {
        if (l.trimmed().isEmpty())
            continue;
        if (l.startsWith(QLatin1String("WAN id")) || l.startsWith(QLatin1String("WAN ID")))
            blocks.append(QStringList());
        else if (blocks.isEmpty())
            return std::nullopt; // text before the first block: not this form
        blocks.last().append(l);
    }
    QList<WanStatus> out;
    for (const QStringList& b : blocks) {
        const Labels f = labelled(b);
        WanStatus w;
        const auto id = number(pick(f, {"WAN id", "WAN ID"}).value_or(QString()));
        const auto mode = pick(f, {"Mode", "Connection mode"});
        if (!id || !mode || mode->isEmpty())
            return std::nullopt;
        w.id = *id;
        w.mode = *mode;
        w.user = pick(f, {"User name", "Username"}).value_or(QString());
        w.password = pick(f, {"Password"}).value_or(QString());
        w.status = pick(f, {"Status"}).value_or(QString());
        if (const auto cvlan = pick(f, {"CVLAN", "VLAN"})) {
            const auto n = number(*cvlan);
            if (!n || *n < 0 || *n > 4094)
                return std::nullopt;
            w.cvlan = *n;
        }
        if (const auto mac = pick(f, {"MAC address", "MAC"}); mac && !mac->isEmpty()) {
            w.macDigits = macDigits(*mac);
            if (w.macDigits.size() != 12)
                return std::nullopt;
        }
        out.append(w);
    }
    return out;
}

std::optional<OnuConfig> parseOnuConfig(const QString& text) {
    OnuConfig config;
    bool open = false, closed = false;
    for (const QString& l : answerLines(text)) {
        const QStringList w = words(l);
        if (w.isEmpty())
            continue;
        if (w[0] == QLatin1String("pon-onu-mng")) {
            if (w.size() != 2 || !onuPlace(w[1]))
                return std::nullopt;
            open = true;
            continue;
        }
        if (w[0] == QLatin1String("!")) {
            closed = open;
            continue;
        }
        if (!open || closed || !l.front().isSpace())
            return std::nullopt;
        bool ok = true;
        if (w[0] == QLatin1String("wan-ip"))
            ok = readWan(w, config);
        else if (w[0] == QLatin1String("service"))
            ok = readService(w, config);
        else if (w[0] == QLatin1String("ssid"))
            ok = readSsid(w, config);
        else if (w[0] == QLatin1String("sip-service"))
            ok = readSip(w, config);
        if (!ok)
            return std::nullopt;
    }
    // The block ends with "!"; an answer cut before it may miss lines.
    if (open && !closed)
        return std::nullopt;
    return config;
}

int wanVlan(const OnuConfig& config, const QString& profile) {
    static const QRegularExpression digits(QStringLiteral("(\\d+)"));
    QList<int> named;
    for (auto it = digits.globalMatch(profile); it.hasNext();)
        named.append(it.next().captured(1).toInt());
    for (const OnuConfig::Service& s : config.services) {
        if (named.contains(s.vlan))
            return s.vlan;
    }
    return config.services.size() == 1 ? config.services.first().vlan : 0;
}

// Rows ("pots_0/1      Registered" under a "Port" header) or blocks
// ("Port: pots_0/1" then a "... state: Registered" line).
std::optional<QList<PhoneLine>> parsePhoneLines(const QString& text) {
    static const QRegularExpression row(QStringLiteral("^\\s*(pots_\\d+/\\d+)\\s+(\\S.*)$"));
    static const QRegularExpression pots(QStringLiteral("^pots_\\d+/\\d+$"));
    QList<PhoneLine> out;
    bool header = false, blocks = false;
    for (const QString& l : answerLines(text)) {
        if (l.trimmed().isEmpty() || isDashes(l))
            continue;
        const qsizetype colon = l.indexOf(QLatin1Char(':'));
        const QString label = colon > 0 ? l.left(colon).trimmed() : QString();
        const QString value = colon > 0 ? l.mid(colon + 1).trimmed() : QString();
        if (const auto m = row.match(l); m.hasMatch() && !blocks) {
            out.append({m.captured(1), m.captured(2).trimmed()});
        } else if (colon > 0 && pots.match(value).hasMatch() && !header) {
            blocks = true;
            out.append({value, QString()});
        } else if (blocks && colon > 0) {
            if (label.contains(QLatin1String("state"), Qt::CaseInsensitive))
                out.last().state = value;
        } else if (!header && !blocks && out.isEmpty() && l.contains(QLatin1String("Port"))) {
            header = true;
        } else {
            return std::nullopt;
        }
    }
    if (!header && !blocks)
        return std::nullopt;
    return out;
}

bool isRegistered(const QString& lineState) {
    return lineState.compare(QLatin1String("Registered"), Qt::CaseInsensitive) == 0;
}

std::optional<Counters> parseCounters(const QString& text) {
    // The per-second rates come first ("Input rate :"); the totals follow
    // under "Input :" and "Output :".
    static const QRegularExpression section(QStringLiteral("^(Input|Output)\\s*:$"));
    std::optional<qint64> in, out;
    QString current;
    bool totals = false;
    for (const QString& l : answerLines(text)) {
        const QString t = l.trimmed();
        if (t.startsWith(QLatin1String("Total statistic"))) {
            totals = true;
            continue;
        }
        if (const auto m = section.match(t); m.hasMatch()) {
            current = m.captured(1);
            continue;
        }
        if (!totals || current.isEmpty() || !t.contains(QLatin1String("PassBytes")))
            continue;
        const auto n = counter(t);
        if (!n)
            return std::nullopt;
        (current == QLatin1String("Input") ? in : out) = n;
    }
    if (!in || !out)
        return std::nullopt;
    return Counters{*in, *out};
}

std::optional<QList<OnuPlace>> parseVlanMembers(const QString& text) {
    const QStringList ls = answerLines(text);
    const Labels f = labelled(ls);
    if (!number(f.value(QStringLiteral("vlanid"))))
        return std::nullopt;
    QList<OnuPlace> out;
    bool ports = false;
    static const QRegularExpression separators(QStringLiteral("[\\s,]+"));
    for (const QString& l : ls) {
        QString t = l.trimmed();
        if (t.startsWith(QLatin1String("port("))) {
            ports = true;
            t = t.mid(t.indexOf(QLatin1Char(':')) + 1);
        } else if (!ports) {
            continue;
        }
        for (const QString& name : t.split(separators, Qt::SkipEmptyParts)) {
            if (!name.startsWith(QLatin1String("gpon-onu")))
                continue; // uplinks and smartgroups
            const auto place = onuPlace(name);
            if (!place)
                return std::nullopt;
            if (!out.contains(*place))
                out.append(*place);
        }
    }
    return out;
}

std::optional<QList<MacRow>> parseMacTable(const QString& text) {
    const QStringList ls = answerLines(text);
    const auto header = std::find_if(ls.begin(), ls.end(), [](const QString& l) {
        return l.startsWith(QLatin1String("Mac address")) && l.contains(QLatin1String("Port"));
    });
    if (header == ls.end())
        return std::nullopt;
    static const QRegularExpression dotted(
        QStringLiteral("^[0-9a-fA-F]{4}\\.[0-9a-fA-F]{4}\\.[0-9a-fA-F]{4}$"));
    QList<MacRow> rows;
    for (auto it = header + 1; it != ls.end(); ++it) {
        if (it->trimmed().isEmpty() || isDashes(*it))
            continue;
        const QStringList w = words(*it);
        if (w.size() < 4 || !dotted.match(w[0]).hasMatch() || !number(w[1]))
            return std::nullopt;
        MacRow row{macDigits(w[0]), *number(w[1]), w[3], std::nullopt};
        if (w[3].startsWith(QLatin1String("gpon-onu"))) {
            row.onu = onuPlace(w[3]);
            if (!row.onu)
                return std::nullopt;
        }
        rows.append(row);
    }
    return rows;
}

std::optional<OnuPlace> parseSearchResult(const QString& text) {
    std::optional<OnuPlace> found;
    for (const QString& l : answerLines(text)) {
        const QString t = l.trimmed();
        if (!t.startsWith(QLatin1String("gpon-onu")))
            continue;
        const auto place = onuPlace(t);
        if (!place || (found && !(*found == *place)))
            return std::nullopt;
        found = place;
    }
    return found;
}

std::optional<QDateTime> parseClock(const QString& text, const QTimeZone& zone) {
    static const QRegularExpression named(QStringLiteral(
        "(\\d{1,2}):(\\d{2}):(\\d{2})(?:\\.\\d+)?\\s+\\S+\\s+\\w{3}\\s+(\\w{3})\\s+(\\d{1,2})\\s+"
        "(\\d{4})"));
    static const QRegularExpression iso(
        QStringLiteral("(\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2})"));
    const QString t = text.trimmed();
    if (const auto m = named.match(t); m.hasMatch()) {
        const int month = int(kMonths.indexOf(m.captured(4))) + 1;
        const QDate d(m.captured(6).toInt(), month, m.captured(5).toInt());
        const QTime time(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (month < 1 || !d.isValid() || !time.isValid())
            return std::nullopt;
        return QDateTime(d, time, zone);
    }
    if (const auto m = iso.match(t); m.hasMatch()) {
        const auto at = deviceTime(m.captured(1), zone);
        if (at && at->isValid())
            return at;
    }
    return std::nullopt;
}

bool isCliToken(const QString& text) {
    if (text.isEmpty())
        return false;
    return std::none_of(text.begin(), text.end(), [](QChar c) {
        return c.isSpace() || c.category() == QChar::Other_Control || c == QLatin1Char('?') ||
               c.unicode() > 126;
    });
}

} // namespace oltd::zte
