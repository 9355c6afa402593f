#include "integrations/external_programs.h"

#include <QDesktopServices>
#include <QProcess>

namespace integrations {

bool DesktopPrograms::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

bool DesktopPrograms::start(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

} // namespace integrations
