#pragma once

#include <QByteArray>
#include <QSslConfiguration>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <functional>

namespace sandbox {

// The demo's mail server: EHLO/HELO, STARTTLS, AUTH PLAIN and LOGIN, MAIL,
// RCPT, DATA, RSET, NOOP, QUIT. It refuses MAIL until STARTTLS ran and, when
// an account is set, until that account logged in. It keeps no mail itself:
// each accepted one goes to the callback.
class SmtpServer : public QTcpServer {
public:
    struct Envelope {
        QString from;
        QStringList recipients;
        QByteArray data; // the message, dot-stuffing undone
    };
    using Delivery = std::function<void(const Envelope&)>;

    SmtpServer(const QSslConfiguration& tls, QString user, QString password, Delivery deliver);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    class Session;
    friend class Session;

    QSslConfiguration m_tls;
    QString m_user, m_password;
    Delivery m_deliver;
};

} // namespace sandbox
