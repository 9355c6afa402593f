#include "integrations/service_error.h"

#include <QUrl>

namespace integrations {

QString withoutSecrets(QString text, const QStringList& secrets) {
    const QString hidden = QStringLiteral("***");
    for (const QString& secret : secrets) {
        if (secret.isEmpty())
            continue;
        text.replace(secret, hidden);
        text.replace(QString::fromLatin1(QUrl::toPercentEncoding(secret)), hidden);
    }
    return text;
}

SendResult serviceResult(const QString& service, const HttpAnswer& answer,
                         const QStringList& secrets) {
    if (answer.status >= 300)
        return {QStringLiteral("%1: answered HTTP %2").arg(service).arg(answer.status)};
    if (!answer.ok())
        return {service + QStringLiteral(": ") + withoutSecrets(answer.error, secrets),
                answer.timedOut};
    return {};
}

} // namespace integrations
