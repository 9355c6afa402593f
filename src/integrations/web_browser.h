#pragma once

#include <QHash>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <QWidget>

class QWebEngineView;

namespace integrations {

// Whether a page of `url` may be shown despite its certificate error: only a
// page of the trusted host (compared as host names, port and scheme aside);
// nothing when no host is trusted.
bool acceptCertificate(const QUrl& url, const QString& trustedHost);

// The embedded browser of a screen (`WebBrowser1`): placed in a .ui file as a
// promoted QWidget; the Chromium view behind it is created on first use, so a
// screen that never browses never starts it. Every wait keeps the UI live and
// ends at the wait limit, after which the caller goes on as if the page had
// answered nothing usable.
class WebBrowser : public QWidget {
    Q_OBJECT
public:
    explicit WebBrowser(QWidget* parent = nullptr);
    ~WebBrowser() override;

    void setWaitLimitSeconds(int seconds) { m_waitLimitSeconds = seconds; }
    int waitLimitSeconds() const { return m_waitLimitSeconds; }
    // Certificate errors are refused, except for pages of this host (an
    // OLT's self-signed login page, when the configuration trusts it).
    void setTrustedSelfSignedHost(const QString& host) { m_trustedHost = host; }
    QString trustedSelfSignedHost() const { return m_trustedHost; }

    // Starts loading the address; returns at once.
    void navigate(const QUrl& url);
    // Waits while the browser is busy, then until the page is complete.
    // False when the limit ran out or the page failed to load.
    bool waitUntilLoaded();
    bool navigateAndWait(const QUrl& url);
    bool isBusy() const { return m_busy; }
    QUrl url() const;

    // Sets the named fields of the page's first form (by name attribute) and
    // submits that form. False when the page has no form; a name the form
    // lacks is skipped. After a submit, waitUntilLoaded() waits for the answer.
    bool fillFirstForm(const QHash<QString, QString>& fields);
    bool submitFirstForm();

    // The page's body text as rendered, lines ended by CR LF; empty when
    // there is no page.
    QString bodyText();
    // Waits while the body text is exactly `length` characters long (a page
    // still showing its placeholder), ending at the limit. True when it changed.
    bool waitWhileBodyLength(int length);

    // Null until the first navigation.
    QWebEngineView* view() const { return m_view; }

signals:
    void loadFinished(bool ok);

private:
    QWebEngineView* ensureView();
    // Runs the script in an isolated world (the page's own scripts cannot
    // tamper with the DOM functions it calls). Invalid when there is no page
    // or no result came within limitMs.
    QVariant runScript(const QString& script, int limitMs);
    void pause(int ms);
    void onLoadStarted();
    void onLoadFinished(bool ok);
    int waitLimitMs() const { return m_waitLimitSeconds * 1000; }

    QWebEngineView* m_view = nullptr;
    int m_waitLimitSeconds = 20;
    QString m_trustedHost;
    bool m_busy = false;
    bool m_lastLoadOk = false;
    int m_loadsFinished = 0;
};

} // namespace integrations
