#include "support/smtp_server.h"

#include "sandbox/mail_text.h"

#include <QDeadlineTimer>
#include <QSslSocket>
#include <QTest>

namespace support {

QString LocalSmtpServer::Mail::header(const QByteArray& name) const {
    return sandbox::mailHeader(data, name);
}

QString LocalSmtpServer::Mail::body() const {
    return sandbox::mailBody(data);
}

// One client's conversation. It owns its socket, so deleting the session
// (with the server) ends the connection without any signal reaching it.
class LocalSmtpServer::Session : public QObject {
public:
    Session(LocalSmtpServer& server, QSslSocket* socket)
        : QObject(&server)
        , m_server(server)
        , m_socket(socket) {
        socket->setParent(this);
        connect(socket, &QSslSocket::readyRead, this, &Session::read);
        if (m_server.m_silent)
            return;
        if (m_server.m_tls == Tls::Implicit) {
            connect(socket, &QSslSocket::encrypted, this, &Session::greet);
            socket->setSslConfiguration(m_server.m_certificate);
            socket->startServerEncryption();
        } else {
            greet();
        }
    }

private:
    enum class State { Command, Data, AuthPlain, AuthUser, AuthPassword };

    void greet() { reply("220 127.0.0.1 ESMTP test server"); }
    void reply(const QByteArray& text) { m_socket->write(text + "\r\n"); }

    void read() {
        if (m_server.m_silent)
            return;
        m_buffer += m_socket->readAll();
        qsizetype end;
        while ((end = m_buffer.indexOf("\r\n")) >= 0) {
            const QByteArray line = m_buffer.left(end);
            m_buffer.remove(0, end + 2);
            handle(line);
        }
    }

    void handle(const QByteArray& line) {
        switch (m_state) {
        case State::Data:
            return dataLine(line);
        case State::AuthPlain:
            return plainCredentials(QByteArray::fromBase64(line));
        case State::AuthUser:
            m_mail.user = QString::fromUtf8(QByteArray::fromBase64(line));
            m_state = State::AuthPassword;
            return reply("334 UGFzc3dvcmQ6");
        case State::AuthPassword:
            m_mail.password = QString::fromUtf8(QByteArray::fromBase64(line));
            return checkLogin();
        case State::Command:
            break;
        }
        const qsizetype blank = line.indexOf(' ');
        const QByteArray verb = (blank < 0 ? line : line.left(blank)).toUpper();
        const QByteArray argument = blank < 0 ? QByteArray() : line.mid(blank + 1).trimmed();
        if (!m_server.m_refusedCommand.isEmpty() && verb == m_server.m_refusedCommand)
            return reply(m_server.m_refusal);
        command(verb, argument);
    }

    void command(const QByteArray& verb, const QByteArray& argument) {
        if (verb == "EHLO")
            return ehlo();
        if (verb == "HELO" || verb == "NOOP" || verb == "RSET") {
            if (verb == "RSET")
                m_mail = Mail{{}, {}, {}, false, m_mail.user, m_mail.password};
            return reply("250 OK");
        }
        if (verb == "STARTTLS")
            return startTls();
        if (verb == "AUTH")
            return auth(argument);
        if (verb == "MAIL")
            return mailFrom(argument);
        if (verb == "RCPT")
            return rcptTo(addressIn(argument));
        if (verb == "DATA") {
            if (m_mail.recipients.isEmpty())
                return reply("554 5.5.1 No valid recipients");
            m_state = State::Data;
            return reply("354 End data with <CR><LF>.<CR><LF>");
        }
        if (verb == "QUIT") {
            reply("221 2.0.0 Bye");
            m_socket->disconnectFromHost();
            return;
        }
        reply("502 5.5.2 Command not recognized");
    }

    void ehlo() {
        QByteArrayList lines{"127.0.0.1"};
        if (m_server.m_tls == Tls::StartTls && !m_socket->isEncrypted())
            lines.append("STARTTLS");
        if (!m_server.m_mechanisms.isEmpty())
            lines.append("AUTH " + m_server.m_mechanisms);
        lines.append("8BITMIME");
        for (qsizetype i = 0; i < lines.size(); ++i)
            reply("250" + QByteArray(i + 1 < lines.size() ? "-" : " ") + lines.at(i));
    }

    void startTls() {
        if (m_server.m_tls != Tls::StartTls || m_socket->isEncrypted())
            return reply("502 5.5.1 STARTTLS not available");
        reply("220 2.0.0 Ready to start TLS");
        m_buffer.clear();
        m_socket->setSslConfiguration(m_server.m_certificate);
        m_socket->startServerEncryption();
    }

    void auth(const QByteArray& argument) {
        const QByteArrayList parts = argument.split(' ');
        const QByteArray mechanism = parts.value(0).toUpper();
        if (!m_server.m_mechanisms.split(' ').contains(mechanism))
            return reply("504 5.5.4 Mechanism not offered");
        if (mechanism == "PLAIN") {
            if (parts.size() > 1)
                return plainCredentials(QByteArray::fromBase64(parts.at(1)));
            m_state = State::AuthPlain;
            return reply("334 ");
        }
        if (parts.size() > 1) {
            m_mail.user = QString::fromUtf8(QByteArray::fromBase64(parts.at(1)));
            m_state = State::AuthPassword;
            return reply("334 UGFzc3dvcmQ6");
        }
        m_state = State::AuthUser;
        reply("334 VXNlcm5hbWU6");
    }

    void plainCredentials(const QByteArray& decoded) {
        const QByteArrayList parts = decoded.split('\0');
        m_mail.user = QString::fromUtf8(parts.value(1));
        m_mail.password = QString::fromUtf8(parts.value(2));
        checkLogin();
    }

    void checkLogin() {
        m_state = State::Command;
        const bool required = !m_server.m_user.isEmpty();
        if (required && (m_mail.user != m_server.m_user || m_mail.password != m_server.m_password))
            return reply("535 5.7.8 Authentication credentials invalid");
        m_loggedIn = true;
        reply("235 2.7.0 Authentication successful");
    }

    void mailFrom(const QByteArray& argument) {
        if (m_server.m_tls == Tls::StartTls && !m_socket->isEncrypted())
            return reply("530 5.7.0 Must issue a STARTTLS command first");
        if (!m_server.m_user.isEmpty() && !m_loggedIn)
            return reply("530 5.7.0 Authentication required");
        m_mail.from = addressIn(argument);
        m_mail.recipients.clear();
        m_mail.data.clear();
        reply("250 2.1.0 OK");
    }

    void rcptTo(const QString& address) {
        const auto refused = m_server.m_refusedRecipients.constFind(address.toLower());
        if (refused != m_server.m_refusedRecipients.cend())
            return reply(*refused);
        m_mail.recipients.append(address);
        reply("250 2.1.5 OK");
    }

    void dataLine(const QByteArray& line) {
        if (line == ".") {
            m_state = State::Command;
            m_mail.encrypted = m_socket->isEncrypted();
            m_server.m_mails.append(m_mail);
            m_mail.recipients.clear();
            m_mail.data.clear();
            return reply("250 2.0.0 Queued");
        }
        m_mail.data += (line.startsWith("..") ? line.mid(1) : line) + "\r\n";
    }

    static QString addressIn(const QByteArray& argument) {
        const qsizetype open = argument.indexOf('<');
        const qsizetype close = argument.indexOf('>', open);
        if (open < 0 || close < 0)
            return QString::fromUtf8(argument.mid(argument.indexOf(':') + 1).trimmed());
        return QString::fromUtf8(argument.mid(open + 1, close - open - 1));
    }

    LocalSmtpServer& m_server;
    QSslSocket* m_socket;
    QByteArray m_buffer;
    State m_state = State::Command;
    Mail m_mail;
    bool m_loggedIn = false;
};

LocalSmtpServer::LocalSmtpServer(Tls tls, const QSslConfiguration& certificate)
    : m_tls(tls)
    , m_certificate(certificate) {
    if (!listen(QHostAddress::LocalHost, 0))
        QTest::qFail("the local SMTP server could not listen", __FILE__, __LINE__);
}

QString LocalSmtpServer::url() const {
    return (m_tls == Tls::Implicit ? QStringLiteral("smtps://") : QStringLiteral("smtp://")) +
           QStringLiteral("127.0.0.1:%1").arg(serverPort());
}

void LocalSmtpServer::requireLogin(const QString& user, const QString& password) {
    m_user = user;
    m_password = password;
}

void LocalSmtpServer::refuse(const QByteArray& command, const QByteArray& reply) {
    m_refusedCommand = command.toUpper();
    m_refusal = reply;
}

void LocalSmtpServer::refuseRecipient(const QString& address, const QByteArray& reply) {
    m_refusedRecipients.insert(address.toLower(), reply);
}

bool LocalSmtpServer::waitForMails(int n, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (m_mails.size() < n && !deadline.hasExpired())
        QTest::qWait(10);
    return m_mails.size() >= n;
}

void LocalSmtpServer::incomingConnection(qintptr descriptor) {
    auto* socket = new QSslSocket;
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    ++m_connections;
    new Session(*this, socket);
}

} // namespace support
