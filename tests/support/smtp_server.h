#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSslConfiguration>
#include <QString>
#include <QStringList>
#include <QTcpServer>

namespace support {

// A small real SMTP server on 127.0.0.1 at a free port: EHLO/HELO, STARTTLS,
// AUTH PLAIN and LOGIN, MAIL, RCPT, DATA, RSET, NOOP, QUIT. It records every
// mail it accepts. It can be told to refuse one command with a 5xx answer or
// to take connections and never say a word.
class LocalSmtpServer : public QTcpServer {
public:
    // Plain: no TLS offered. StartTls: offers STARTTLS and refuses MAIL until
    // it ran. Implicit: TLS from the first byte (smtps).
    enum class Tls { Plain, StartTls, Implicit };

    struct Mail {
        QString from;           // MAIL FROM address, without < >
        QStringList recipients; // RCPT TO addresses, in order
        QByteArray data;        // the message as sent, dot-stuffing undone
        bool encrypted = false;
        QString user, password; // what AUTH carried (empty without AUTH)
        // A header's value, folding undone and encoded words decoded.
        QString header(const QByteArray& name) const;
        // The body, its transfer encoding undone, read as UTF-8.
        QString body() const;
    };

    explicit LocalSmtpServer(Tls tls = Tls::Plain, const QSslConfiguration& certificate = {});

    quint16 port() const { return serverPort(); }
    // "smtp://127.0.0.1:port" or "smtps://..." : what [mail] smtp_url takes.
    QString url() const;

    // Offered mechanisms, "PLAIN LOGIN" unless told otherwise.
    void setAuthMechanisms(const QByteArray& mechanisms) { m_mechanisms = mechanisms; }
    // AUTH with other credentials than these is refused with 535.
    void requireLogin(const QString& user, const QString& password);
    // Answers the named command ("MAIL", "RCPT", "DATA", "EHLO") with reply.
    void refuse(const QByteArray& command, const QByteArray& reply = "550 5.7.1 Relaying denied");
    // Answers RCPT TO for this mailbox (any case) with reply; the others go on.
    void refuseRecipient(const QString& address,
                         const QByteArray& reply = "550 5.1.1 Mailbox unavailable");
    // Takes connections and never answers.
    void setSilent(bool silent) { m_silent = silent; }

    const QList<Mail>& mails() const { return m_mails; }
    int connections() const { return m_connections; }
    bool waitForMails(int n, int timeoutMs = 5000);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    class Session;
    friend class Session;

    Tls m_tls;
    QSslConfiguration m_certificate;
    QByteArray m_mechanisms = "PLAIN LOGIN";
    QString m_user, m_password;
    QByteArray m_refusedCommand, m_refusal;
    QHash<QString, QByteArray> m_refusedRecipients; // lower-case address -> reply
    bool m_silent = false;
    QList<Mail> m_mails;
    int m_connections = 0;
};

} // namespace support
