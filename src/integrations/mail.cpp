#include "integrations/mail.h"

#include "core/config.h"
#include "integrations/service_error.h"

#include <QEventLoop>
#include <QFutureWatcher>
#include <QLocale>
#include <QPromise>
#include <QRegularExpression>
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

// A place of the list may hold several addresses: contact columns are
// filled by hand, "a@x, b@x" as often as "a@x;b@x".
QStringList addressesOf(const QString& list) {
    QStringList out;
    for (const QString& part : list.split(QRegularExpression(QStringLiteral("[;,]")))) {
        const QString address = part.trimmed();
        if (!address.isEmpty())
            out.append(address);
    }
    return out;
}

// An address goes into a header and into an SMTP command between "<" and
// ">": a line break there would start a command or header of its own, and
// the server is not asked for SMTPUTF8, so it stays printable ASCII.
bool isMailAddress(const QString& address) {
    if (!address.contains(QLatin1Char('@')))
        return false;
    for (const QChar c : address)
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f || c == QLatin1Char('<') ||
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

// The header's addresses: those a mail can carry. One that is no mail
// address is left out here as in the envelope; it must not reach a header.
QByteArray addressHeader(const QString& list) {
    QStringList usable;
    for (const QString& address : addressesOf(list))
        if (isMailAddress(address))
            usable.append(address);
    return usable.join(QStringLiteral(", ")).toUtf8();
}

const QString notAnAddress = QStringLiteral("not a mail address");

// Why nothing can be sent, or empty when some recipient can be: the mail
// then goes to the usable ones and names the others.
QString addressProblem(const MailAccount& account, const QStringList& recipients,
                       const QList<RefusedRecipient>& unusable) {
    if (recipients.isEmpty())
        return QStringLiteral("no recipient: To and Cc hold no mail address");
    if (!isMailAddress(account.from))
        return notAnAddress + QStringLiteral(": sender \"%1\"").arg(account.from);
    if (unusable.size() < recipients.size())
        return {};
    QStringList quoted;
    for (const RefusedRecipient& r : unusable)
        quoted << u'"' + r.address + u'"';
    return notAnAddress + QStringLiteral(": ") + quoted.join(QStringLiteral(", "));
}

QList<RefusedRecipient> unusableOf(const QStringList& recipients) {
    QList<RefusedRecipient> out;
    for (const QString& r : recipients)
        if (!isMailAddress(r))
            out.append({r, notAnAddress});
    return out;
}

// The fixed Cc list as the mail composes it: directly after the GM's
// address, so it begins with ";" whether or not the file wrote one.
QString fixedCcList(const QString& configured) {
    return configured.startsWith(u';') ? configured : u';' + configured;
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
    return static_cast<QPromise<MailResult>*>(user)->isCanceled() ? 1 : 0;
}

// libcurl goes on past a refused RCPT TO when told to, but says only whether
// some recipient was left: which ones, and the server's reason, are read
// from its protocol trace. It asks for the recipients one at a time, in list
// order, and waits for each answer, so the n-th answer is the n-th
// recipient's.
struct RecipientAnswers {
    const QStringList* recipients = nullptr;
    qsizetype asked = 0;
    bool awaiting = false;
    QList<RefusedRecipient> refused;

    void sent(const QByteArray& command) {
        if (command.startsWith("RCPT TO:")) {
            ++asked;
            awaiting = true;
        }
    }
    void received(const QByteArray& lines) {
        for (const QByteArray& raw : lines.split('\n')) {
            const QByteArray line = raw.trimmed();
            // "250-..." continues a reply; its last line has a blank there.
            if (!awaiting || line.size() < 3 || (line.size() > 3 && line.at(3) == '-'))
                continue;
            awaiting = false;
            if (line.startsWith('4') || line.startsWith('5'))
                refused.append(
                    {recipients->value(asked - 1),
                     QStringLiteral("refused by the mail server: ") + QString::fromUtf8(line)});
        }
    }
};

int traceProtocol(CURL*, curl_infotype type, char* data, size_t size, void* user) {
    auto* answers = static_cast<RecipientAnswers*>(user);
    const QByteArray text(data, qsizetype(size));
    if (type == CURLINFO_HEADER_OUT)
        answers->sent(text);
    else if (type == CURLINFO_HEADER_IN)
        answers->received(text);
    return 0;
}

void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

using CurlHandle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using CurlList = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;

CurlList recipientList(const QStringList& recipients) {
    curl_slist* list = nullptr;
    for (const QString& r : recipients)
        list = curl_slist_append(list, ("<" + r.toUtf8() + ">").constData());
    return {list, &curl_slist_free_all};
}

// libcurl copies every text option, so the temporaries may go at once.
void setAccount(CURL* curl, const MailAccount& account) {
    curl_easy_setopt(curl, CURLOPT_URL, account.smtpUrl.toUtf8().constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, ("<" + account.from.toUtf8() + ">").constData());
    if (account.starttls)
        curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    if (!account.caFile.isEmpty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, account.caFile.toUtf8().constData());
    if (!account.username.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, account.username.toUtf8().constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, account.password.toUtf8().constData());
    }
}

// One refused mailbox must not cost everybody else the mail. The option
// lost its third L in libcurl 8.2; Debian 12 has 7.88.
void allowRefusedRecipients(CURL* curl) {
#if LIBCURL_VERSION_NUM >= 0x080200
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT_ALLOWFAILS, 1L);
#else
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT_ALLLOWFAILS, 1L);
#endif
}

// The trace carries the AUTH exchange too; it is read here and nowhere else.
void traceRecipients(CURL* curl, RecipientAnswers& answers) {
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, traceProtocol);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &answers);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
}

MailResult failed(const QString& error, bool unanswered = false) {
    MailResult r;
    r.error = error;
    r.unanswered = unanswered;
    return r;
}

QString refusalList(const QList<RefusedRecipient>& refused) {
    QStringList parts;
    for (const RefusedRecipient& r : refused)
        parts << r.address + QStringLiteral(" (") + r.reason + u')';
    return parts.join(QStringLiteral(", "));
}

MailResult resultOf(CURLcode code, const char* detail, const Transfer& t,
                    const RecipientAnswers& answers) {
    if (code == CURLE_OK) {
        MailResult r;
        r.refused = answers.refused;
        return r;
    }
    if (code == CURLE_OPERATION_TIMEDOUT)
        return failed(service + QStringLiteral(": no answer within %1 s").arg(t.waitLimitSeconds),
                      true);
    if (!answers.refused.isEmpty() && answers.refused.size() == t.recipients.size())
        return failed(service + QStringLiteral(": every recipient was refused: ") +
                      refusalList(answers.refused));
    QString why = QString::fromUtf8(detail).trimmed();
    if (why.isEmpty())
        why = QString::fromUtf8(curl_easy_strerror(code));
    return failed(service + QStringLiteral(": ") + withoutSecrets(why, {t.account.password}));
}

MailResult transfer(const Transfer& t, QPromise<MailResult>& promise) {
    const CurlHandle curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl)
        return failed(service + QStringLiteral(": libcurl could not start"));
    const CurlList recipients = recipientList(t.recipients);
    Upload upload{&t.message};
    RecipientAnswers answers;
    answers.recipients = &t.recipients;
    char detail[CURL_ERROR_SIZE] = {};
    CURL* c = curl.get();
    setAccount(c, t.account);
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, recipients.get());
    allowRefusedRecipients(c);
    traceRecipients(c, answers);
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_READFUNCTION, readMessage);
    curl_easy_setopt(c, CURLOPT_READDATA, &upload);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L); // not on the main thread
    curl_easy_setopt(c, CURLOPT_TIMEOUT, long(t.waitLimitSeconds));
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, stopWhenGivenUp);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &promise);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, detail);
    return resultOf(curl_easy_perform(c), detail, t, answers);
}

} // namespace

MailAccount MailAccount::fromConfig(const core::Config& config) {
    MailAccount a;
    a.smtpUrl = config.required(QStringLiteral("mail/smtp_url"));
    // Without a scheme libcurl would guess one, and could guess plain HTTP.
    if (!a.smtpUrl.startsWith(QLatin1String("smtp://"), Qt::CaseInsensitive) &&
        !a.smtpUrl.startsWith(QLatin1String("smtps://"), Qt::CaseInsensitive))
        throw core::ConfigError(
            QStringLiteral("Setting [mail] smtp_url in %1 must begin with smtp:// or smtps://")
                .arg(config.path()));
    a.starttls = config.flag(QStringLiteral("mail/starttls"), false);
    a.from = config.required(QStringLiteral("mail/from"));
    a.username = config.value(QStringLiteral("mail/username"));
    a.password = config.value(QStringLiteral("mail/password"));
    a.openCc = fixedCcList(config.required(QStringLiteral("mail/open_cc")));
    a.updateCc = fixedCcList(config.required(QStringLiteral("mail/update_cc")));
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
    if (const QByteArray to = addressHeader(mail.to); !to.isEmpty())
        m += "To: " + to + crlf;
    if (const QByteArray cc = addressHeader(mail.cc); !cc.isEmpty())
        m += "Cc: " + cc + crlf;
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

MailResult mailSend(const MailAccount& account, int waitLimitSeconds, const Mail& mail) {
    const QStringList recipients = mailRecipients(mail);
    const QList<RefusedRecipient> unusable = unusableOf(recipients);
    if (const QString problem = addressProblem(account, recipients, unusable); !problem.isEmpty())
        return failed(problem);
    QStringList usable;
    for (const QString& r : recipients)
        if (isMailAddress(r))
            usable.append(r);
    initCurlOnce();
    auto job = std::make_shared<Transfer>(
        Transfer{account, usable, mailMessage(account, mail, QDateTime::currentDateTime()),
                 waitLimitSeconds});
    auto promise = std::make_shared<QPromise<MailResult>>();
    QFutureWatcher<MailResult> watcher;
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
        return failed(service + QStringLiteral(": no answer within %1 s").arg(waitLimitSeconds),
                      true);
    }
    MailResult result = watcher.result();
    if (result.ok())
        result.refused = unusable + result.refused;
    return result;
}

} // namespace integrations
