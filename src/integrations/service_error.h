#pragma once

#include "integrations/send_result.h"
#include "integrations/web_request.h"

#include <QStringList>

namespace integrations {

// The text of a failed request as the operator sees it: "«service»: «why»".
// Qt's own error texts quote the whole address, query and all, so every
// secret (as written and percent-encoded) is blanked out of them.
SendResult serviceResult(const QString& service, const HttpAnswer& answer,
                         const QStringList& secrets);

// The same blanking for any other text that may quote a secret.
QString withoutSecrets(QString text, const QStringList& secrets);

} // namespace integrations
