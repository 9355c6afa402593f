#include "oltd/audit_log.h"

#include "core/config.h"

#include <QFile>
#include <QJsonDocument>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace oltd {

namespace {

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

// Writes all of data, going on after a partial write or a signal.
bool writeAll(int fd, const QByteArray& data, qsizetype* written) {
    *written = 0;
    while (*written < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + *written, size_t(data.size() - *written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        *written += n;
    }
    return true;
}

} // namespace

AuditLog::AuditLog(const QString& path)
    : m_path(path) {
    m_fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC,
                  0640);
    if (m_fd < 0)
        throw core::ConfigError(
            QStringLiteral("The audit log %1 cannot be written: %2").arg(path, systemError(errno)));
}

AuditLog::~AuditLog() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool AuditLog::append(const QJsonObject& record, QString* why) {
    QByteArray line = QJsonDocument(record).toJson(QJsonDocument::Compact);
    line += '\n';
    const QMutexLocker lock(&m_mutex);
    if (m_openLine)
        line.prepend('\n');
    qsizetype written = 0;
    if (!writeAll(m_fd, line, &written)) {
        const int code = errno;
        if (written > 0)
            m_openLine = true; // an empty line is harmless, a joined one is not
        *why = QStringLiteral("writing to %1 failed: %2").arg(m_path, systemError(code));
        return false;
    }
    m_openLine = false;
    if (::fsync(m_fd) != 0) {
        *why = QStringLiteral("syncing %1 to disk failed: %2").arg(m_path, systemError(errno));
        return false;
    }
    return true;
}

QString auditTime(const QDateTime& time) {
    QString text = time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
    // Qt writes a zero offset as "Z"; every line carries the same form.
    if (text.endsWith(QLatin1Char('Z')))
        text.replace(text.size() - 1, 1, QStringLiteral("+00:00"));
    return text;
}

} // namespace oltd
