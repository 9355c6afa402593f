#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace integrations {

// The desktop programs the client hands work to: the default web browser,
// the router management tool, the spreadsheet program. Behind an interface
// so tests can record what would have been started.
class ExternalPrograms {
public:
    virtual ~ExternalPrograms() = default;
    // Opens an address (http, https, file) in the desktop's default program.
    // Returns false when nothing could be started.
    virtual bool openUrl(const QUrl& url) = 0;
    // Starts a program with its arguments, detached from the client. Returns
    // false when the program could not be started.
    virtual bool start(const QString& program, const QStringList& arguments) = 0;
};

// The real desktop: QProcess::startDetached, and QDesktopServices for an
// address, except that web pages go to the configured browser when
// [tools] browser names one.
class DesktopPrograms final : public ExternalPrograms {
public:
    explicit DesktopPrograms(QString browser = {})
        : m_browser(std::move(browser)) {}
    bool openUrl(const QUrl& url) override;
    bool start(const QString& program, const QStringList& arguments) override;

private:
    QString m_browser;
};

} // namespace integrations
