#include "oltd/session/cli_session.h"

#include "oltd/session/terminal_text.h"
#include "oltd/session/transport.h"

#include <functional>
#include <optional>
#include <utility>

namespace oltd {

namespace {

const QString Masked = QStringLiteral("********");

// Logging out must not hold a closing session for long.
constexpr std::chrono::milliseconds LogoutLimit{3000};

// What the session does about the last, unterminated line, or about a
// finished one during the login.
struct Reaction {
    enum Kind { Wait, Done, Answer, Fail } kind = Wait;
    QByteArray answer;
    bool secret = false;    // a password: shown masked, its echo dropped
    bool pager = false;     // the marker is dropped, the text before it kept
    qsizetype keep = 0;     // for the pager: where the marker starts
    bool parameter = false; // Huawei echoes the command under a "Command:" line
    Code code = Code::Ok;   // for Fail
    QString message;

    static Reaction answered(QByteArray text, bool secret = false) {
        Reaction r;
        r.kind = Answer;
        r.answer = std::move(text);
        r.secret = secret;
        return r;
    }
    static Reaction failed(Code code, QString message) {
        Reaction r;
        r.kind = Fail;
        r.code = code;
        r.message = std::move(message);
        return r;
    }
};

QByteArray line(const QString& text) {
    return text.toUtf8() + '\n';
}

// The device's own spelling of the answer when the pattern names it.
QByteArray spelled(const QRegularExpressionMatch& m, const char* group, const QByteArray& plain) {
    const QString own = m.captured(QLatin1String(group));
    return own.isEmpty() ? plain : own.toUtf8() + '\n';
}

QString seconds(std::chrono::milliseconds limit) {
    return QString::number(limit.count() / 1000.0, 'g', 3);
}

} // namespace

struct CliSession::Impl {
    enum class End { Done, Closed, TimedOut, Failed };
    using React = std::function<Reaction(const QString&)>;

    Dialect dialect;
    SessionTarget target;
    std::unique_ptr<Transport> link;
    QByteArray partial; // what came after the last line end
    QStringList heard;  // the finished lines of this exchange, echoes left out
    QString promptSeen;
    QStringList transcript;
    QStringList masks; // besides the target's passwords, until takeTranscript()
    SteadyClock::time_point lastUsed = SteadyClock::now();
    Reaction failure;

    // Echoes still to come and be left out of the answer.
    std::optional<QString> commandEcho;
    std::optional<QString> answerEcho;
    enum class ParameterEcho { None, Header, Body } parameterEcho = ParameterEcho::None;

    void record(QString text) {
        for (const QString& secret : {target.password, target.enablePassword})
            if (!secret.isEmpty())
                text.replace(secret, Masked);
        for (const QString& secret : std::as_const(masks))
            if (!secret.isEmpty())
                text.replace(secret, Masked);
        transcript.append(text);
    }

    void drop() {
        link.reset();
        partial.clear();
        commandEcho.reset();
        answerEcho.reset();
        parameterEcho = ParameterEcho::None;
    }

    bool dropAsEcho(const QString& text);
    void take(const QString& text, const React& onLine);
    void answer(const Reaction& r, const QString& last);
    End converse(SteadyClock::time_point deadline, const React& onLast, const React& onLine = {});

    Reaction commandReaction(const QString& last, Confirm confirm) const;
    CommandReply login(SteadyClock::time_point deadline);
    CommandReply exchange(const QString& command, Confirm confirm);
};

// The device echoes what it is sent: the command after the prompt, a
// question's answer, and Huawei's "Command:" block after a parameter prompt.
bool CliSession::Impl::dropAsEcho(const QString& text) {
    const QString t = text.trimmed();
    if (answerEcho) {
        const QString expected = *std::exchange(answerEcho, std::nullopt);
        if (t.isEmpty() || t == expected)
            return true;
    }
    if (commandEcho) {
        if (t.isEmpty())
            return true;
        const QString expected = *std::exchange(commandEcho, std::nullopt);
        if (t.endsWith(expected) || (!promptSeen.isEmpty() && t.startsWith(promptSeen)))
            return true;
    }
    switch (parameterEcho) {
    case ParameterEcho::Header:
        parameterEcho = ParameterEcho::None;
        if (t == QLatin1String("Command:")) {
            parameterEcho = ParameterEcho::Body;
            return true;
        }
        break;
    case ParameterEcho::Body:
        parameterEcho = ParameterEcho::None;
        return true;
    case ParameterEcho::None:
        break;
    }
    return false;
}

void CliSession::Impl::take(const QString& text, const React& onLine) {
    const bool answerEchoed = answerEcho.has_value();
    const bool echo = dropAsEcho(text);
    // The answer to a question is already in the transcript with it.
    if (!(echo && answerEchoed))
        record(text);
    if (!echo)
        heard.append(text);
    if (onLine && failure.kind != Reaction::Fail) {
        Reaction r = onLine(text);
        if (r.kind == Reaction::Fail)
            failure = std::move(r);
    }
}

void CliSession::Impl::answer(const Reaction& r, const QString& last) {
    if (r.pager) {
        partial = last.left(r.keep).toUtf8();
    } else {
        const QString shown = r.secret ? Masked : QString::fromUtf8(r.answer).trimmed();
        record(last + shown);
        partial.clear();
        answerEcho = r.secret ? QString() : QString::fromUtf8(r.answer).trimmed();
        if (r.parameter)
            parameterEcho = ParameterEcho::Header;
    }
    link->write(r.answer);
}

// Reads until onLast says the last line is a prompt (Done), the device
// hangs up, the deadline passes or a reaction fails; answers on the way.
CliSession::Impl::End CliSession::Impl::converse(SteadyClock::time_point deadline,
                                                 const React& onLast, const React& onLine) {
    failure = {};
    bool fresh = false; // only what arrived since the start or the last answer counts
    for (;;) {
        for (qsizetype end; (end = partial.indexOf('\n')) >= 0;) {
            const QString text = terminalText(QByteArrayView(partial).first(end));
            partial.remove(0, end + 1);
            take(text, onLine);
        }
        if (failure.kind == Reaction::Fail)
            return End::Failed;
        const QString last = terminalText(partial);
        if (fresh && !last.isEmpty()) {
            const Reaction r = onLast(last);
            if (r.kind == Reaction::Done) {
                promptSeen = last;
                return End::Done;
            }
            if (r.kind == Reaction::Fail) {
                failure = r;
                return End::Failed;
            }
            if (r.kind == Reaction::Answer) {
                answer(r, last);
                fresh = false;
                continue;
            }
        }
        if (SteadyClock::now() >= deadline)
            return End::TimedOut;
        switch (link->read(&partial, deadline)) {
        case Transport::Read::Data:
            fresh = true;
            break;
        case Transport::Read::TimedOut:
            return End::TimedOut;
        case Transport::Read::Closed:
            // What came before the hang-up still belongs in the transcript.
            if (!partial.isEmpty())
                take(terminalText(std::exchange(partial, {})), onLine);
            return failure.kind == Reaction::Fail ? End::Failed : End::Closed;
        }
    }
}

Reaction CliSession::Impl::commandReaction(const QString& last, Confirm confirm) const {
    if (dialect.prompt.match(last).hasMatch()) {
        Reaction r;
        r.kind = Reaction::Done;
        return r;
    }
    if (const auto m = dialect.pager.match(last); m.hasMatch() && m.capturedEnd() == last.size()) {
        Reaction r = Reaction::answered(dialect.pagerContinue);
        r.pager = true;
        r.keep = m.capturedStart();
        return r;
    }
    for (const Question& q : dialect.parameterQuestions)
        if (q.pattern.match(last).hasMatch()) {
            Reaction r = Reaction::answered(q.answer);
            r.parameter = true;
            return r;
        }
    if (const auto m = dialect.confirmation.match(last); m.hasMatch())
        return Reaction::answered(confirm == Confirm::Yes ? spelled(m, "yes", dialect.confirmYes)
                                                          : spelled(m, "no", dialect.confirmNo));
    return {};
}

CommandReply CliSession::Impl::exchange(const QString& command, Confirm confirm) {
    heard.clear();
    answerEcho.reset();
    parameterEcho = ParameterEcho::None;
    commandEcho = command.trimmed();
    lastUsed = SteadyClock::now();
    const End end =
        link->write(line(command))
            ? converse(lastUsed + target.commandTimeout,
                       [&](const QString& last) { return commandReaction(last, confirm); })
            : End::Closed;
    lastUsed = SteadyClock::now();
    switch (end) {
    case End::Done:
        return {Code::Ok, heard.join(QLatin1Char('\n')), {}};
    case End::TimedOut:
        // Closed so that a late answer is never read as the next command's.
        drop();
        return {Code::Timeout,
                {},
                QStringLiteral("No answer from the OLT within the command time limit (%1 s); "
                               "the session was closed")
                    .arg(seconds(target.commandTimeout))};
    case End::Closed:
    case End::Failed:
        break;
    }
    drop();
    return {Code::DeviceError,
            {},
            QStringLiteral("connection lost: the OLT closed the session in the middle of a "
                           "command")};
}

// The login dialogue after the transport is up: user and password on
// telnet, then banners, questions, enable and the first prompt.
CommandReply CliSession::Impl::login(SteadyClock::time_point deadline) {
    const bool telnet = target.transport == TransportKind::Telnet;
    bool userSent = false, passwordSent = false, enableSent = false, enablePasswordSent = false;
    const auto onLast = [&](const QString& last) -> Reaction {
        if (dialect.prompt.match(last).hasMatch()) {
            if (dialect.enableCommand.isEmpty() || !dialect.userModePrompt.match(last).hasMatch()) {
                Reaction done;
                done.kind = Reaction::Done;
                return done;
            }
            if (enableSent)
                return Reaction::failed(Code::Auth, QStringLiteral("The OLT refused to enable "
                                                                   "privileged mode for user %1")
                                                        .arg(target.user));
            enableSent = true;
            return Reaction::answered(line(dialect.enableCommand));
        }
        if (enableSent && dialect.enablePasswordPrompt.match(last).hasMatch()) {
            if (std::exchange(enablePasswordSent, true))
                return Reaction::failed(Code::Auth,
                                        QStringLiteral("The OLT refused the enable password"));
            return Reaction::answered(line(target.enablePassword), true);
        }
        if (telnet && dialect.userPrompt.match(last).hasMatch()) {
            if (std::exchange(userSent, true))
                return Reaction::failed(Code::Auth, QStringLiteral("The OLT refused the login "
                                                                   "of user %1 over telnet")
                                                        .arg(target.user));
            return Reaction::answered(line(target.user));
        }
        if (telnet && userSent && dialect.passwordPrompt.match(last).hasMatch()) {
            if (std::exchange(passwordSent, true))
                return Reaction::failed(Code::Auth, QStringLiteral("The OLT refused the login "
                                                                   "of user %1 over telnet")
                                                        .arg(target.user));
            return Reaction::answered(line(target.password), true);
        }
        for (const Question& q : dialect.loginQuestions)
            if (q.pattern.match(last).hasMatch())
                return Reaction::answered(q.answer);
        if (const auto m = dialect.pager.match(last); m.hasMatch()) {
            Reaction r = Reaction::answered(dialect.pagerContinue);
            r.pager = true;
            r.keep = m.capturedStart();
            return r;
        }
        return {};
    };
    const auto onLine = [&](const QString& text) -> Reaction {
        if (text.contains(QLatin1String("System is busy")))
            return Reaction::failed(Code::DeviceError,
                                    QStringLiteral("The OLT is busy (%1): too many sessions are "
                                                   "open on it")
                                        .arg(text.trimmed()));
        if (telnet && passwordSent && !enableSent && dialect.loginRefused.match(text).hasMatch())
            return Reaction::failed(Code::Auth, QStringLiteral("The OLT refused the login of "
                                                               "user %1 over telnet: %2")
                                                    .arg(target.user, text.trimmed()));
        return {};
    };
    heard.clear();
    switch (converse(deadline, onLast, onLine)) {
    case End::Done:
        return {};
    case End::Failed:
        return {failure.code, {}, failure.message};
    case End::TimedOut:
        return {Code::Timeout,
                {},
                QStringLiteral("No prompt from the OLT within the login time limit (%1 s)")
                    .arg(seconds(target.loginTimeout))};
    case End::Closed:
        break;
    }
    return {Code::Auth, {}, QStringLiteral("The OLT closed the connection during the login")};
}

CliSession::CliSession(Dialect dialect, SessionTarget target)
    : d(std::make_unique<Impl>()) {
    d->dialect = std::move(dialect);
    d->target = std::move(target);
}

CliSession::~CliSession() {
    close();
}

CommandReply CliSession::open() {
    d->drop();
    const SessionTarget& t = d->target;
    const auto deadline = SteadyClock::now() + t.loginTimeout;
    const bool ssh = t.transport == TransportKind::Ssh;
    d->record(QStringLiteral("%1 %2@%3:%4")
                  .arg(ssh ? QStringLiteral("ssh") : QStringLiteral("telnet"), t.user, t.host)
                  .arg(t.port));
    Connection c = ssh ? openSsh(t, deadline) : openTelnet(t, deadline);
    if (c.code != Code::Ok) {
        d->record(c.message);
        return {c.code, {}, c.message};
    }
    d->link = std::move(c.transport);
    CommandReply reply = d->login(deadline);
    for (qsizetype i = 0; reply.ok() && i < d->dialect.setupCommands.size(); ++i)
        reply = d->exchange(d->dialect.setupCommands.at(i), Confirm::No);
    d->lastUsed = SteadyClock::now();
    if (!reply.ok()) {
        d->record(reply.message);
        d->drop();
        return reply;
    }
    return {};
}

bool CliSession::isOpen() const {
    return d->link != nullptr;
}

void CliSession::close() {
    if (!d->link)
        return;
    // Leave politely so the OLT frees its VTY at once; answer its "are you
    // sure" and stop at whatever comes next.
    d->heard.clear();
    d->commandEcho = d->dialect.logoutCommand;
    if (d->link->write(line(d->dialect.logoutCommand)))
        d->converse(SteadyClock::now() +
                        std::min<std::chrono::milliseconds>(LogoutLimit, d->target.commandTimeout),
                    [this](const QString& last) { return d->commandReaction(last, Confirm::Yes); });
    d->drop();
}

std::chrono::steady_clock::time_point CliSession::lastUsed() const {
    return d->lastUsed;
}

CommandReply CliSession::run(const QString& command, Confirm confirm) {
    if (!d->link) {
        CommandReply opened = open();
        if (!opened.ok())
            return opened;
    }
    CommandReply reply = d->exchange(command, confirm);
    if (!reply.ok())
        d->record(reply.message);
    return reply;
}

QString CliSession::prompt() const {
    return d->promptSeen;
}

void CliSession::mask(const QString& secret) {
    if (!secret.isEmpty())
        d->masks.append(secret);
}

QStringList CliSession::takeTranscript() {
    d->masks.clear();
    return std::exchange(d->transcript, {});
}

} // namespace oltd
