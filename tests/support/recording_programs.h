#pragma once

#include "integrations/external_programs.h"

#include <QList>

namespace support {

// Records what the client would start instead of starting it. fail() makes
// every start report failure.
class RecordingPrograms final : public integrations::ExternalPrograms {
public:
    struct Started {
        QString program; // empty for an opened address
        QStringList arguments;
        QUrl url;
    };
    bool openUrl(const QUrl& url) override {
        m_started.append({QString(), {}, url});
        return !m_failing;
    }
    bool start(const QString& program, const QStringList& arguments) override {
        m_started.append({program, arguments, QUrl()});
        return !m_failing;
    }
    const QList<Started>& started() const { return m_started; }
    void fail(bool failing = true) { m_failing = failing; }

private:
    QList<Started> m_started;
    bool m_failing = false;
};

} // namespace support
