#pragma once

#include "integrations/web_request.h"
#include "oltd/service.h"
#include "oltd/simulated_driver.h"
#include "oltd/simulated_network.h"
#include "support/settable_clock.h"
#include "support/test_db.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

// One request as sent, redirects not followed: any method, any headers.
struct RawAnswer {
    int status = 0; // 0: no answer
    QByteArray body;
    QByteArray location;
    QByteArray allow;
};
inline RawAnswer rawRequest(const QByteArray& method, const QUrl& url,
                            const QList<QPair<QByteArray, QByteArray>>& headers = {}) {
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    QNetworkReply* reply = manager.sendCustomRequest(request, method);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    RawAnswer raw{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                  reply->readAll(), reply->rawHeader("Location"), reply->rawHeader("Allow")};
    delete reply;
    return raw;
}

// A simulated OLT network built by init-sim from a client database, served
// in-process on 127.0.0.1 at a free port, with a clock the test sets.
//   OLT 192.0.2.11: A4:7B:2C:10:01:01 (anil.kumar, VLAN 101),
//                   A4:7B:2C:10:01:02 (meera.menon, VLAN 102),
//                   A4:7B:2C:10:0A:01 and B8:00:11:22:0A:01 (share "0A:01"),
//                   two long-offline ONUs added by init-sim.
//   OLT 192.0.2.12: A4:7B:2C:10:02:01 (joseph.kurian).
struct OltdFixture {
    support::TestDb client;
    QTemporaryDir dir;
    support::SettableClock clock;
    std::unique_ptr<oltd::SimulatedDriver> driver;
    std::unique_ptr<oltd::OltService> service;
    QStringList log;
    quint16 port = 0;

    QString auditPath; // the audit log; empty: audit.log in the folder

    explicit OltdFixture(const QString& allow = QStringLiteral("127.0.0.1/32"),
                         int rebootSeconds = 5, const QString& auditLog = {})
        : auditPath(auditLog) {
        // init-sim brings the ONUs up at the real time; the test moves on from there.
        clock.set(QDateTime::currentDateTime());
        client.exec(QStringLiteral("INSERT INTO af_site (circle, ssa, site, ip, LIVE) VALUES "
                                   "('KERALA','ERNAKULAM','EKM-KAKKANAD-OLT','192.0.2.11','UP'),"
                                   "('KERALA','ERNAKULAM','EKM-EDAPPALLY-OLT','192.0.2.12','UP')"));
        client.exec(QStringLiteral(
            "INSERT INTO OLT (SITE, IN_VLAN, ID, MAC, SN) VALUES "
            "('EKM-KAKKANAD-OLT','101','anil.kumar','A4:7B:2C:10:01:01','ZTEGC8A10101'),"
            "('EKM-KAKKANAD-OLT','102','meera.menon','a4-7b-2c-10-01-02','ZTEGC8A10102'),"
            "('EKM-KAKKANAD-OLT','103','ravi','A4:7B:2C:10:0A:01','ZTEGC8A10A01'),"
            "('EKM-KAKKANAD-OLT','104','sunil','B8:00:11:22:0A:01','HWTC22000A01'),"
            "('EKM-KAKKANAD-OLT','105','NA','NA','ZTEGC8A10105'),"
            "('EKM-EDAPPALLY-OLT','101','joseph.kurian','A4:7B:2C:10:02:01','ZTEGC8A10201')"));
        oltd::sim::initFromClientDb(client.path(), simFile(), false);
        start(allow, rebootSeconds);
    }

    QString simFile() const { return dir.filePath(QStringLiteral("network.db")); }
    QString auditFile() const {
        return auditPath.isEmpty() ? dir.filePath(QStringLiteral("audit.log")) : auditPath;
    }

    void start(const QString& allow, int rebootSeconds) {
        oltd::ServiceSettings s;
        s.listenAddress = QHostAddress::LocalHost;
        s.port = 0;
        s.allow = oltd::parseAllow(allow, QStringLiteral("service/allow"), QStringLiteral("test"));
        s.auditLog = auditFile();
        s.simulatedFile = simFile();
        s.rebootSeconds = rebootSeconds;
        driver = std::make_unique<oltd::SimulatedDriver>(simFile(), clock, rebootSeconds);
        service = std::make_unique<oltd::OltService>(s, *driver, clock,
                                                     [this](const QString& l) { log << l; });
        port = service->start();
        if (port == 0)
            QTest::qFail("the service could not listen", __FILE__, __LINE__);
    }

    // path and query as the client sends them: "onu_status.php?ip=...";
    // a change's redirect is followed to its result, as a browser does.
    // (Not by Qt's own redirect following: under load it sometimes sends
    // the first request a second time.)
    integrations::HttpAnswer get(const QString& pageAndQuery) const {
        RawAnswer raw = send("GET", pageAndQuery);
        if (raw.status == 303 && raw.location.startsWith("/olt/"))
            raw = send("GET", QString::fromUtf8(raw.location.mid(5)));
        integrations::HttpAnswer answer;
        answer.status = raw.status;
        answer.body = raw.body;
        return answer;
    }

    QString page(const QString& pageAndQuery) const {
        return QString::fromUtf8(get(pageAndQuery).body);
    }

    QString audit() const {
        QFile f(auditFile());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    RawAnswer send(const QByteArray& method, const QString& pageAndQuery,
                   const QList<QPair<QByteArray, QByteArray>>& headers = {}) const {
        return rawRequest(
            method, QUrl(QStringLiteral("http://127.0.0.1:%1/olt/%2").arg(port).arg(pageAndQuery)),
            headers);
    }
};

// The audit log's lines, each read as the JSON object it must be.
inline QList<QJsonObject> auditLines(const QString& text) {
    QList<QJsonObject> lines;
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(line.toUtf8(), &error);
        if (!doc.isObject())
            QTest::qFail(qPrintable(QStringLiteral("not a JSON line: ") + line), __FILE__,
                         __LINE__);
        lines.append(doc.object());
    }
    return lines;
}

// The text of the page's body as a browser shows a one-line body.
inline QString bodyText(const QByteArray& html) {
    QString s = QString::fromUtf8(html);
    const qsizetype from = s.indexOf(QStringLiteral("<body>"));
    const qsizetype to = s.indexOf(QStringLiteral("</body>"));
    if (from < 0 || to < from)
        return {};
    s = s.mid(from + 6, to - from - 6);
    return s.replace(QStringLiteral("&amp;"), QStringLiteral("&"))
        .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
        .replace(QStringLiteral("&gt;"), QStringLiteral(">"));
}

#ifdef ZELCRM_SOURCE
// The package's template, its secrets handed over from the example secrets
// file as the unit hands them (a systemd credential in `credentials`).
inline oltd::ServiceSettings productionTemplate(const QTemporaryDir& credentials) {
    QFile example(QStringLiteral(ZELCRM_SOURCE "/etc/zelcrm-oltd.example.secrets"));
    example.open(QIODevice::ReadOnly);
    QFile secrets(credentials.filePath(QStringLiteral("zelcrm-oltd-secrets")));
    secrets.open(QIODevice::WriteOnly);
    secrets.write(example.readAll());
    secrets.close();
    secrets.setPermissions(QFileDevice::ReadOwner);
    QProcessEnvironment env;
    env.insert(QStringLiteral("CREDENTIALS_DIRECTORY"), credentials.path());
    return oltd::ServiceSettings::fromConfig(
        core::Config::load(QStringLiteral(ZELCRM_SOURCE "/etc/zelcrm-oltd.example.ini")), env);
}
#endif
