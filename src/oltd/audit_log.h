#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QMutex>
#include <QString>

namespace oltd {

// The audit trail of every change the service makes to a device, kept so
// that no change can happen without its line:
//
// - One JSON object per line (UTF-8, written by Qt's JSON classes), so a
//   value can never read as another field or another line, whatever it
//   holds: a tab, a quote, a line break. `jq` or any JSON reader splits it.
// - "event" says what the line is: "change" is written and synced to disk
//   (fsync) BEFORE the device is touched; "outcome" follows once the device
//   answered, with the same "id"; "refused" is a request turned away
//   (forbidden, cross-site, wrong method, keys missing). A "change" without
//   its "outcome" is a change that may or may not have been made (the
//   service stopped in between): check the device.
// - "time" is ISO 8601 with milliseconds and the offset from UTC.
// - Passwords are never written: their keys show "********".
//
// The lines written by each request come from the service; this class only
// guarantees that a line is whole and on disk when append() says so.
class AuditLog {
public:
    // Opens (creating) the file for appending; throws core::ConfigError
    // when it cannot be opened.
    explicit AuditLog(const QString& path);
    ~AuditLog();
    AuditLog(const AuditLog&) = delete;
    AuditLog& operator=(const AuditLog&) = delete;

    // Writes the record as one line and syncs it to disk. False, with the
    // system's reason in *why, when either failed: then nothing may rely on
    // the line being there.
    bool append(const QJsonObject& record, QString* why);

    QString path() const { return m_path; }

private:
    QString m_path;
    int m_fd = -1;
    // A write cut short leaves half a line; the next one starts on a line
    // of its own so that it still reads whole.
    bool m_openLine = false;
    QMutex m_mutex;
};

// "2024-05-01T09:30:15.250+05:30": the time of an audit line.
QString auditTime(const QDateTime& time);

} // namespace oltd
