// Every way of reaching an outside service, against a service at its worst:
// refused, hung, failing, flooding, talking nonsense, redirecting forever.
// The wait ends within the limit and a second, the UI keeps turning meanwhile,
// and a failure is reported as one, in words that name the service.
#include "complaints/complaint_lifecycle.h"
#include "integrations/mail.h"
#include "integrations/sms.h"
#include "integrations/web_browser.h"
#include "integrations/whatsapp.h"
#include "support/bounded_wait.h"
#include "support/hostile_server.h"
#include "support/test_certificate.h"

#include <QNetworkReply>
#include <QPointer>
#include <QTest>
#include <functional>

using Mode = support::HostileServer::Mode;
using integrations::SendResult;

Q_DECLARE_METATYPE(Mode)

namespace {

constexpr int waitLimitSeconds = 1;

// How one action went: what it reported, how long it took, how often the UI
// turned meanwhile.
struct Run : support::TimedRun {
    SendResult result;
};

Run timed(const std::function<SendResult()>& action) {
    Run run;
    static_cast<support::TimedRun&>(run) = support::timedRun([&] { run.result = action(); });
    return run;
}

void checkBounded(const Run& run) {
    support::checkBounded(run, waitLimitSeconds);
}

QString modeName(Mode mode) {
    switch (mode) {
    case Mode::Refused:
        return QStringLiteral("refused");
    case Mode::Hang:
        return QStringLiteral("hung");
    case Mode::ServerError:
        return QStringLiteral("server error");
    case Mode::Huge:
        return QStringLiteral("50 MB");
    case Mode::InvalidUtf8:
        return QStringLiteral("invalid UTF-8");
    case Mode::RedirectLoop:
        return QStringLiteral("redirect loop");
    }
    return {};
}

} // namespace

class TstHostileServices : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void sms_data();
    void sms();
    void whatsApp_data();
    void whatsApp();
    void mail_data();
    void mail();
    void closingNotice_data();
    void closingNotice();
    void webPage_data();
    void webPage();

private:
    support::TestCertificate m_certificate;
};

void TstHostileServices::initTestCase() {
    QVERIFY(!m_certificate.certificatePath().isEmpty());
    support::startWebEngine();
}

void TstHostileServices::cleanupTestCase() {
    qInfo("longest wait %s", qPrintable(support::longestBoundedRun()));
}

// The gateway's page is not examined: a 200 whose text is not UTF-8 is a sent
// message; every other misbehaviour is a failure, in these words.
void TstHostileServices::sms_data() {
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<QString>("why"); // empty: sent
    QTest::addRow("refused") << Mode::Refused << QStringLiteral("Connection refused");
    QTest::addRow("hung") << Mode::Hang << QStringLiteral("No answer within 1 s");
    QTest::addRow("server error") << Mode::ServerError << QStringLiteral("answered HTTP 500");
    QTest::addRow("50 MB") << Mode::Huge << QStringLiteral("answer longer than 1 MB, not read");
    QTest::addRow("invalid UTF-8") << Mode::InvalidUtf8 << QString();
    QTest::addRow("redirect loop") << Mode::RedirectLoop << QStringLiteral("answered HTTP 302");
}

void TstHostileServices::sms() {
    QFETCH(Mode, mode);
    QFETCH(QString, why);
    const support::HostileServer gateway(mode);
    const integrations::SmsAccount account{gateway.hostPort(), QStringLiteral("zel"),
                                           QStringLiteral("s3cret"), QStringLiteral("ZELCRM")};
    const Run run = timed([&] {
        return integrations::smsMessageSend(account, waitLimitSeconds, QStringLiteral("9847012345"),
                                            QStringLiteral("Complaint 17 registered"));
    });
    checkBounded(run);
    QCOMPARE(run.result.error, why.isEmpty() ? QString() : QStringLiteral("SMS gateway: ") + why);
}

void TstHostileServices::whatsApp_data() {
    sms_data();
}

void TstHostileServices::whatsApp() {
    QFETCH(Mode, mode);
    QFETCH(QString, why);
    const support::HostileServer api(mode, m_certificate.serverConfiguration());
    const integrations::WhatsAppAccount account{api.hostPort(), QStringLiteral("7103"),
                                                QStringLiteral("t0ken"),
                                                m_certificate.certificatePath()};
    const Run run = timed([&] {
        return integrations::whatsAppMessageSend(account, waitLimitSeconds,
                                                 QStringLiteral("919847012345"),
                                                 QStringLiteral("Complaint 17 registered"));
    });
    checkBounded(run);
    QCOMPARE(run.result.error,
             why.isEmpty() ? QString() : QStringLiteral("WhatsApp message API: ") + why);
}

// No SMTP server that misbehaves has taken a mail.
void TstHostileServices::mail_data() {
    QTest::addColumn<Mode>("mode");
    for (Mode mode : {Mode::Refused, Mode::Hang, Mode::ServerError, Mode::Huge, Mode::InvalidUtf8})
        QTest::addRow("%s", qPrintable(modeName(mode))) << mode;
}

void TstHostileServices::mail() {
    QFETCH(Mode, mode);
    const support::HostileServer smtp(mode, support::HostileServer::Protocol::Smtp);
    integrations::MailAccount account;
    account.smtpUrl = smtp.baseUrl();
    account.from = QStringLiteral("noc@zel.example");
    account.password = QStringLiteral("m4il");
    const integrations::Mail mail{QStringLiteral("fe@zel.example"),
                                  {},
                                  QStringLiteral("Site fault"),
                                  QStringLiteral("<p>down</p>")};
    const Run run = timed([&] { return integrations::mailSend(account, waitLimitSeconds, mail); });
    checkBounded(run);
    QVERIFY(!run.result.ok());
    QVERIFY2(run.result.error.startsWith(QStringLiteral("mail server: ")),
             qPrintable(run.result.error));
}

// The closing notice is sent without waiting and its answer is never read:
// closing a complaint goes on at once, and a portal that holds the request
// has it dropped at the wait limit.
void TstHostileServices::closingNotice_data() {
    QTest::addColumn<Mode>("mode");
    for (Mode mode : {Mode::Refused, Mode::Hang, Mode::ServerError, Mode::Huge, Mode::InvalidUtf8,
                      Mode::RedirectLoop})
        QTest::addRow("%s", qPrintable(modeName(mode))) << mode;
}

void TstHostileServices::closingNotice() {
    QFETCH(Mode, mode);
    const support::HostileServer portal(mode);
    const QPointer<QNetworkReply> notice = complaints::sendClosingNotice(
        QUrl(portal.baseUrl() + QStringLiteral("/sms.php?mobile=9847012345&id=17")),
        waitLimitSeconds);
    // Nothing was waited for: whatever the portal does, the request is still
    // under way when the call returns.
    QVERIFY(notice && !notice->isFinished());
    if (mode == Mode::Hang) {
        QTRY_COMPARE_WITH_TIMEOUT(portal.connections(), 1, 1000);
        QTRY_COMPARE_WITH_TIMEOUT(portal.openConnections(), 0, (waitLimitSeconds + 1) * 1000);
    }
    // The notice ends before its portal goes, so the next case starts clean.
    QTRY_VERIFY_WITH_TIMEOUT(notice.isNull(), (waitLimitSeconds + 5) * 1000);
}

// Every browser-driven page (directory lookup, MTNL, OLT login and service
// pages, policy and AP pages) goes through this wait and this read. A page
// that never comes, or comes as an error, gives nothing the screens could
// take for an answer.
void TstHostileServices::webPage_data() {
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<QString>("text");
    QTest::addRow("refused") << Mode::Refused << false << QString();
    QTest::addRow("hung") << Mode::Hang << false << QString();
    QTest::addRow("server error") << Mode::ServerError << false << QString();
    QTest::addRow("50 MB") << Mode::Huge << false << QString();
    QTest::addRow("invalid UTF-8") << Mode::InvalidUtf8 << true << QStringLiteral("answer");
    QTest::addRow("redirect loop") << Mode::RedirectLoop << false << QString();
}

void TstHostileServices::webPage() {
    QFETCH(Mode, mode);
    QFETCH(bool, loaded);
    QFETCH(QString, text);
    const support::HostileServer site(mode);
    integrations::WebBrowser browser;
    browser.setWaitLimitSeconds(waitLimitSeconds);
    bool wasLoaded = false;
    QString body;
    const Run run = timed([&] {
        wasLoaded = browser.navigateAndWait(QUrl(site.baseUrl() + QStringLiteral("/ldap.php")));
        // As every screen does: a page that did not load is not read.
        if (wasLoaded)
            body = browser.bodyText();
        return SendResult{};
    });
    checkBounded(run);
    QCOMPARE(wasLoaded, loaded);
    if (!text.isEmpty())
        QVERIFY2(body.contains(text), qPrintable(body.left(200)));
}

QTEST_MAIN(TstHostileServices)
#include "tst_hostile_services.moc"
