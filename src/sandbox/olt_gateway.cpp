#include "sandbox/olt_gateway.h"

#include <QPointer>
#include <QTcpSocket>

namespace sandbox {

namespace {

// A request head larger than this is no browser's CONNECT.
constexpr qsizetype kMaxHead = 8192;

// One browser connection: its request head, then, for a tunnel, the bytes
// passed both ways until either side closes.
class Tunnel : public QObject {
public:
    Tunnel(QObject* parent, QTcpSocket* browser, quint16 httpsPort)
        : QObject(parent)
        , m_browser(browser)
        , m_httpsPort(httpsPort) {
        browser->setParent(this);
        connect(browser, &QTcpSocket::readyRead, this, &Tunnel::fromBrowser);
        connect(browser, &QTcpSocket::disconnected, this, &Tunnel::end);
    }

private:
    void fromBrowser() {
        if (m_page) {
            m_page->write(m_browser->readAll());
            return;
        }
        m_head += m_browser->readAll();
        const qsizetype end = m_head.indexOf("\r\n\r\n");
        if (end < 0) {
            if (m_head.size() > kMaxHead)
                refuse();
            return;
        }
        if (!m_head.startsWith("CONNECT "))
            return refuse();
        const QByteArray early = m_head.mid(end + 4);
        m_page = new QTcpSocket(this);
        connect(m_page, &QTcpSocket::connected, this, [this, early] {
            m_browser->write("HTTP/1.1 200 Connection established\r\n\r\n");
            if (!early.isEmpty())
                m_page->write(early);
        });
        connect(m_page, &QTcpSocket::readyRead, this,
                [this] { m_browser->write(m_page->readAll()); });
        connect(m_page, &QTcpSocket::disconnected, this, &Tunnel::end);
        connect(m_page, &QTcpSocket::errorOccurred, this, [this] {
            if (m_page->state() != QAbstractSocket::ConnectedState)
                refuse();
        });
        m_page->connectToHost(QHostAddress::LocalHost, m_httpsPort);
    }

    void refuse() {
        const QByteArray text = "The demo reaches only the OLT login pages (https).\n";
        m_browser->write("HTTP/1.1 502 Bad Gateway\r\nContent-Type: text/plain\r\n"
                         "Content-Length: " +
                         QByteArray::number(text.size()) + "\r\nConnection: close\r\n\r\n" + text);
        m_browser->disconnectFromHost();
    }

    void end() {
        if (m_ended)
            return;
        m_ended = true;
        m_browser->disconnectFromHost();
        if (m_page)
            m_page->disconnectFromHost();
        deleteLater();
    }

    QTcpSocket* m_browser;
    QPointer<QTcpSocket> m_page;
    quint16 m_httpsPort;
    QByteArray m_head;
    bool m_ended = false;
};

} // namespace

void OltGateway::incomingConnection(qintptr descriptor) {
    auto* socket = new QTcpSocket;
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    new Tunnel(this, socket, m_httpsPort);
}

} // namespace sandbox
