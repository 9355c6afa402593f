#include "sandbox/smtp_server.h"

#include <QSslSocket>

namespace sandbox {

namespace {

// A line longer than this ends the session: no client of ours sends one.
// A mail larger than kMaxMail is read to its end and refused (552), its
// text not kept, and recipients past kMaxRecipients are refused (452) while
// the mail goes to the others: the client hears why, the session goes on,
// and the sandbox does not grow without bound.
constexpr qsizetype kMaxLine = 4096;
constexpr qsizetype kMaxMail = 16 * 1024 * 1024;
constexpr qsizetype kMaxRecipients = 100;

// The SIZE=n a client declares with MAIL FROM (RFC 1870), or -1.
qint64 declaredSize(const QByteArray& argument) {
    for (const QByteArray& part : argument.split(' '))
        if (part.toUpper().startsWith("SIZE="))
            return part.mid(5).toLongLong();
    return -1;
}

QString addressIn(const QByteArray& argument) {
    const qsizetype open = argument.indexOf('<');
    const qsizetype close = argument.indexOf('>', open);
    if (open < 0 || close < 0)
        return QString::fromUtf8(argument.mid(argument.indexOf(':') + 1).trimmed());
    return QString::fromUtf8(argument.mid(open + 1, close - open - 1));
}

} // namespace

// One client's conversation; it owns its socket and ends with it.
class SmtpServer::Session : public QObject {
public:
    Session(SmtpServer& server, QSslSocket* socket)
        : QObject(&server)
        , m_server(server)
        , m_socket(socket) {
        socket->setParent(this);
        connect(socket, &QSslSocket::readyRead, this, &Session::read);
        connect(socket, &QSslSocket::disconnected, this, &QObject::deleteLater);
        reply("220 127.0.0.1 ESMTP zelcrm-sandbox");
    }

private:
    enum class State { Command, Data, AuthPlain, AuthUser, AuthPassword };

    void reply(const QByteArray& text) { m_socket->write(text + "\r\n"); }

    void read() {
        m_buffer += m_socket->readAll();
        qsizetype end;
        while ((end = m_buffer.indexOf("\r\n")) >= 0) {
            const QByteArray line = m_buffer.left(end);
            m_buffer.remove(0, end + 2);
            handle(line);
        }
        if (m_buffer.size() > kMaxLine) {
            reply("500 5.5.2 Line too long");
            m_socket->disconnectFromHost();
        }
    }

    void handle(const QByteArray& line) {
        switch (m_state) {
        case State::Data:
            return dataLine(line);
        case State::AuthPlain:
            return plainCredentials(QByteArray::fromBase64(line));
        case State::AuthUser:
            m_user = QString::fromUtf8(QByteArray::fromBase64(line));
            m_state = State::AuthPassword;
            return reply("334 UGFzc3dvcmQ6");
        case State::AuthPassword:
            return checkLogin(m_user, QString::fromUtf8(QByteArray::fromBase64(line)));
        case State::Command:
            break;
        }
        const qsizetype blank = line.indexOf(' ');
        const QByteArray verb = (blank < 0 ? line : line.left(blank)).toUpper();
        const QByteArray argument = blank < 0 ? QByteArray() : line.mid(blank + 1).trimmed();
        command(verb, argument);
    }

    void command(const QByteArray& verb, const QByteArray& argument) {
        if (verb == "EHLO")
            return ehlo();
        if (verb == "HELO" || verb == "NOOP")
            return reply("250 OK");
        if (verb == "RSET") {
            m_mail = {};
            m_inMail = false;
            return reply("250 OK");
        }
        if (verb == "STARTTLS")
            return startTls();
        if (verb == "AUTH")
            return auth(argument);
        if (verb == "MAIL")
            return mailFrom(argument);
        if (verb == "RCPT") {
            if (!m_inMail)
                return reply("503 5.5.1 MAIL first");
            if (m_mail.recipients.size() >= kMaxRecipients)
                return reply("452 4.5.3 Too many recipients");
            m_mail.recipients.append(addressIn(argument));
            return reply("250 2.1.5 OK");
        }
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
        if (!m_socket->isEncrypted())
            lines.append("STARTTLS");
        else
            lines.append("AUTH PLAIN LOGIN");
        lines.append("8BITMIME");
        lines.append("SIZE " + QByteArray::number(kMaxMail));
        for (qsizetype i = 0; i < lines.size(); ++i)
            reply("250" + QByteArray(i + 1 < lines.size() ? "-" : " ") + lines.at(i));
    }

    void startTls() {
        if (m_socket->isEncrypted())
            return reply("502 5.5.1 TLS already active");
        reply("220 2.0.0 Ready to start TLS");
        m_buffer.clear();
        m_socket->setSslConfiguration(m_server.m_tls);
        m_socket->startServerEncryption();
    }

    // Credentials travel only inside TLS.
    void auth(const QByteArray& argument) {
        if (!m_socket->isEncrypted())
            return reply("538 5.7.11 Encryption required for authentication");
        const QByteArrayList parts = argument.split(' ');
        const QByteArray mechanism = parts.value(0).toUpper();
        if (mechanism == "PLAIN") {
            if (parts.size() > 1)
                return plainCredentials(QByteArray::fromBase64(parts.at(1)));
            m_state = State::AuthPlain;
            return reply("334 ");
        }
        if (mechanism != "LOGIN")
            return reply("504 5.5.4 Mechanism not offered");
        if (parts.size() > 1) {
            m_user = QString::fromUtf8(QByteArray::fromBase64(parts.at(1)));
            m_state = State::AuthPassword;
            return reply("334 UGFzc3dvcmQ6");
        }
        m_state = State::AuthUser;
        reply("334 VXNlcm5hbWU6");
    }

    void plainCredentials(const QByteArray& decoded) {
        const QByteArrayList parts = decoded.split('\0');
        checkLogin(QString::fromUtf8(parts.value(1)), QString::fromUtf8(parts.value(2)));
    }

    void checkLogin(const QString& user, const QString& password) {
        m_state = State::Command;
        if (user != m_server.m_user || password != m_server.m_password)
            return reply("535 5.7.8 Authentication credentials invalid");
        m_loggedIn = true;
        reply("235 2.7.0 Authentication successful");
    }

    void mailFrom(const QByteArray& argument) {
        if (!m_socket->isEncrypted())
            return reply("530 5.7.0 Must issue a STARTTLS command first");
        if (!m_server.m_user.isEmpty() && !m_loggedIn)
            return reply("530 5.7.0 Authentication required");
        if (declaredSize(argument) > kMaxMail)
            return reply("552 5.3.4 Message size exceeds fixed maximum message size");
        m_mail = {addressIn(argument), {}, {}};
        m_inMail = true;
        m_tooBig = false;
        reply("250 2.1.0 OK");
    }

    void dataLine(const QByteArray& line) {
        if (line == ".") {
            m_state = State::Command;
            if (!m_tooBig)
                m_server.m_deliver(m_mail);
            m_mail = {};
            m_inMail = false;
            return reply(m_tooBig ? "552 5.3.4 Message size exceeds fixed maximum message size"
                                  : "250 2.0.0 Queued");
        }
        if (m_tooBig)
            return;
        m_mail.data += (line.startsWith("..") ? line.mid(1) : line) + "\r\n";
        if (m_mail.data.size() > kMaxMail) {
            m_tooBig = true;
            m_mail.data = QByteArray();
        }
    }

    SmtpServer& m_server;
    QSslSocket* m_socket;
    QByteArray m_buffer;
    State m_state = State::Command;
    Envelope m_mail;
    QString m_user;
    bool m_loggedIn = false;
    bool m_inMail = false;
    bool m_tooBig = false; // the mail being read went past kMaxMail
};

SmtpServer::SmtpServer(const QSslConfiguration& tls, QString user, QString password,
                       Delivery deliver)
    : m_tls(tls)
    , m_user(std::move(user))
    , m_password(std::move(password))
    , m_deliver(std::move(deliver)) {}

void SmtpServer::incomingConnection(qintptr descriptor) {
    auto* socket = new QSslSocket;
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    new Session(*this, socket);
}

} // namespace sandbox
