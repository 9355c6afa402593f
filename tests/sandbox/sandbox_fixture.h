#pragma once

#include "sandbox/service.h"
#include "support/test_db.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// A sandbox serving on free loopback ports from a test database that holds
// two subscribers: one active, with commas in the address and dashes in the
// telephone number, and one suspended.
struct SandboxFixture {
    support::TestDb db;
    QTemporaryDir data;
    sandbox::Accounts accounts{QStringLiteral("smsuser"),
                               QStringLiteral("sms pass&1"),
                               QStringLiteral("100001"),
                               QStringLiteral("tok/en+1"),
                               QStringLiteral("admin"),
                               QStringLiteral("olt p@ss"),
                               QStringLiteral("noc@zel.example.com"),
                               QStringLiteral("mail pass")};
    std::unique_ptr<sandbox::Sandbox> service;
    sandbox::Sandbox::Ports ports;

    static QVariantList values(std::initializer_list<const char*> texts) {
        QVariantList list;
        for (const char* t : texts)
            list << QString::fromUtf8(t);
        return list;
    }

    SandboxFixture() {
        const QString insert = QStringLiteral(
            "INSERT INTO cdata (ID, name, ssa, Mobile, Address, circle, BA, status, policy, "
            "PHONE, AP, nas_ip, SERVICE, TELEPHONE) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
        db.exec(insert, values({"anil.kumar", "Anil Kumar", "ERNAKULAM", "9846012345",
                                "14/220 Kakkanad West, Kochi 682030", "KERALA", "1002345678",
                                "active", "Vuva_FTTH_100M", "0484-2423456", "EKM-KAKKANAD-OLT",
                                "10.1.1.1", "FTTH", "0484-2423456"}));
        db.exec(insert, values({"meera@af", "Meera <b>Menon</b>", "PUNE", "9847023456", "Flat 3B",
                                "MAHARASHTRA", "1002345679", "suspended", "Vuva_Susp",
                                "020-2567890", "PUN-AP-1", "10.1.1.2", "AF", ""}));
        sandbox::Settings settings;
        settings.listenAddress = QHostAddress::LocalHost;
        settings.dataFolder = data.filePath(QStringLiteral("sandbox"));
        settings.clientDb = db.path();
        settings.oltService = QStringLiteral("127.0.0.1:9");
        settings.accounts = accounts;
        service = std::make_unique<sandbox::Sandbox>(settings, [](const QString&) {});
        ports = service->start();
        if (!ports.http)
            QTest::qFail("the sandbox could not listen", __FILE__, __LINE__);
    }

    QString http() const { return QStringLiteral("127.0.0.1:%1").arg(ports.http); }
    QString https() const { return QStringLiteral("127.0.0.1:%1").arg(ports.https); }
    QString smtpUrl() const { return QStringLiteral("smtp://127.0.0.1:%1").arg(ports.smtp); }
    QString certificate() const { return service->certificatePath(); }

    // Status and body of a GET, with the sandbox's certificate trusted; a
    // redirect is not followed, its target is in the body's place.
    std::pair<int, QString> get(const QString& url) const {
        QNetworkAccessManager network;
        network.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
        QNetworkRequest request{QUrl(url)};
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.addCaCertificates(certificate());
        request.setSslConfiguration(tls);
        QNetworkReply* reply = network.get(request);
        QSignalSpy done(reply, &QNetworkReply::finished);
        if (!done.wait(10000))
            return {0, {}};
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QString body = status == 307 ? reply->header(QNetworkRequest::LocationHeader)
                                                 .toUrl()
                                                 .toString(QUrl::FullyEncoded)
                                           : QString::fromUtf8(reply->readAll());
        reply->deleteLater();
        return {status, body};
    }
};
