#include "integrations/web_browser.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineCertificateError>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <memory>

namespace integrations {

namespace {

// Chromium refuses a page with a certificate error unless the page accepts
// it. The trusted host is read when the error comes, because a screen sets
// it from the site it shows, after the browser may already exist.
class GuardedPage : public QWebEnginePage {
public:
    GuardedPage(QWebEngineProfile* profile, const WebBrowser* owner, QObject* parent)
        : QWebEnginePage(profile, parent) {
        QPointer<const WebBrowser> browser(owner);
        connect(this, &QWebEnginePage::certificateError, this,
                [browser](QWebEngineCertificateError error) {
                    if (browser && acceptCertificate(error.url(), browser->trustedSelfSignedHost()))
                        error.acceptCertificate();
                    else
                        error.rejectCertificate();
                });
    }
};

QString withCrLf(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

} // namespace

bool acceptCertificate(const QUrl& url, const QString& trustedHost) {
    QUrl trusted;
    trusted.setHost(trustedHost.trimmed()); // the same normal form as url.host()
    return !trusted.host().isEmpty() && url.host() == trusted.host();
}

WebBrowser::WebBrowser(QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

WebBrowser::~WebBrowser() {
    // The page (the view's child) must go before the profile it uses.
    delete m_view;
}

QWebEngineView* WebBrowser::ensureView() {
    if (m_view)
        return m_view;
    // Off the record: cookies, cache and history stay in memory, so the client
    // keeps no files of its own.
    auto* profile = new QWebEngineProfile(this);
    m_view = new QWebEngineView(this);
    m_view->setPage(new GuardedPage(profile, this, m_view));
    // No Back, Forward or Reload: going back to a page that changed a device
    // must never be a click away.
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    layout()->addWidget(m_view);
    connect(m_view->page(), &QWebEnginePage::loadStarted, this, &WebBrowser::onLoadStarted);
    connect(m_view->page(), &QWebEnginePage::loadFinished, this, &WebBrowser::onLoadFinished);
    return m_view;
}

void WebBrowser::onLoadStarted() {
    m_busy = true;
}

void WebBrowser::onLoadFinished(bool ok) {
    ++m_loadsFinished;
    // Should a load end while a newer one is already under way (a second
    // click during a wait), the browser stays busy until the newer one is done.
    if (m_view && m_view->page()->isLoading())
        return;
    m_busy = false;
    m_lastLoadOk = ok;
    emit loadFinished(ok);
}

void WebBrowser::navigate(const QUrl& url) {
    ensureView();
    m_busy = true;
    m_lastLoadOk = false;
    m_view->load(url);
}

bool WebBrowser::waitUntilLoaded() {
    QPointer<WebBrowser> alive(this);
    const QDeadlineTimer deadline(waitLimitMs());
    while (m_busy && !deadline.hasExpired()) {
        QEventLoop loop;
        QTimer limit;
        limit.setSingleShot(true);
        connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(this, &WebBrowser::loadFinished, &loop, &QEventLoop::quit);
        // The screen may close (and destroy this browser) during the wait.
        connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
        limit.start(int(deadline.remainingTime()));
        loop.exec();
        if (!alive)
            return false;
    }
    return !m_busy && m_lastLoadOk;
}

bool WebBrowser::navigateAndWait(const QUrl& url) {
    navigate(url);
    return waitUntilLoaded();
}

QUrl WebBrowser::url() const {
    return m_view ? m_view->url() : QUrl();
}

QVariant WebBrowser::runScript(const QString& script, int limitMs) {
    if (!m_view)
        return {};
    // The result may come after the limit, when this frame is gone: the
    // callback only touches what it shares.
    struct Outcome {
        bool done = false;
        QVariant value;
        QPointer<QEventLoop> loop;
    };
    auto outcome = std::make_shared<Outcome>();
    QPointer<WebBrowser> alive(this);
    QEventLoop loop;
    outcome->loop = &loop;
    m_view->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                  [outcome](const QVariant& value) {
                                      outcome->done = true;
                                      outcome->value = value;
                                      if (outcome->loop)
                                          outcome->loop->quit();
                                  });
    if (!outcome->done) {
        QTimer limit;
        limit.setSingleShot(true);
        connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
        limit.start(limitMs);
        loop.exec();
    }
    if (!alive || !outcome->done)
        return {};
    return outcome->value;
}

void WebBrowser::pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    loop.exec();
}

bool WebBrowser::fillFirstForm(const QHash<QString, QString>& fields) {
    QJsonObject values;
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        values.insert(it.key(), it.value());
    // The values travel as one JSON object literal, never spliced into the
    // script text, so a quote or a backslash in them stays data.
    const QString script =
        QStringLiteral("(function (values) {"
                       "  const form = document.forms[0];"
                       "  if (!form) return false;"
                       "  for (const name of Object.keys(values)) {"
                       "    const field = form.elements.namedItem(name);"
                       "    if (field) field.value = values[name];"
                       "  }"
                       "  return true;"
                       "})(%1)")
            .arg(QString::fromUtf8(QJsonDocument(values).toJson(QJsonDocument::Compact)));
    return runScript(script, waitLimitMs()).toBool();
}

bool WebBrowser::submitFirstForm() {
    // The prototype's submit, because a field named "submit" hides form.submit.
    const QString script = QStringLiteral("(function () {"
                                          "  const form = document.forms[0];"
                                          "  if (!form) return false;"
                                          "  HTMLFormElement.prototype.submit.call(form);"
                                          "  return true;"
                                          "})()");
    const int finishedBefore = m_loadsFinished;
    QPointer<WebBrowser> alive(this);
    if (!runScript(script, waitLimitMs()).toBool() || !alive)
        return false;
    // The answer's navigation starts a moment later; until it is done the
    // browser counts as busy, so the caller's wait covers it.
    if (m_loadsFinished == finishedBefore) {
        m_busy = true;
        m_lastLoadOk = false;
    }
    return true;
}

QString WebBrowser::bodyText() {
    const QVariant text =
        runScript(QStringLiteral("document.body ? document.body.innerText : ''"), waitLimitMs());
    return withCrLf(text.toString());
}

bool WebBrowser::waitWhileBodyLength(int length) {
    if (!m_view)
        return false;
    QPointer<WebBrowser> alive(this);
    const QDeadlineTimer deadline(waitLimitMs());
    const QString script = QStringLiteral("document.body ? document.body.innerText : ''");
    while (!deadline.hasExpired()) {
        const QVariant text = runScript(script, int(deadline.remainingTime()));
        if (!alive)
            return false;
        // No answer from the page is no change: keep waiting.
        if (text.isValid() && withCrLf(text.toString()).size() != length)
            return true;
        pause(int(qMin<qint64>(100, deadline.remainingTime())));
        if (!alive)
            return false;
    }
    return false;
}

} // namespace integrations
