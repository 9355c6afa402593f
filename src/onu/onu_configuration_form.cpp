#include "onu/onu_configuration_form.h"

#include "core/config.h"
#include "integrations/external_programs.h"
#include "integrations/web_browser.h"
#include "onu/onu_rules.h"
#include "ui/action_policy.h"
#include "ui/clickable_label.h"
#include "ui/dialogs.h"
#include "ui/list_box.h"
#include "ui/waiting_action.h"
#include "ui_onu_configuration_form.h"

#include <QPushButton>

namespace onu {

using integrations::OltPage;

namespace {

const QString kTitle = QStringLiteral("ZEL FTTH");
const QString kDefaultPasswordKey = QStringLiteral("accounts/default_broadband_password");

// A configure button stays disabled while its action runs, whatever way the
// action ends.
class Locked {
public:
    explicit Locked(QPushButton* button)
        : m_button(button) {
        m_button->setEnabled(false);
    }
    ~Locked() { m_button->setEnabled(true); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    QPushButton* m_button;
};

} // namespace

OnuConfigurationForm::OnuConfigurationForm(core::AppContext& app, QWidget* parent)
    : QWidget(parent)
    , m_app(app)
    , m_ui(std::make_unique<Ui::OnuConfigurationForm>())
    , m_db(app.database) {
    m_ui->setupUi(this);
    ui::keepTypedText(this);
    m_ui->WebBrowser1->setWaitLimitSeconds(m_app.config.waitLimitSeconds());
    m_ui->Text2->setText(m_app.config.value(kDefaultPasswordKey));
    for (QWidget* field : subscriberFields())
        m_startTexts.append({field, field->property("text").toString()});

    connect(m_ui->Command1, &QPushButton::clicked, this, &OnuConfigurationForm::search);
    connect(m_ui->Command15, &QPushButton::clicked, this, &OnuConfigurationForm::clear);
    ui::onListPick(m_ui->Combo1, this, &OnuConfigurationForm::chooseProvider);

    const std::pair<QPushButton*, OltPage> checks[] = {
        {m_ui->Command2, OltPage::OnuStatus},      {m_ui->Command3, OltPage::OnuWanStatus},
        {m_ui->Command6, OltPage::OnuPhoneStatus}, {m_ui->Command9, OltPage::OnuWifiStatus},
        {m_ui->Command12, OltPage::OnuRestart},    {m_ui->Command13, OltPage::OnuReset}};
    for (const auto& [button, page] : checks)
        connect(button, &QPushButton::clicked, this, [this, page] { showPage(page); });
    connect(m_ui->Command4, &QPushButton::clicked, this, &OnuConfigurationForm::configureWan);
    connect(m_ui->Command7, &QPushButton::clicked, this, &OnuConfigurationForm::configurePhone);
    connect(m_ui->Command10, &QPushButton::clicked, this, &OnuConfigurationForm::configureWifi);
    connect(m_ui->Label16, &ui::ClickableLabel::clicked, this,
            &OnuConfigurationForm::configureWifi5);
    connect(m_ui->Command11, &QPushButton::clicked, this, &OnuConfigurationForm::clearOffline);
    connect(m_ui->Label7, &ui::ClickableLabel::clicked, this, &OnuConfigurationForm::checkVlan);
    connect(m_ui->Label1, &ui::ClickableLabel::clicked, this, &OnuConfigurationForm::showUsage);
    connect(m_ui->Label3, &ui::ClickableLabel::clicked, this, &OnuConfigurationForm::loginToOlt);
    connect(m_ui->Label6, &ui::ClickableLabel::clicked, this,
            &OnuConfigurationForm::openOltInBrowser);

    connect(m_ui->Command5, &QPushButton::clicked, this, &OnuConfigurationForm::updateVoip);
    connect(m_ui->Command8, &QPushButton::clicked, this, &OnuConfigurationForm::updateWifi);
    connect(m_ui->Command14, &QPushButton::clicked, this, &OnuConfigurationForm::updateMac);
}

OnuConfigurationForm::~OnuConfigurationForm() = default;

std::optional<QString> OnuConfigurationForm::setting(const QString& key) {
    return ui::requiredSetting(m_app.dialogs, m_app.config, key);
}

void OnuConfigurationForm::told(const QString& text) {
    m_app.dialogs.message(text, kTitle, ui::Icon::Information);
}

// --- Lookup, provider, clear --------------------------------------------------

// Everything shown belongs to the subscriber just searched for: nothing of
// the previous one may stay for the next CONFIGURE, REBOOT or RESET to act on.
// A failing statement ends the search with its error shown once: going on
// would run the later lookups against fields the failed one left stale.
void OnuConfigurationForm::search() {
    m_ui->Text1->setText(normaliseKey(m_ui->Text1->text()));
    const QString key = m_ui->Text1->text();
    m_ui->Combo1->clear();
    showStartTexts();
    ui::stopOnError(m_app.dialogs, &m_db, [&] {
        m_db.open();
        for (auto row = m_db.query(QStringLiteral("select * FROM CDATA WHERE ID=? or indicator=?"),
                                   {db::text(key), db::text(key)});
             !row.atEnd(); row.next())
            readSubscriber(row);
        for (auto row = m_db.query(QStringLiteral("select * FROM OLT WHERE ID=?"),
                                   {db::text(m_ui->Text1->text())});
             !row.atEnd(); row.next()) {
            m_ui->Text10->setText(row.field(QStringLiteral("mac")));
            m_ui->Label7->setText(row.field(QStringLiteral("in_vlan")));
        }
        for (auto row = m_db.query(QStringLiteral("select * FROM af_site WHERE site=?"),
                                   {db::text(m_ui->Label2->text())});
             !row.atEnd(); row.next()) {
            m_ui->Label3->setText(row.field(QStringLiteral("ip")));
            m_ui->Label6->setText(row.field(QStringLiteral("live")));
        }
        ui::appendEntries(
            m_ui->Combo1,
            db::columnValues(m_db.query(QStringLiteral("select distinct ngn_provider FROM NGN")),
                             QStringLiteral("ngn_provider")));
        m_db.close();
    });
}

// The fields a search fills, the key box aside.
QList<QWidget*> OnuConfigurationForm::subscriberFields() const {
    return {m_ui->Label2, m_ui->Label8, m_ui->Label9, m_ui->Label7, m_ui->Label3,
            m_ui->Label6, m_ui->Text2,  m_ui->Text3,  m_ui->Text4,  m_ui->Text5,
            m_ui->Text6,  m_ui->Text7,  m_ui->Text8,  m_ui->Text9,  m_ui->Text10};
}

// Labels and boxes alike carry their text as the "text" property.
void OnuConfigurationForm::showStartTexts() {
    for (const auto& [field, text] : m_startTexts)
        field->setProperty("text", text);
    m_ui->Combo1->setEditText(QString());
}

void OnuConfigurationForm::readSubscriber(const db::RowCursor& row) {
    m_ui->Text1->setText(row.field(QStringLiteral("id")));
    m_ui->Label2->setText(row.field(QStringLiteral("AP")));
    m_ui->Label8->setText(row.field(QStringLiteral("circle")));
    m_ui->Label9->setText(row.field(QStringLiteral("ssa")));
    const struct {
        const char* column;
        QLineEdit* first;
        QLineEdit* second;
    } pairs[] = {{"OTC", m_ui->Text6, m_ui->Text7},
                 {"nas_ip", m_ui->Text5, m_ui->Text4},
                 {"cpe type", m_ui->Text8, m_ui->Text9}};
    for (const auto& p : pairs) {
        const QString column = QString::fromLatin1(p.column);
        if (row.isNull(column))
            continue;
        const CompositeParts parts = splitComposite(row.field(column));
        if (parts.first)
            p.first->setText(*parts.first);
        p.second->setText(parts.second);
    }
    if (isMtnl(row.field(QStringLiteral("service")))) {
        m_ui->Text2->setText(row.field(QStringLiteral("BA")));
        m_ui->Text3->setText(QStringLiteral("1480"));
    } else {
        m_ui->Text2->setText(m_app.config.required(kDefaultPasswordKey));
        m_ui->Text3->setText(QStringLiteral("1460"));
    }
}

void OnuConfigurationForm::chooseProvider() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        for (auto row = m_db.query(
                 QStringLiteral("select * FROM NGN where ngn_provider=? and circle=?"),
                 {db::text(m_ui->Combo1->currentText()), db::text(m_ui->Label8->text())});
             !row.atEnd(); row.next()) {
            m_ui->Text5->setText(row.field(QStringLiteral("sip_domain")));
            m_ui->Text4->setText(row.field(QStringLiteral("voip_vlan")));
        }
        m_db.close();
    });
}

void OnuConfigurationForm::clear() {
    for (QLineEdit* box : {m_ui->Text1, m_ui->Text4, m_ui->Text5, m_ui->Text6, m_ui->Text7,
                           m_ui->Text8, m_ui->Text9, m_ui->Text10})
        box->clear();
    m_ui->Combo1->setEditText(QString());
    for (QLabel* label : {static_cast<QLabel*>(m_ui->Label7), static_cast<QLabel*>(m_ui->Label3),
                          static_cast<QLabel*>(m_ui->Label6), m_ui->Label8, m_ui->Label9})
        label->clear();
    m_ui->Text1->setFocus();
}

// --- Pages of the OLT service ---------------------------------------------------

// ip and mac from the screen as it stands (before a search, the captions),
// then the page's further keys.
void OnuConfigurationForm::showPage(OltPage page, const QStringList& extra) {
    const auto server = setting(QStringLiteral("services/olt_service"));
    if (!server)
        return;
    m_ui->WebBrowser1->navigate(integrations::oltPageUrl(
        *server, page, QStringList{m_ui->Label3->text(), m_ui->Text10->text()} + extra));
}

void OnuConfigurationForm::configureWan() {
    const Locked locked(m_ui->Command4);
    showPage(OltPage::OnuWanConfig,
             {m_ui->Text1->text(), m_ui->Label7->text(), m_ui->Text2->text(), m_ui->Text3->text()});
}

void OnuConfigurationForm::configurePhone() {
    const Locked locked(m_ui->Command7);
    showPage(OltPage::OnuPhoneConfig, {m_ui->Text4->text(), m_ui->Text7->text(),
                                       m_ui->Text5->text(), phoneForPage(m_ui->Text6->text())});
}

// The length rule comes first here, so a refused attempt leaves the name as
// typed.
void OnuConfigurationForm::configureWifi() {
    const Locked locked(m_ui->Command10);
    if (!wifiPasswordLongEnough(m_ui->Text9->text())) {
        m_app.dialogs.message(QStringLiteral("PASSWORD MUST BE MINIMUM 8 CHARACTER"),
                              QStringLiteral("VELMORA"), ui::Icon::Information);
        return;
    }
    m_ui->Text8->setText(wifiNameForOnu(m_ui->Text8->text()));
    showPage(OltPage::OnuWifiConfig, {m_ui->Text8->text(), m_ui->Text9->text()});
}

void OnuConfigurationForm::configureWifi5() {
    m_ui->Text8->setText(wifiNameForOnu(m_ui->Text8->text()));
    showPage(OltPage::OnuWifiConfig5, {m_ui->Text8->text(), m_ui->Text9->text()});
}

void OnuConfigurationForm::clearOffline() {
    const auto server = setting(QStringLiteral("services/olt_service"));
    if (server)
        m_ui->WebBrowser1->navigate(
            integrations::oltPageUrl(*server, OltPage::OnuOffline, {m_ui->Label3->text()}));
}

void OnuConfigurationForm::checkVlan() {
    const auto server = setting(QStringLiteral("services/olt_service"));
    if (server)
        m_ui->WebBrowser1->navigate(integrations::oltPageUrl(
            *server, OltPage::VlanCheck, {m_ui->Label3->text(), m_ui->Label7->text()}));
}

// The usage page is slow to build; the screen stays live meanwhile and the
// wait ends at the configured limit.
void OnuConfigurationForm::showUsage() {
    const auto server = setting(QStringLiteral("services/olt_service"));
    if (!server)
        return;
    const ui::WaitingAction wait(this);
    m_ui->WebBrowser1->navigateAndWait(integrations::oltPageUrl(
        *server, OltPage::Usage, {m_ui->Label3->text(), m_ui->Text10->text()}));
}

void OnuConfigurationForm::loginToOlt() {
    integrations::signInToOlt(this, *m_ui->WebBrowser1, m_ui->Label3->text(), m_app.config,
                              m_app.dialogs, kTitle);
}

void OnuConfigurationForm::openOltInBrowser() {
    ui::stopOnError(m_app.dialogs, nullptr, [this] {
        if (m_app.programs)
            m_app.programs->openUrl(QUrl(QStringLiteral("https://") + m_ui->Label3->text()));
    });
}

// --- Record updates ---------------------------------------------------------------

// Each tells what happened: a confirmation only when a row changed.
void OnuConfigurationForm::updateVoip() {
    const QString id = m_ui->Text1->text();
    int changed = 0;
    if (!ui::stopOnError(m_app.dialogs, &m_db, [&] {
            m_db.open();
            changed = m_db.execute(
                QStringLiteral("update cdata  set nas_ip=?, otc=?where ID=?"),
                {db::text(m_ui->Text5->text() + QLatin1Char('/') + m_ui->Text4->text()),
                 db::text(m_ui->Text6->text() + QLatin1Char('/') + m_ui->Text7->text()),
                 db::text(id)});
            m_db.close();
        }))
        return;
    told(changed > 0 ? QStringLiteral("VOIP DETAILS UPDATED")
                     : QStringLiteral("NO SUBSCRIBER ") + id);
}

// The name is made fit for the ONU first, so the box shows it as stored.
void OnuConfigurationForm::updateWifi() {
    m_ui->Text8->setText(wifiNameForOnu(m_ui->Text8->text()));
    if (!wifiPasswordLongEnough(m_ui->Text9->text())) {
        m_app.dialogs.message(QStringLiteral("PASSWORD MUST BE MINIMUM 8 CHARACTER"),
                              QStringLiteral("VELMORA"), ui::Icon::Information);
        return;
    }
    const QString id = m_ui->Text1->text();
    int changed = 0;
    if (!ui::stopOnError(m_app.dialogs, &m_db, [&] {
            m_db.open();
            changed = m_db.execute(
                QStringLiteral("update cdata  set [CPE TYPE]=?where ID=?"),
                {db::text(m_ui->Text8->text() + QLatin1Char('/') + m_ui->Text9->text()),
                 db::text(id)});
            m_db.close();
        }))
        return;
    told(changed > 0 ? QStringLiteral("WIFI DETAILS UPDATED")
                     : QStringLiteral("NO SUBSCRIBER ") + id);
}

// Both databases hold the OLT table; a failure on one does not keep the MAC
// from the other, and the message says which took it and why one did not.
void OnuConfigurationForm::updateMac() {
    const QString id = m_ui->Text1->text();
    const auto onDatabase = [&](bool secondary) {
        MacWrite write;
        // Closes the connection a failure left open, before the next database.
        const ui::ContinueOnError unwind(&m_db);
        try {
            secondary ? m_db.openSecondary() : m_db.open();
            write.changed = m_db.execute(QStringLiteral("update OLT  set MAC=?where ID=?"),
                                         {db::text(m_ui->Text10->text()), db::text(id)});
            m_db.close();
        } catch (const std::exception& e) {
            write.failure = QString::fromStdString(e.what());
        }
        return write;
    };
    const MacWrite main = onDatabase(false);
    const MacWrite second = onDatabase(true);
    m_app.dialogs.message(macUpdateReport(main, second, id), kTitle,
                          main.failure || second.failure ? ui::Icon::Critical
                                                         : ui::Icon::Information);
}

} // namespace onu
