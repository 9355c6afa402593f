#pragma once

#include "faults/site_fault_form.h"
#include "support/http_server.h"
#include "support/smtp_server.h"
#include "support/test_certificate.h"
#include "support/test_context.h"
#include "support/widgets.h"
#include "ui/query_grid.h"

#include <QHash>
#include <QLabel>
#include <QPlainTextEdit>
#include <memory>

// The fault desk's world: two circles, their SSAs and contacts, sites with
// their equipment rows, equipment records, tickets open and closed, and the
// operator bound to the test workstation's MAC.
namespace fixture {

// The outside world of the fault desk: the SMS gateway, the message API over
// HTTPS with a certificate only this test trusts, and the mail server, all
// recording what reached them.
struct NoticeServices {
    support::TestCertificate certificate;
    support::LocalHttpServer sms;
    support::LocalHttpServer whatsApp{certificate.serverConfiguration()};
    support::LocalSmtpServer smtp;

    QHash<QString, QString> config() const {
        return {
            {QStringLiteral("app/wait_limit_seconds"), QStringLiteral("2")},
            {QStringLiteral("services/sms_gateway"), sms.hostPort()},
            {QStringLiteral("accounts/sms_user"), QStringLiteral("q5vandrelio")},
            {QStringLiteral("accounts/sms_password"), QStringLiteral("73019462")},
            {QStringLiteral("accounts/sms_sender"), QStringLiteral("QTVMSG")},
            {QStringLiteral("services/message_api"), whatsApp.hostPort()},
            {QStringLiteral("services/message_api_ca_file"), certificate.certificatePath()},
            {QStringLiteral("accounts/message_api_instance"), QStringLiteral("604271")},
            {QStringLiteral("accounts/message_api_token"), QStringLiteral("m2qzr7ke0wd5tb1x")},
            {QStringLiteral("mail/smtp_url"), smtp.url()},
            {QStringLiteral("mail/starttls"), QStringLiteral("false")},
            {QStringLiteral("mail/from"), QStringLiteral("noc@zel.in")},
            {QStringLiteral("mail/open_cc"), QStringLiteral(";noc1@zel.in;ops@zel.in;mgr@zel.in")},
            {QStringLiteral("mail/update_cc"),
             QStringLiteral(";noc1@zel.in;ops@zel.in;cto@zel.in")},
            {QStringLiteral("mail/noc_phones"), QStringLiteral("0484-1111/0484-2222/0484-3333")},
        };
    }
};

inline void addDesk(const support::TestDb& db) {
    db.exec(QStringLiteral(
        "INSERT INTO circle VALUES ('KERALA', 'ANIL', ' 98000 00005 ', ' head@zel.in ', "
        "'MOHAN', '9811100000', 'cgm@vuva.in'), ('PUNJAB', 'GURU', '9700000005', "
        "'head.pb@zel.in', 'SINGH', '9711100000', 'cgm.pb@vuva.in'), (' GOA ', '', '', '', '', '', "
        "'')"));
    db.exec(QStringLiteral(
        "INSERT INTO ssa VALUES ('KERALA', 'KOCHI', 'RAJ', '9800000001', '9800000002', "
        "' sde.bb@vuva.in ', '9800000003', 'sde.tx@vuva.in', '9800000004', 'gm@vuva.in'), "
        "('KERALA', 'TRIVANDRUM', 'VINOD', '9800000011', '', '', '', '', '', ''), "
        "('PUNJAB', 'AMRITSAR', 'HARI', '9700000001', '9700000002', 'sde.bb.pb@vuva.in', "
        "'9700000003', 'sde.tx.pb@vuva.in', '9700000004', 'gm.pb@vuva.in')"));
    // EDAPPALLY has two active rows; the second is read last.
    db.exec(QStringLiteral(
        "INSERT INTO af_site (circle, ssa, site, status, SERVICE, ip, VLAN, [user], LIVE) VALUES "
        "('KERALA', 'KOCHI', 'EDAPPALLY', 'ACTIVE', 'AF', '10.1.1.1', '1100', '11', 'DOWN'), "
        "('KERALA', 'KOCHI', 'EDAPPALLY', 'ACTIVE', ' BBOWIFI ', ' 10.1.1.2 ', ' 1234 ', ' 17 ', "
        "'UP  '), "
        "('KERALA', 'KOCHI', 'VYTILLA', 'PLANNED', 'AF', '10.1.2.1', '1200', '5', 'UP'), "
        "('KERALA', 'KOCHI', 'ALUVA', 'INACTIVE', 'AF', '10.1.3.1', '1300', '2', 'UP'), "
        "('KERALA', 'TRIVANDRUM', 'KOVALAM', 'ACTIVE', 'AF', '10.2.1.1', '2100', '9', 'UP')"));
    db.exec(QStringLiteral(
        "INSERT INTO bts VALUES ('1234', 'KERALA', 'KOCHI', 'EDAPPALLY-AP1', 'BNG-KOCHI', "
        "'100.64.0.10', 'EDAPPALLY', 'AP SECTOR', 'ACTIVE', 'OCLAN', '10.9.9.9', 'Gi0/1', "
        "'GE OPTICAL', 'VIA VUVA TX MEDIA', '17', ' UP ', 'C1'), "
        "('5678', 'KERALA', 'KOCHI', 'VYT-AP', 'BNG-KOCHI', '100.64.0.11', 'VYTILLA', 'ROUTER', "
        "'ACTIVE', 'DSLAM', '10.9.9.8', 'Gi0/2', 'FE OPTICAL', 'VUVA FTTH', '5', 'up', 'C1')"));
    db.exec(QStringLiteral("INSERT INTO CRM (NAME, CRM_ID, STATUS, PASSWORD, crm_ip, MAC) VALUES "
                           "(' ASHA ', 'asha', 'ACTIVE', 'x', '10.20.30.40', "
                           "'02:AB:CD:00:00:01'), ('RAVI', 'ravi', 'ACTIVE', 'x', '10.0.0.2', "
                           "'02:AB:CD:00:00:09')"));
    const QString ticket = QStringLiteral(
        "INSERT INTO BTS_FAULT ([fault id], CIRCLE, SSA, [SITE NAME], FAULT, [ISSUE DATE], "
        "[CLOSE DATE], [DOWN TIME], STATUS, ID, [USER]) VALUES (?, ?, ?, ?, ?, '1-Dec-21 9:0 AM', "
        "'4/4/1970', '0', ?, ?, '3')");
    db.exec(ticket,
            {7, QStringLiteral("KERALA"), QStringLiteral("KOCHI"), QStringLiteral("EDAPPALLY"),
             QStringLiteral("1-Dec-21 9:0 AM FAULT OPEN BY: RAVI\r\nFAULT: SITE DOWN"),
             QStringLiteral("OPEN"), QStringLiteral("1234")});
    db.exec(ticket,
            {8, QStringLiteral("KERALA"), QStringLiteral("TRIVANDRUM"), QStringLiteral("KOVALAM"),
             QStringLiteral("x"), QStringLiteral("OPEN"), QStringLiteral("9")});
    db.exec(ticket,
            {9, QStringLiteral("PUNJAB"), QStringLiteral("AMRITSAR"), QStringLiteral("GT ROAD"),
             QStringLiteral("x"), QStringLiteral("OPEN"), QStringLiteral("9")});
    db.exec(ticket,
            {5, QStringLiteral(" KERALA "), QStringLiteral(" KOCHI "), QStringLiteral(" VYTILLA "),
             QStringLiteral("1-Dec-21 9:0 AM FAULT OPEN BY: RAVI\r\nFAULT: AP DOWN"),
             QStringLiteral("CLOSED"), QStringLiteral(" 5678 ")});
}

inline ui::QueryGrid* gridOf(QWidget* form) {
    return support::find<ui::QueryGrid>(form, QStringLiteral("MSHFlexGrid1"));
}

inline QStringList gridIds(QWidget* form) {
    const ui::QueryGrid* grid = gridOf(form);
    QStringList ids;
    for (int row = 0; row < grid->gridModel().rowCount(); ++row)
        ids << grid->cellText(row, 0);
    return ids;
}

inline QString historyOf(QWidget* form) {
    return support::find<QPlainTextEdit>(form, QStringLiteral("Text3"))->toPlainText();
}

inline QColor stateColour(QWidget* form) {
    return support::find<QLabel>(form, QStringLiteral("Label3"))->palette().color(QPalette::Window);
}

} // namespace fixture
