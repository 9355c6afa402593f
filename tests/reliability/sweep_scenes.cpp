#include "reliability/sweep_scenes.h"

#include "app/password_change_form.h"
#include "complaints/complaint_register_form.h"
#include "complaints/register_fixture.h"
#include "faults/circle_contacts_form.h"
#include "faults/fault_fixture.h"
#include "faults/sla_board_form.h"
#include "faults/ssa_contacts_form.h"
#include "masterdata/engineer_form.h"
#include "masterdata/equipment_details_form.h"
#include "onu/onu_configuration_form.h"
#include "provisioning/customer_record_form.h"
#include "provisioning/inner_vlan_form.h"
#include "provisioning/voice_ip_form.h"
#include "support/widgets.h"

namespace sweep {

using support::choose;
using support::click;
using support::type;

std::function<void(Scene&)> clickOn(const char* button, int yesAnswers) {
    return [button, yesAnswers](Scene& s) {
        for (int i = 0; i < yesAnswers; ++i)
            s.ctx->dialogs().answer(true);
        click(s.form.get(), QString::fromLatin1(button));
    };
}

void registrationScene(Scene& s) {
    s.ctx = std::make_unique<support::TestContext>();
    const support::TestDb& db = s.ctx->db();
    db.exec(QStringLiteral("insert into circle (circle) values ('KERALA')"));
    db.exec(QStringLiteral("insert into ssa (circle, SSA) values ('KERALA', 'ERNAKULAM')"));
    db.exec(QStringLiteral("insert into fe (circle, ssa, CLUSTER, name, mobile) values "
                           "('KERALA', 'ERNAKULAM', 'EKM-NORTH', 'Anil Kumar', '9847000001')"));
    db.exec(QStringLiteral(
        "insert into OLT (circle, SSA, SITE, SERVICE, OUT_VLAN, IN_VLAN, ID, MAC, SN) values "
        "('KERALA', 'ERNAKULAM', 'EKM-KAKKANAD-OLT', 'FTTH', '1001', '101', 'NA', 'NA', 'S1')"));
    db.exec(QStringLiteral("insert into af_site (circle, ssa, site, ip) values "
                           "('KERALA', 'ERNAKULAM', 'EKM-KAKKANAD-OLT', '10.20.1.1')"));
    db.exec(QStringLiteral("insert into NGN (ngn_provider, circle, sip_domain, voip_vlan) values "
                           "('ZTE', 'KERALA', 'ims.kl.example', '950')"));
    s.ctx->session().setSignedInUser(QStringLiteral("Asha Verma"));
    s.ctx->clock().set(QDateTime(QDate(2021, 12, 4), QTime(21, 5, 30)));
    s.form = std::make_unique<provisioning::CustomerRecordForm>(s.ctx->app());
    s.form->show();
    QWidget* f = s.form.get();
    choose(f, QStringLiteral("Combo2"), QStringLiteral("KERALA"));
    choose(f, QStringLiteral("Combo1"), QStringLiteral("ERNAKULAM"));
    choose(f, QStringLiteral("Combo3"), QStringLiteral("FTTH"));
    choose(f, QStringLiteral("Combo4"), QStringLiteral("EKM-KAKKANAD-OLT"));
    choose(f, QStringLiteral("Combo6"), QStringLiteral("101"));
    choose(f, QStringLiteral("Combo5"), QStringLiteral("Anil Kumar 9847000001"));
    choose(f, QStringLiteral("Combo7"), QStringLiteral("ZTE"));
}

void complaintScene(Scene& s, bool showComplaint) {
    s.ctx = std::make_unique<support::TestContext>();
    s.ctx->session().setSignedInUser(QStringLiteral("NOC1"));
    s.ctx->clock().set(QDateTime(QDate(2021, 12, 5), QTime(10, 15)));
    fixture::network(s.ctx->db());
    fixture::subscriber(s.ctx->db());
    s.form = std::make_unique<complaints::ComplaintRegisterForm>(s.ctx->app());
    QWidget* f = s.form.get();
    if (showComplaint) {
        fixture::openComplaint(s.ctx->db());
        type(f, QStringLiteral("Text6"), QStringLiteral("7"));
        support::leave(f, QStringLiteral("Text6"));
        return;
    }
    type(f, QStringLiteral("Text1"), QStringLiteral("kl0000001"));
    click(f, QStringLiteral("Command8"));
    choose(f, QStringLiteral("Combo1"), QStringLiteral("SIGNAL WEAK"));
}

void outageScene(Scene& s) {
    s.ctx = std::make_unique<support::TestContext>();
    s.ctx->db().exec(QStringLiteral(
        "INSERT INTO olt_status (fault_id, circle, SSA, SITE_NAME, equipment, down_time, rfo, "
        "on_the_part_of, status, IP) VALUES "
        "(2, 'NORTH', 'SSA1', 'MG ROAD', 'OLT-B', '2021-12-02 08:00:00', 'FIBRE CUT', 'VUVA', "
        "'OPEN', '10.1.1.2'), "
        "(4, 'SOUTH', 'SSA3', 'PORT', 'OLT-C', '2021-12-03 09:00:00', NULL, NULL, 'OPEN', NULL)"));
    s.form = std::make_unique<faults::SlaBoardForm>(s.ctx->app());
    type(s.form.get(), QStringLiteral("Text1"), QStringLiteral("2"));
}

void engineerScene(Scene& s) {
    s.ctx = std::make_unique<support::TestContext>();
    s.ctx->db().exec(QStringLiteral("insert into engineer values ('Anil', '9400000001', 'EKM')"));
    s.form = std::make_unique<masterdata::EngineerForm>(s.ctx->app());
}

void contactsScene(Scene& s, bool circle) {
    s.ctx = std::make_unique<support::TestContext>();
    s.ctx->db().exec(QStringLiteral(
        "INSERT INTO circle VALUES ('KERALA', 'ANIL', '9800000005', 'head@zel.in', 'MOHAN', "
        "'9811100000', 'cgm@vuva.in'), ('PUNJAB', 'GURU', '9700000005', 'head.pb@zel.in', "
        "'SINGH', '9711100000', 'cgm.pb@vuva.in')"));
    s.ctx->db().exec(QStringLiteral(
        "INSERT INTO ssa VALUES ('KERALA', 'KOCHI', 'RAJ', '9800000001', '9800000002', "
        "'sde.bb@vuva.in', '9800000003', 'sde.tx@vuva.in', '9800000004', 'gm@vuva.in'), "
        "('KERALA', 'TRIVANDRUM', 'VINOD', '9800000011', '', '', '', '', '', '')"));
    if (circle) {
        s.form = std::make_unique<faults::CircleContactsForm>(s.ctx->app());
        type(s.form.get(), QStringLiteral("Text1"), QStringLiteral("KERALA"));
    } else {
        s.form = std::make_unique<faults::SsaContactsForm>(s.ctx->app());
        type(s.form.get(), QStringLiteral("Text1"), QStringLiteral("KERALA"));
        type(s.form.get(), QStringLiteral("Text2"), QStringLiteral("KOCHI"));
    }
}

void equipmentScene(Scene& s) {
    s.ctx = std::make_unique<support::TestContext>();
    s.ctx->db().exec(QStringLiteral(
        "INSERT INTO bts VALUES ('1234', 'KERALA', 'KOCHI', 'EDAPPALLY-AP1', 'BNG-KOCHI', "
        "'100.64.0.10', 'EDAPPALLY', 'AP SECTOR', 'ACTIVE', 'OCLAN', '10.9.9.9', 'Gi0/1', "
        "'GE OPTICAL', 'VIA VUVA TX MEDIA', '17', ' UP ', 'C1'), "
        "('5678', 'KERALA', 'KOCHI', 'VYT-AP', 'BNG-KOCHI', '100.64.0.11', 'VYTILLA', 'ROUTER', "
        "'ACTIVE', 'DSLAM', '10.9.9.8', 'Gi0/2', 'FE OPTICAL', 'VUVA FTTH', '5', 'up', 'C1')"));
    s.form = std::make_unique<masterdata::EquipmentDetailsForm>(s.ctx->app());
    type(s.form.get(), QStringLiteral("Text1"), QStringLiteral("1234"));
}

void onuScene(Scene& s) {
    s.ctx = std::make_unique<support::TestContext>(QHash<QString, QString>{
        {QStringLiteral("services/olt_service"), QStringLiteral("127.0.0.1:9")},
        {QStringLiteral("accounts/default_broadband_password"), QStringLiteral("Vuva@1234")}});
    fixture::subscriber(s.ctx->db());
    const QString olt = QStringLiteral(
        "insert into OLT (circle, SSA, SITE, SERVICE, OUT_VLAN, IN_VLAN, ID, MAC, SN) values "
        "('KERALA', 'EKM', 'EKM-OLT-1', 'FTTH', '1001', '101', 'kl0000001', "
        "'AA:00:00:00:00:01', 'S1')");
    s.ctx->db().exec(olt);
    s.ctx->db().execSecondary(olt);
    s.form = std::make_unique<onu::OnuConfigurationForm>(s.ctx->app());
    type(s.form.get(), QStringLiteral("Text1"), QStringLiteral("kl0000001"));
    type(s.form.get(), QStringLiteral("Text9"), QStringLiteral("long enough"));
}

void passwordScene(Scene& s) {
    s.server = std::make_unique<support::LocalHttpServer>();
    s.ctx = std::make_unique<support::TestContext>(QHash<QString, QString>{
        {QStringLiteral("services/sms_gateway"), s.server->hostPort()},
        {QStringLiteral("accounts/sms_user"), QStringLiteral("zeluser")},
        {QStringLiteral("accounts/sms_password"), QStringLiteral("secret")},
        {QStringLiteral("accounts/sms_sender"), QStringLiteral("ZELMSG")},
        {QStringLiteral("app/support_phone"), QStringLiteral("1800 425 1957")},
    });
    s.ctx->db().exec(
        QStringLiteral("insert into CRM (NAME, CRM_ID, STATUS, PASSWORD, crm_ip, MAC) values "
                       "('Asha Verma', '9876500001', 'ACTIVE', 'asha@123', '10.0.0.5', "
                       "'AA:BB:CC:00:00:01'), ('Ravi', '9876500002', 'ACTIVE', 'ravi@123', "
                       "'10.0.0.6', 'AA:BB:CC:00:00:02')"));
    s.form = std::make_unique<app::PasswordChangeForm>(s.ctx->app());
    type(s.form.get(), QStringLiteral("Text1"), QStringLiteral("9876500001"));
    type(s.form.get(), QStringLiteral("Text2"), QStringLiteral("asha@123"));
}

void innerVlanScene(Scene& s) {
    s.ctx = std::make_unique<support::TestContext>();
    s.ctx->db().exec(QStringLiteral("insert into circle (circle) values ('MAHARASHTRA')"));
    s.ctx->db().exec(
        QStringLiteral("insert into ssa (circle, SSA) values ('MAHARASHTRA', 'PUNE')"));
    s.ctx->db().exec(QStringLiteral(
        "insert into OLT (circle, SSA, SITE, SERVICE, OUT_VLAN, IN_VLAN, ID, MAC, SN) values "
        "('MAHARASHTRA', 'PUNE', 'OLT-KOTHRUD', 'FTTH', '101', '511', 'NA', '', 'SN-A'), "
        "('MAHARASHTRA', 'PUNE', 'OLT-KOTHRUD', 'FTTH', '101', '512', 'NA', '', 'SN-B')"));
    s.form = std::make_unique<provisioning::InnerVlanForm>(s.ctx->app());
    QWidget* f = s.form.get();
    choose(f, QStringLiteral("Combo1"), QStringLiteral("MAHARASHTRA"));
    choose(f, QStringLiteral("Combo2"), QStringLiteral("PUNE"));
    choose(f, QStringLiteral("Combo5"), QStringLiteral("FTTH"));
    choose(f, QStringLiteral("Combo3"), QStringLiteral("OLT-KOTHRUD"));
    choose(f, QStringLiteral("Combo4"), QStringLiteral("512"));
}

void ticketCloseScene(Scene& s) {
    s.ctx = std::make_unique<support::TestContext>();
    fixture::addDesk(s.ctx->db());
    s.ctx->clock().set(QDateTime(QDate(2021, 12, 4), QTime(10, 0)));
    s.form = std::make_unique<faults::SiteFaultForm>(s.ctx->app());
    type(s.form.get(), QStringLiteral("Text1"), QStringLiteral("7"));
    support::leave(s.form.get(), QStringLiteral("Text1"));
}

void voiceIpScene(Scene& s) {
    s.ctx = std::make_unique<support::TestContext>();
    s.ctx->db().exec(QStringLiteral("insert into VOIP (CIRCLE, SERVICE, BNG, IP, ID) values "
                                    "('GOA', 'FTTH', 'BNG-1', '10.1.0.1', 'NA'), "
                                    "('GOA', 'FTTH', 'BNG-1', '10.1.0.2', 'NA')"));
    s.form = std::make_unique<provisioning::VoiceIpForm>(s.ctx->app());
    type(s.form.get(), QStringLiteral("Combo4"), QStringLiteral("10.1.0.1"));
}

void ticketOpenScene(Scene& s) {
    s.ctx = std::make_unique<support::TestContext>();
    fixture::addDesk(s.ctx->db());
    s.ctx->clock().set(QDateTime(QDate(2021, 12, 4), QTime(10, 0)));
    s.form = std::make_unique<faults::SiteFaultForm>(s.ctx->app());
}

} // namespace sweep
