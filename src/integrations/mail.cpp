#include "integrations/mail.h"

#include "core/config.h"
#include "integrations/service_error.h"

#include <QEventLoop>
#include <QFutureWatcher>
#include <QLocale>
#include <QPromise>
#include <QThreadPool>
#include <QTimer>
#include <QUuid>
#include <algorithm>
#include <cstring>
#include <curl/curl.h>
#include <memory>
#include <mutex>

namespace integrations {

namespace {

const QString service = QStringLiteral("mail server");

QStringList addressesOf(const QString& list) {
    QStringList out;
    for (const QString& part : list.split(QLatin1Char(';'))) {
        const QString address = part.trimmed();
        if (!address.isEmpty())
            out.append(address);
    }
    return out;
}

// An address goes into a header and into an SMTP command between "<" and
// ">": a line break there would start a command or header of its own.
bool isMailAddress(const QString& address) {
    if (!address.contains(QLatin1Char('@')))
        return false;
    for (const QChar c : address)
        if (c.isSpace() || c.category() == QChar::Other_Control || c == QLatin1Char('<') ||
            c == QLatin1Char('>') || c == QLatin1Char(',') || c == QLatin1Char('"'))
            return false;
    return true;
}

bool isPlainHeaderText(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    return text.size() <= 900 && !text.contains(QStringLiteral("=?"));
}

// RFC 2047 encoded words of at most 75 characters, cut between characters,
// folded onto lines of their own.
QByteArray encodedHeaderText(const QString& text) {
    if (isPlainHeaderText(text))
        return text.toLatin1();
    QByteArrayList words;
    QByteArray chunk;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype width = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray next = text.mid(i, width).toUtf8();
        if (chunk.size() + next.size() > 45) {
            words.append("=?UTF-8?B?" + chunk.toBase64() + "?=");
            chunk.clear();
        }
        chunk += next;
        i += width;
    }
    if (!chunk.isEmpty() || words.isEmpty())
        words.append("=?UTF-8?B?" + chunk.toBase64() + "?=");
    return words.join("\r\n ");
}

QByteArray base64Lines(const QByteArray& data) {
    const QByteArray all = data.toBase64();
    QByteArray out;
    for (qsizetype i = 0; i < all.size(); i += 76)
        out += all.mid(i, 76) + "\r\n";
    return out;
}

QByteArray domainOf(const QString& address) {
    const qsizetype at = address.lastIndexOf(QLatin1Char('@'));
    return at < 0 ? QByteArray("localhost") : address.mid(at + 1).toUtf8();
}

QString firstInvalidAddress(const MailAccount& account, const QStringList& recipients) {
    if (!isMailAddress(account.from))
        return account.from;
    for (const QString& r : recipients)
        if (!isMailAddress(r))
            return r;
    return {};
}

// What the worker thread needs, copied: the caller may stop waiting and
// return while the transfer still winds down.
struct Transfer {
    MailAccount account;
    QStringList recipients;
    QByteArray message;
    int waitLimitSeconds = 20;
};

struct Upload {
    const QByteArray* data;
    qsizetype sent = 0;
};

size_t readMessage(char* buffer, size_t size, size_t count, void* user) {
    auto* upload = static_cast<Upload*>(user);
    const size_t n = std::min<size_t>(size * count, size_t(upload->data->size() - upload->sent));
    std::memcpy(buffer, upload->data->constData() + upload->sent, n);
    upload->sent += qsizetype(n);
    return n;
}

int stopWhenGivenUp(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<QPromise<SendResult>*>(user)->isCanceled() ? 1 : 0;
}

void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

SendResult transfer(const Transfer& t, QPromise<SendResult>& promise) {
    CURL* curl = curl_easy_init();
    if (!curl)
        return {service + QStringLiteral(": libcurl could not start")};
    const QByteArray url = t.account.smtpUrl.toUtf8();
    const QByteArray from = "<" + t.account.from.toUtf8() + ">";
    const QByteArray user = t.account.username.toUtf8();
    const QByteArray password = t.account.password.toUtf8();
    const QByteArray caFile = t.account.caFile.toUtf8();
    curl_slist* rcpt = nullptr;
    for (const QString& r : t.recipients)
        rcpt = curl_slist_append(rcpt, ("<" + r.toUtf8() + ">").constData());
    Upload upload{&t.message};
    char detail[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, long(t.waitLimitSeconds));
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, detail);
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, rcpt);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, readMessage);
    curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, stopWhenGivenUp);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &promise);
    if (t.account.starttls)
        curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    if (!caFile.isEmpty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.constData());
    if (!user.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    }
    const CURLcode code = curl_easy_perform(curl);
    curl_slist_free_all(rcpt);
    curl_easy_cleanup(curl);
    if (code == CURLE_OK)
        return {};
    if (code == CURLE_OPERATION_TIMEDOUT)
        return {service + QStringLiteral(": no answer within %1 s").arg(t.waitLimitSeconds)};
    QString why = QString::fromUtf8(detail).trimmed();
    if (why.isEmpty())
        why = QString::fromUtf8(curl_easy_strerror(code));
    return {service + QStringLiteral(": ") + withoutSecrets(why, {t.account.password})};
}

} // namespace

MailAccount MailAccount::fromConfig(const core::Config& config) {
    MailAccount a;
    a.smtpUrl = config.required(QStringLiteral("mail/smtp_url"));
    a.starttls = config.flag(QStringLiteral("mail/starttls"), false);
    a.from = config.required(QStringLiteral("mail/from"));
    a.username = config.value(QStringLiteral("mail/username"));
    a.password = config.value(QStringLiteral("mail/password"));
    a.openCc = config.required(QStringLiteral("mail/open_cc"));
    a.updateCc = config.required(QStringLiteral("mail/update_cc"));
    a.nocPhones = config.required(QStringLiteral("mail/noc_phones"));
    a.caFile = config.value(QStringLiteral("mail/ca_file"));
    return a;
}

QStringList mailRecipients(const Mail& mail) {
    QStringList out;
    for (const QString& address : addressesOf(mail.to) + addressesOf(mail.cc))
        if (!out.contains(address, Qt::CaseInsensitive))
            out.append(address);
    return out;
}

QByteArray mailMessage(const MailAccount& account, const Mail& mail, const QDateTime& date) {
    const QByteArray crlf = "\r\n";
    QByteArray m;
    // Qt leaves the day name out; mail readers show it.
    m += "Date: " + QLocale::c().toString(date, QStringLiteral("ddd, ")).toLatin1() +
         date.toString(Qt::RFC2822Date).toLatin1() + crlf;
    m += "From: " + account.from.toUtf8() + crlf;
    const QStringList to = addressesOf(mail.to);
    if (!to.isEmpty())
        m += "To: " + to.join(QStringLiteral(", ")).toUtf8() + crlf;
    const QStringList cc = addressesOf(mail.cc);
    if (!cc.isEmpty())
        m += "Cc: " + cc.join(QStringLiteral(", ")).toUtf8() + crlf;
    m += "Subject: " + encodedHeaderText(mail.subject) + crlf;
    m += "Message-ID: <" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + "@" +
         domainOf(account.from) + ">" + crlf;
    m += "MIME-Version: 1.0" + crlf;
    m += "Content-Type: text/html; charset=UTF-8" + crlf;
    m += "Content-Transfer-Encoding: base64" + crlf;
    m += crlf;
    m += base64Lines(mail.htmlBody.toUtf8());
    return m;
}

SendResult mailSend(const MailAccount& account, int waitLimitSeconds, const Mail& mail) {
    const QStringList recipients = mailRecipients(mail);
    if (recipients.isEmpty())
        return {QStringLiteral("no recipient: To and Cc hold no mail address")};
    const QString invalid = firstInvalidAddress(account, recipients);
    if (!invalid.isEmpty() || account.from.isEmpty())
        return {QStringLiteral("not a mail address: \"%1\"").arg(invalid)};
    initCurlOnce();
    auto job = std::make_shared<Transfer>(
        Transfer{account, recipients, mailMessage(account, mail, QDateTime::currentDateTime()),
                 waitLimitSeconds});
    auto promise = std::make_shared<QPromise<SendResult>>();
    QFutureWatcher<SendResult> watcher;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    watcher.setFuture(promise->future());
    promise->start();
    QThreadPool::globalInstance()->start([job, promise] {
        promise->addResult(transfer(*job, *promise));
        promise->finish();
    });
    // A second beyond curl's own limit, so curl reports its own reason first.
    limit.start((waitLimitSeconds + 1) * 1000);
    if (!watcher.isFinished())
        loop.exec();
    if (!watcher.isFinished()) {
        promise->future().cancel();
        return {service + QStringLiteral(": no answer within %1 s").arg(waitLimitSeconds)};
    }
    return watcher.result();
}

} // namespace integrations
