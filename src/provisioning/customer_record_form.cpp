#include "provisioning/customer_record_form.h"

#include "core/config.h"
#include "core/session.h"
#include "integrations/external_programs.h"
#include "integrations/olt_pages.h"
#include "integrations/web_browser.h"
#include "provisioning/customer_rules.h"
#include "ui/action_policy.h"
#include "ui/dialogs.h"
#include "ui/enter_navigation.h"
#include "ui/list_box.h"
#include "ui/waiting_action.h"
#include "ui_customer_record_form.h"

#include <QFocusEvent>

namespace provisioning {

namespace {

const QString vuva = QStringLiteral("VUVA");
const QString innerVlanTitle = QStringLiteral("ZEL OLT INNER VLAN");

// Emptying a list empties its text too.
void clearList(QComboBox* box) {
    box->clear();
    if (box->isEditable())
        box->clearEditText();
}

} // namespace

CustomerRecordForm::CustomerRecordForm(core::AppContext& app, QWidget* parent)
    : QWidget(parent)
    , m_app(app)
    , m_ui(std::make_unique<Ui::CustomerRecordForm>())
    , m_db(app.database) {
    m_ui->setupUi(this);
    ui::keepTypedText(this);
    ui::enterMovesFocus(
        {m_ui->Combo1, m_ui->Text1, m_ui->Text2, m_ui->Text3, m_ui->Text4, m_ui->Text5});
    m_ui->Text5->installEventFilter(this);

    ui::onListPick(m_ui->Combo2, this, &CustomerRecordForm::chooseCircle);
    ui::onListPick(m_ui->Combo1, this, &CustomerRecordForm::chooseSsa);
    ui::onListPick(m_ui->Combo3, this, &CustomerRecordForm::chooseService);
    ui::onListPick(m_ui->Combo4, this, &CustomerRecordForm::chooseSite);
    ui::onListPick(m_ui->Combo5, this, &CustomerRecordForm::chooseEngineer);
    ui::onListPick(m_ui->Combo7, this, &CustomerRecordForm::chooseProvider);
    connect(m_ui->Command1, &QPushButton::clicked, this, &CustomerRecordForm::submit);
    connect(m_ui->Command2, &QPushButton::clicked, this, &CustomerRecordForm::checkVlan);
    connect(m_ui->Command3, &QPushButton::clicked, this, &CustomerRecordForm::openAp);
    connect(m_ui->Command4, &QPushButton::clicked, this, &CustomerRecordForm::clearEntry);
    connect(m_ui->Command5, &QPushButton::clicked, this, &CustomerRecordForm::checkLdap);
    connect(m_ui->Command6, &QPushButton::clicked, this, &CustomerRecordForm::openOlt);
    connect(m_ui->Command7, &QPushButton::clicked, this, &CustomerRecordForm::checkMtnl);
    connect(m_ui->Label16, &ui::ClickableLabel::clicked, this, &CustomerRecordForm::callCustomer);
    connect(m_ui->Label17, &ui::ClickableLabel::clicked, this, &CustomerRecordForm::openSitePage);

    load();
}

CustomerRecordForm::~CustomerRecordForm() = default;

void CustomerRecordForm::load() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_ui->Label11->setText(QStringLiteral("YOU ARE LOGIN AS ") + m_app.session.signedInUser());
        m_ui->Command1->setEnabled(false);
        for (const char* service : {"FTTH", "AF", "MTNL"})
            ui::appendEntry(m_ui->Combo3, QString::fromLatin1(service));
        m_db.open();
        for (auto row = m_db.query(QStringLiteral("select circle from circle")); !row.atEnd();
             row.next())
            ui::appendEntry(m_ui->Combo2, row.field(QStringLiteral("circle")));
        for (auto row = m_db.query(QStringLiteral("select distinct ngn_provider FROM NGN"));
             !row.atEnd(); row.next())
            ui::appendEntry(m_ui->Combo7, row.field(QStringLiteral("ngn_provider")));
        m_db.close();
    });
    ui::stopOnError(m_app.dialogs, nullptr, [this] {
        const int limit = m_app.config.waitLimitSeconds();
        m_ui->WebBrowser1->setWaitLimitSeconds(limit);
        m_ui->WebBrowser2->setWaitLimitSeconds(limit);
    });
}

void CustomerRecordForm::fillSsaList() {
    clearList(m_ui->Combo1);
    m_db.open();
    for (auto row = m_db.query(QStringLiteral("select SSA from ssa where circle=?"),
                               {db::text(m_ui->Combo2->currentText())});
         !row.atEnd(); row.next())
        ui::appendEntry(m_ui->Combo1, row.trimmed(QStringLiteral("SSA")));
    m_db.close();
}

void CustomerRecordForm::fillEngineerList() {
    auto row =
        m_db.query(QStringLiteral("select * from fe where circle=? and ssa=?"),
                   {db::text(m_ui->Combo2->currentText()), db::text(m_ui->Combo1->currentText())});
    clearList(m_ui->Combo5);
    for (; !row.atEnd(); row.next())
        ui::appendEntry(m_ui->Combo5, engineerEntry(row.field(QStringLiteral("name")),
                                                    row.field(QStringLiteral("mobile"))));
}

void CustomerRecordForm::chooseCircle() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] { fillSsaList(); });
}

void CustomerRecordForm::chooseSsa() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        fillEngineerList();
        m_db.close();
    });
}

// A placeholder is followed by a blank ("SSA=? AND"): the SQLite driver
// renames placeholders, and a name would run on into the word after it.
void CustomerRecordForm::chooseService() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        clearList(m_ui->Combo4);
        m_db.open();
        for (auto row = m_db.query(QStringLiteral("select DISTINCT SITE from OLT where circle=? "
                                                  "AND SSA=? AND SERVICE=?"),
                                   {db::text(m_ui->Combo2->currentText()),
                                    db::text(m_ui->Combo1->currentText()),
                                    db::text(m_ui->Combo3->currentText())});
             !row.atEnd(); row.next())
            ui::appendEntry(m_ui->Combo4, row.field(QStringLiteral("SITE")));
        m_db.close();
    });
}

void CustomerRecordForm::chooseSite() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        clearList(m_ui->Combo6);
        const auto site = db::text(m_ui->Combo4->currentText());
        m_db.open();
        for (auto row =
                 m_db.query(QStringLiteral("select * from OLT where  SITE=? AND ID ='NA'"), {site});
             !row.atEnd(); row.next()) {
            m_ui->Label14->setText(row.field(QStringLiteral("OUT_VLAN")));
            ui::appendEntry(m_ui->Combo6, row.field(QStringLiteral("IN_VLAN")));
        }
        for (auto row = m_db.query(QStringLiteral("select * FROM af_site WHERE site=?"), {site});
             !row.atEnd(); row.next())
            m_ui->Label17->setText(row.field(QStringLiteral("ip")));
        m_db.close();
        m_ui->Command1->setEnabled(true);
    });
}

void CustomerRecordForm::chooseEngineer() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_ui->Text6->setText(engineerMobile(m_ui->Combo5->currentText()));
        m_db.open();
        // The first row, read without looking: an engineer unknown by mobile
        // stops here with the database's message.
        const auto row =
            m_db.query(QStringLiteral("select distinct CLUSTER FROM FE WHERE MOBILE=?"),
                       {db::text(m_ui->Text6->text())});
        m_ui->Text7->setText(row.field(QStringLiteral("CLUSTER")));
        m_db.close();
    });
}

void CustomerRecordForm::chooseProvider() {
    ui::ContinueOnError steps(&m_db);
    const QString provider = m_ui->Combo7->currentText();
    steps.step([&] {
        m_db.open();
        for (auto row =
                 m_db.query(QStringLiteral("select * FROM NGN where ngn_provider=? and circle=?"),
                            {db::text(provider), db::text(m_ui->Combo2->currentText())});
             !row.atEnd(); row.next())
            m_ui->Text8->setText(row.field(QStringLiteral("sip_domain")) + QLatin1Char('/') +
                                 row.field(QStringLiteral("voip_vlan")));
        m_db.close();
    });
    if (m_ui->Combo3->currentText() == QLatin1String("MTNL")) {
        if (const auto domain = setting(QStringLiteral("services/mtnl_sip_domain")))
            m_ui->Text8->setText(mtnlVoiceDomain(*domain, m_ui->Combo4->currentText()));
    }
    const VoiceAccounts accounts = voiceAccounts(provider, m_lookup.customerPhone);
    m_ui->Text9->setText(accounts.voiceAccount);
    m_ui->Text10->setText(accounts.secondAccount);
}

void CustomerRecordForm::clearEntry() {
    m_ui->Text1->clear();
    m_ui->Text4->clear();
    m_ui->Combo2->setEditText(QString());
    m_ui->Combo1->setEditText(QString());
}

CustomerEntry CustomerRecordForm::currentEntry() const {
    CustomerEntry e;
    e.userName = m_ui->Text1->text();
    e.name = m_ui->Text2->text();
    e.mobile = m_ui->Text3->text();
    e.address = m_ui->Text4->text();
    e.mac = m_ui->Text5->text();
    e.engineerMobile = m_ui->Text6->text();
    e.cluster = m_ui->Text7->text();
    e.voiceDomain = m_ui->Text8->text();
    e.voiceAccount = m_ui->Text9->text();
    e.secondAccount = m_ui->Text10->text();
    e.circle = m_ui->Combo2->currentText();
    e.ssa = m_ui->Combo1->currentText();
    e.service = m_ui->Combo3->currentText();
    e.site = m_ui->Combo4->currentText();
    e.engineer = m_ui->Combo5->currentText();
    e.innerVlan = m_ui->Combo6->currentText();
    e.outerVlan = m_ui->Label14->text();
    e.lookup = m_lookup;
    e.operatorName = m_app.session.signedInUser();
    return e;
}

void CustomerRecordForm::submit() {
    RegistrationResult result;
    const CustomerEntry entry = currentEntry();
    const bool finished = ui::stopOnError(
        m_app.dialogs, &m_db, [&] { result = registerCustomer(m_db, entry, m_app.clock); });
    // A new site choice is needed before the next registration, whatever
    // became of this one.
    m_ui->Command1->setEnabled(false);
    if (finished)
        showOutcome(result);
}

// The messages come after the transaction has ended, so no message box
// keeps other workstations waiting on the lock.
void CustomerRecordForm::showOutcome(const RegistrationResult& result) {
    using Outcome = RegistrationResult::Outcome;
    using InnerVlan = RegistrationResult::InnerVlan;
    auto& dialogs = m_app.dialogs;
    if (result.heldInnerVlanFound)
        m_ui->Combo6->setEditText(result.innerVlanValue);
    switch (result.outcome) {
    case Outcome::MissingData:
        dialogs.message(QStringLiteral("PLEASE INSERT ALL THE DATA"), vuva, ui::Icon::Information);
        return;
    case Outcome::Duplicate:
        for (int i = 0; i < result.duplicates; ++i)
            dialogs.message(QStringLiteral("RECORD ALREADY INSERTED"), vuva, ui::Icon::Information);
        return;
    case Outcome::InnerVlanTaken:
        dialogs.message(QStringLiteral("INNER VLAN ") + result.innerVlanValue +
                            QStringLiteral(" IS NO LONGER FREE"),
                        innerVlanTitle, ui::Icon::Exclamation);
        return;
    case Outcome::Registered:
        break;
    }
    switch (result.innerVlan) {
    case InnerVlan::AlreadyPresent:
        dialogs.message(QStringLiteral("ID ALREADY PRESENT"), innerVlanTitle,
                        ui::Icon::Information);
        break;
    case InnerVlan::Assigned:
        dialogs.message(QStringLiteral("INNER VLAN UPDATED"), innerVlanTitle,
                        ui::Icon::Information);
        break;
    case InnerVlan::NotChosen:
        dialogs.message(QStringLiteral("NO INNER VLAN ASSIGNED"), innerVlanTitle,
                        ui::Icon::Information);
        break;
    }
    dialogs.message(QStringLiteral("DATA SUBMITTED SUCCESSFULY"));
}

std::optional<QString> CustomerRecordForm::setting(const QString& key) {
    return ui::requiredSetting(m_app.dialogs, m_app.config, key);
}

// The screen going away takes the focus too; that is no reason to ask the
// OLT service.
bool CustomerRecordForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->Text5 && isVisible() && ui::leavesForAnotherControl(event))
        importMac();
    return QWidget::eventFilter(watched, event);
}

// --- Lookups and pages -----------------------------------------------------

void CustomerRecordForm::checkLdap() {
    const auto server = setting(QStringLiteral("services/ldap_lookup"));
    if (!server)
        return;
    const ui::WaitingAction action(this);
    clearList(m_ui->Combo4);
    m_lookup.lookupMarker = QStringLiteral("0");
    auto* page = m_ui->WebBrowser1;
    // A page that does not load, or still shows the empty search form when
    // the wait ends, has answered nothing usable.
    const QUrl search(QStringLiteral("http://") + withDefaultPort(*server, 8080) +
                      QStringLiteral("/easyldapbeta"));
    const bool usable = page->navigateAndWait(search) &&
                        page->fillFirstForm({{QStringLiteral("UserName"), m_ui->Text1->text()}}) &&
                        page->submitFirstForm() && page->waitUntilLoaded() &&
                        page->waitWhileBodyLength(227);
    const QString body = usable ? page->bodyText() : QString();
    if (!action.screenGone())
        applyLdapAnswer(body);
}

void CustomerRecordForm::applyLdapAnswer(const QString& bodyText) {
    const LdapAnswer answer = parseLdapAnswer(bodyText);
    if (answer.notFound) {
        m_app.dialogs.message(QStringLiteral("USER NOT FOUND"), QStringLiteral("ZEL CRM"),
                              ui::Icon::Information);
        return;
    }
    if (answer.userName)
        m_ui->Text1->setText(*answer.userName);
    if (answer.customerPhone)
        m_lookup.customerPhone = *answer.customerPhone;
    if (answer.lookupNumber)
        m_lookup.lookupNumber = *answer.lookupNumber;
    if (answer.lookupStatus)
        m_lookup.lookupStatus = *answer.lookupStatus;
    if (answer.ssa && answer.circle) {
        m_ui->Combo1->setEditText(*answer.ssa);
        m_ui->Combo2->setEditText(*answer.circle);
    }
    m_ui->Combo3->setEditText(serviceForUserName(m_ui->Text1->text()));
    fillSitesAndEngineers();
}

void CustomerRecordForm::fillSitesAndEngineers() {
    ui::ContinueOnError steps(&m_db);
    steps.step([this] { m_db.open(); });
    steps.step([this] {
        const QString sql =
            m_ui->Combo3->currentText() == QLatin1String("FTTH")
                ? QStringLiteral(
                      "select DISTINCT SITE from OLT where circle=? AND SSA=? AND SERVICE='FTTH'")
                : QStringLiteral(
                      "select DISTINCT SITE from OLT where circle=? AND SSA=? AND SERVICE='AF'");
        auto row = m_db.query(
            sql, {db::text(m_ui->Combo2->currentText()), db::text(m_ui->Combo1->currentText())});
        clearList(m_ui->Combo4);
        for (; !row.atEnd(); row.next())
            ui::appendEntry(m_ui->Combo4, row.field(QStringLiteral("SITE")));
    });
    steps.step([this] { fillEngineerList(); });
    steps.step([this] { m_db.close(); });
}

void CustomerRecordForm::checkMtnl() {
    const auto server = setting(QStringLiteral("services/mtnl_lookup"));
    if (!server)
        return;
    const ui::WaitingAction action(this);
    auto* page = m_ui->WebBrowser1;
    const QUrl lookup(QStringLiteral("http://") + *server + QStringLiteral("/elite/"));
    const bool answered = page->navigateAndWait(lookup) &&
                          page->fillFirstForm({{QStringLiteral("telno"), m_ui->Text1->text()}}) &&
                          page->submitFirstForm() && page->waitUntilLoaded();
    if (answered)
        page->waitWhileBodyLength(82);
    if (action.screenGone())
        return;
    // The operator reads the page; the screen only turns to Delhi.
    m_ui->Combo2->setEditText(QStringLiteral("DELHI"));
    {
        ui::ContinueOnError steps(&m_db);
        steps.step([this] { fillSsaList(); });
    }
    // With no answer page there was nothing to read, so nothing is recorded
    // as if the number had been looked up.
    if (!answered)
        return;
    m_lookup.lookupStatus = QStringLiteral("ACTIVE");
    m_lookup.customerPhone = QStringLiteral("11") + m_ui->Text1->text();
}

void CustomerRecordForm::openOlt() {
    integrations::signInToOlt(this, *m_ui->WebBrowser1, m_ui->Label17->text(), m_app.config,
                              m_app.dialogs, innerVlanTitle);
}

void CustomerRecordForm::checkVlan() {
    const auto server = setting(QStringLiteral("services/olt_service"));
    if (!server)
        return;
    m_ui->WebBrowser1->navigate(
        integrations::oltPageUrl(*server, integrations::OltPage::VlanCheck,
                                 {m_ui->Label17->text(), m_ui->Combo6->currentText()}));
}

// The router tool needs the customer's AP address, which this screen does
// not hold.
void CustomerRecordForm::openAp() {
    m_app.dialogs.message(QStringLiteral("AP NOT UPDATED IN CRM"), QStringLiteral("ZEL"),
                          ui::Icon::Information);
}

void CustomerRecordForm::callCustomer() {
    ClickToCall call;
    const std::pair<QString, QString*> keys[] = {
        {QStringLiteral("services/olt_service"), &call.pageServer},
        {QStringLiteral("services/sip_server"), &call.sipServer},
        {QStringLiteral("accounts/click_to_call_user"), &call.user},
        {QStringLiteral("accounts/click_to_call_password"), &call.password}};
    for (const auto& [key, value] : keys) {
        const auto v = setting(key);
        if (!v)
            return;
        *value = *v;
    }
    if (m_app.programs)
        m_app.programs->openUrl(clickToCallPage(call, m_lookup.customerPhone));
}

void CustomerRecordForm::openSitePage() {
    if (m_app.programs)
        m_app.programs->openUrl(QUrl(QStringLiteral("https://") + m_ui->Label17->text()));
}

// The operator may type only the end of the MAC; the OLT service finds the
// whole of it.
void CustomerRecordForm::importMac() {
    const auto server = setting(QStringLiteral("services/olt_service"));
    if (!server)
        return;
    const ui::WaitingAction action(this);
    m_ui->Text5->setText(macToSend(m_ui->Text5->text()));
    auto* page = m_ui->WebBrowser2;
    const bool loaded = page->navigateAndWait(integrations::oltPageUrl(
        *server, integrations::OltPage::OnuMac, {m_ui->Label17->text(), m_ui->Text5->text()}));
    if (action.screenGone())
        return;
    m_app.dialogs.message(QStringLiteral("PRESS OK TO IMPORT MAC"), {}, ui::Icon::Information);
    if (!loaded || action.screenGone())
        return;
    const auto mac = importedMac(page->bodyText());
    if (mac && !action.screenGone())
        m_ui->Text5->setText(*mac);
}
} // namespace provisioning
