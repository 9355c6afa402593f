#include "integrations/external_programs.h"

#include <QDesktopServices>
#include <QProcess>

namespace integrations {

bool DesktopPrograms::openUrl(const QUrl& url) {
    const bool webPage =
        url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
    if (webPage && !m_browser.isEmpty())
        return start(m_browser, {url.toString(QUrl::FullyEncoded)});
    return QDesktopServices::openUrl(url);
}

bool DesktopPrograms::start(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

} // namespace integrations
