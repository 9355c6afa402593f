#include "complaints/complaint_register_form.h"

#include "complaints/complaint_lifecycle.h"
#include "complaints/complaint_register_texts.h"
#include "complaints/open_complaint_board_form.h"
#include "complaints/subscriber_maintenance.h"
#include "core/clock.h"
#include "core/config.h"
#include "core/session.h"
#include "core/text_formats.h"
#include "db/error.h"
#include "integrations/external_programs.h"
#include "ui/action_policy.h"
#include "ui/dialogs.h"
#include "ui/enter_navigation.h"
#include "ui/list_box.h"
#include "ui/screen_registry.h"
#include "ui/waiting_action.h"
#include "ui_complaint_register_form.h"

#include <QFocusEvent>
#include <QTimer>
#include <optional>
#include <stdexcept>

namespace complaints {

using namespace register_texts;

namespace {

const QString alvenVelmora = QStringLiteral("ALVEN VELMORA");

void setControlText(QWidget* control, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(control))
        combo->setEditText(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* box = qobject_cast<QPlainTextEdit*>(control))
        box->setPlainText(text);
}

// A combo box's list and its text are separate: emptying the list leaves the
// text the operator sees alone.
void emptyList(QComboBox* combo) {
    const QString text = combo->currentText();
    combo->clear();
    combo->setEditText(text);
}

} // namespace

ComplaintRegisterForm::ComplaintRegisterForm(core::AppContext& app, QWidget* parent)
    : QWidget(parent)
    , m_app(app)
    , m_ui(std::make_unique<Ui::ComplaintRegisterForm>())
    , m_db(app.database)
    , m_timer(new QTimer(this)) {
    m_ui->setupUi(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(1000);
    m_ui->WebBrowser1->setWaitLimitSeconds(app.config.waitLimitSeconds());
    ui::enterMovesFocus({m_ui->Text1, m_ui->Text6});
    m_ui->Text6->installEventFilter(this);
    m_ui->Text10->viewport()->installEventFilter(this);

    connect(m_timer, &QTimer::timeout, this, &ComplaintRegisterForm::tick);
    connect(m_ui->Command8, &QPushButton::clicked, this, &ComplaintRegisterForm::searchSubscriber);
    ui::keepTypedText(this);
    ui::onListPick(m_ui->Combo4, this, &ComplaintRegisterForm::circleChosen);
    ui::onListPick(m_ui->Combo5, this, &ComplaintRegisterForm::ssaChosen);
    ui::onListPick(m_ui->Combo7, this, &ComplaintRegisterForm::engineerChosen);
    ui::onListPick(m_ui->Combo3, this, &ComplaintRegisterForm::complaintEngineerChosen);
    connect(m_ui->Command6, &QPushButton::clicked, this, &ComplaintRegisterForm::clearScreen);
    connect(m_ui->Command7, &QPushButton::clicked, this,
            &ComplaintRegisterForm::showOpenComplaints);
    connect(m_ui->Command1, &QPushButton::clicked, this, &ComplaintRegisterForm::submitComplaint);
    connect(m_ui->Command2, &QPushButton::clicked, this, &ComplaintRegisterForm::updateComplaint);
    connect(m_ui->Command3, &QPushButton::clicked, this, &ComplaintRegisterForm::closeComplaint);
    connect(m_ui->Command5, &QPushButton::clicked, this, &ComplaintRegisterForm::saveSubscriber);
    connect(m_ui->Command10, &QPushButton::clicked, this, &ComplaintRegisterForm::assignVoiceIp);
    connect(m_ui->Command4, &QPushButton::clicked, this, &ComplaintRegisterForm::openAp);
    connect(m_ui->Label26, &ui::ClickableLabel::clicked, this,
            &ComplaintRegisterForm::showPolicyPage);
    connect(m_ui->Label29, &ui::ClickableLabel::clicked, this, &ComplaintRegisterForm::refreshAp);
    load();
}

ComplaintRegisterForm::~ComplaintRegisterForm() {
    // The controls outlive this object's own part of the destruction.
    m_ui->Text6->removeEventFilter(this);
    m_ui->Text10->viewport()->removeEventFilter(this);
}

bool ComplaintRegisterForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->Text6 && event->type() == QEvent::FocusOut) {
        if (ui::leavesForAnotherControl(event))
            lookUpComplaint();
    } else if (watched == m_ui->Text10->viewport() &&
               event->type() == QEvent::MouseButtonDblClick) {
        stampUpdateText();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QString ComplaintRegisterForm::signedInUser() const {
    return m_app.session.signedInUser();
}

// --- the screen ---------------------------------------------------------------

void ComplaintRegisterForm::load() {
    m_ui->Label13->setText(QStringLiteral("YOU ARE LOGIN AS ") + signedInUser());
    m_ui->Command3->setEnabled(false);
    m_ui->MSHFlexGrid1->setColumnWidthsTwips({1000, 2500});
    ui::appendEntries(m_ui->Combo6, paidChoices());
    ui::appendEntries(m_ui->Combo1, complaintDescriptions());
    ui::appendEntries(m_ui->Combo2, complaintCategories());
    m_ui->Text11->setText(core::formats::shortDateTime24(m_app.clock.now()));
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        for (auto row = m_db.query(QStringLiteral("select circle from circle")); !row.atEnd();
             row.next())
            ui::appendEntry(m_ui->Combo4, row.trimmed(QStringLiteral("circle")));
        m_db.close();
    });
    m_timer->start();
}

void ComplaintRegisterForm::tick() {
    m_ui->Text11->setText(core::formats::shortDateTime(m_app.clock.now()));
}

void ComplaintRegisterForm::searchSubscriber() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        emptyList(m_ui->Combo7);
        m_apAddress.clear();
        const db::Value text = db::text(m_ui->Text1->text().toLower());
        m_db.open();
        // The status condition binds to the mobile number alone, as written. A
        // blank follows each '?': Qt's driver would read "?OR" as one name.
        for (auto row = m_db.query(QStringLiteral("select * from cdata where id = ? OR "
                                                  "indicator=? OR BA=? OR MOBILE=? and "
                                                  "status='active'"),
                                   {text, text, text, text});
             !row.atEnd(); row.next())
            showSubscriber(row);
        findEngineers();
        showSiteState();
        m_db.close();
        m_db.open();
        const db::Value id = db::text(m_ui->Text1->text());
        for (auto row = m_db.query(QStringLiteral("select * from complain WHERE [User ID]= "
                                                  "? AND STATUS<>'CLOSED'"),
                                   {id});
             !row.atEnd(); row.next())
            showComplaint(row, ComplaintRead::Search);
        showHistoryGrid(m_ui->Text1->text());
        for (auto row = m_db.query(QStringLiteral("select * from olt WHERE ID= ?"), {id});
             !row.atEnd(); row.next())
            m_ui->Text21->setText(row.field(QStringLiteral("MAC")));
        m_db.close();
    });
}

void ComplaintRegisterForm::showSubscriber(const db::RowCursor& row) {
    m_ui->Text2->setText(row.trimmed(1));
    m_ui->Combo5->setEditText(row.trimmed(QStringLiteral("CLUSTER")));
    m_ui->Text4->setText(row.trimmed(3));
    m_ui->Text8->setText(row.trimmed(4));
    m_ui->Combo4->setEditText(row.trimmed(5));
    m_ui->Label22->setText(row.field(QStringLiteral("SERVICE")));
    m_ui->Text3->setText(row.trimmed(QStringLiteral("ba")));
    m_ui->Label27->setText(row.trimmed(QStringLiteral("policy")));
    m_ui->Text16->setText(row.trimmed(QStringLiteral("CBA")));
    m_ui->Text17->setText(row.trimmed(QStringLiteral("EMAIL")));
    m_ui->Combo6->setEditText(row.trimmed(QStringLiteral("PAID")));
    m_ui->Text1->setText(row.trimmed(0));
    m_ui->Text18->setText(row.trimmed(QStringLiteral("AP")));
    m_ui->Text19->setText(row.trimmed(QStringLiteral("PORT")));
    m_ui->Text20->setText(row.trimmed(QStringLiteral("OTC")));
}

void ComplaintRegisterForm::findEngineers() {
    for (auto row = m_db.query(
             QStringLiteral("select * from FE where circle=? and CLUSTER=?"),
             {db::text(m_ui->Combo4->currentText()), db::text(m_ui->Combo5->currentText())});
         !row.atEnd(); row.next()) {
        m_ui->Text12->setText(row.trimmed(QStringLiteral("NAME")));
        m_ui->Text13->setText(row.trimmed(QStringLiteral("MOBILE")));
        ui::appendEntry(m_ui->Combo7, row.field(QStringLiteral("NAME")));
    }
}

void ComplaintRegisterForm::showSiteState() {
    QString live;
    for (auto row = m_db.query(QStringLiteral("SELECT IP,LIVE FROM af_site WHERE site=?"),
                               {db::text(m_ui->Text18->text())});
         !row.atEnd(); row.next()) {
        m_apAddress = row.trimmed(QStringLiteral("IP"));
        live = row.trimmed(QStringLiteral("LIVE"));
    }
    QPalette palette = m_ui->Text18->palette();
    palette.setColor(QPalette::Base,
                     live == QLatin1String("UP") ? QColor(0, 255, 0) : QColor(255, 0, 0));
    m_ui->Text18->setPalette(palette);
}

void ComplaintRegisterForm::lookUpComplaint() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        emptyList(m_ui->Combo3);
        m_ui->Command3->setEnabled(true);
        m_db.open();
        for (auto row = m_db.query(QStringLiteral("select * from complain WHERE ID= ?"),
                                   {db::rowNumber(m_ui->Text6->text())});
             !row.atEnd(); row.next())
            showComplaint(row, ComplaintRead::Lookup);
        showHistoryGrid(m_ui->Text15->text());
        for (auto row = m_db.query(
                 QStringLiteral("select * from FE where circle=? and CLUSTER=?"),
                 {db::text(m_ui->Combo4->currentText()), db::text(m_ui->Combo5->currentText())});
             !row.atEnd(); row.next())
            ui::appendEntry(m_ui->Combo3, row.field(QStringLiteral("NAME")));
        m_db.close();
        const bool closed = m_ui->Label34->text().trimmed() == QLatin1String("CLOSED");
        m_ui->Command2->setEnabled(!closed);
        m_ui->Command3->setEnabled(!closed);
    });
}

void ComplaintRegisterForm::showComplaint(const db::RowCursor& row, ComplaintRead read) {
    for (const ComplaintField& f : complaintFields(read)) {
        const QString value = f.position >= 0
                                  ? (f.trimmed ? row.trimmed(f.position) : row.field(f.position))
                                  : (f.trimmed ? row.trimmed(f.column) : row.field(f.column));
        setControlText(findChild<QWidget*>(f.control), value);
    }
    // The history exactly as stored: an update or closing writes only while
    // it is still this text.
    m_lookedUpNumber = row.trimmed(0);
    m_lookedUpHistory = row.field(4);
}

void ComplaintRegisterForm::showHistoryGrid(const QString& subscriberId) {
    m_db.bindGrid(m_ui->MSHFlexGrid1->gridModel(),
                  QStringLiteral("select ID,[Issue Date] from complain WHERE [User ID]= ? order by "
                                 "ID desc"),
                  {db::text(subscriberId)});
}

void ComplaintRegisterForm::circleChosen() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        emptyList(m_ui->Combo5);
        m_db.open();
        for (auto row = m_db.query(QStringLiteral("select SSA from ssa where circle=?"),
                                   {db::text(m_ui->Combo4->currentText())});
             !row.atEnd(); row.next())
            ui::appendEntry(m_ui->Combo5, row.trimmed(QStringLiteral("SSA")));
        m_db.close();
    });
}

void ComplaintRegisterForm::ssaChosen() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_ui->Text12->clear();
        m_ui->Text13->clear();
        m_db.open();
        // The SSA office's manager and phone stand in until an engineer is chosen.
        for (auto row = m_db.query(QStringLiteral("select * from domain where id=?"),
                                   {db::text(m_ui->Combo5->currentText())});
             !row.atEnd(); row.next()) {
            m_ui->Text12->setText(row.field(1));
            m_ui->Text13->setText(row.field(2));
        }
        m_db.close();
    });
}

std::optional<QString> ComplaintRegisterForm::engineerMobile(const QString& name) {
    std::optional<QString> mobile;
    for (auto row = m_db.query(QStringLiteral("select * from FE where circle=? and "
                                              "CLUSTER=? and name=?"),
                               {db::text(m_ui->Combo4->currentText()),
                                db::text(m_ui->Combo5->currentText()), db::text(name)});
         !row.atEnd(); row.next())
        mobile = row.trimmed(QStringLiteral("MOBILE"));
    return mobile;
}

void ComplaintRegisterForm::engineerChosen() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        if (const auto mobile = engineerMobile(m_ui->Combo7->currentText())) {
            m_ui->Text12->setText(m_ui->Combo7->currentText());
            m_ui->Text13->setText(*mobile);
        }
        m_db.close();
    });
}

void ComplaintRegisterForm::complaintEngineerChosen() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        if (const auto mobile = engineerMobile(m_ui->Combo3->currentText()))
            m_ui->Text5->setText(*mobile);
        m_db.close();
    });
}

// Lists, the port and ONU boxes, the submitted number, the status, the grid
// and the AP colour stay as they are.
void ComplaintRegisterForm::clearScreen() {
    const QList<QWidget*> cleared{
        m_ui->Text1,  m_ui->Text2,   m_ui->Combo5, m_ui->Text4,   m_ui->Text12, m_ui->Text13,
        m_ui->Combo1, m_ui->Text6,   m_ui->Text7,  m_ui->Combo2,  m_ui->Text9,  m_ui->Text10,
        m_ui->Combo3, m_ui->Text5,   m_ui->Text8,  m_ui->Label7,  m_ui->Text14, m_ui->Text16,
        m_ui->Text17, m_ui->Label22, m_ui->Text3,  m_ui->Label27, m_ui->Combo6, m_ui->Text18,
        m_ui->Combo4, m_ui->Text20,  m_ui->Text15};
    for (QWidget* control : cleared)
        setControlText(control, QString());
}

void ComplaintRegisterForm::showOpenComplaints() {
    core::AppContext& app = m_app;
    close();
    if (app.screens)
        app.screens->open(
            QStringLiteral("Form4"), [&app] { return new OpenComplaintBoardForm(app); },
            ui::ScreenRegistry::Placement::Child);
}

void ComplaintRegisterForm::stampUpdateText() {
    m_ui->Text10->setPlainText(m_ui->Text10->toPlainText() + generalDateTime(m_app.clock.now()));
    m_ui->Text10->moveCursor(QTextCursor::End);
}

bool ComplaintRegisterForm::mobileRefused(const QString& mobile) {
    if (isMobileNumber(mobile))
        return false;
    m_app.dialogs.message(QStringLiteral("MOBILE NUMBER MUST BE NUMERIC"), vuva,
                          ui::Icon::Information);
    return true;
}

// --- the subscriber's record --------------------------------------------------------

void ComplaintRegisterForm::saveSubscriber() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        SubscriberEdit edit;
        edit.id = m_ui->Text1->text();
        edit.ap = m_ui->Text18->text();
        edit.name = m_ui->Text2->text();
        // Blanks around a bare number never reached the record either.
        edit.mobile = m_ui->Text4->text().trimmed();
        edit.address = m_ui->Text8->text();
        edit.cba = m_ui->Text16->text();
        edit.email = m_ui->Text17->text();
        edit.paid = m_ui->Combo6->currentText();
        if (mobileRefused(edit.mobile))
            return;
        m_db.open();
        const bool saved = complaints::saveSubscriber(m_db, edit);
        m_db.close();
        if (saved)
            m_app.dialogs.message(QStringLiteral("DATA UPDATED"), vuva, ui::Icon::Information);
        else
            m_app.dialogs.message(QStringLiteral("SUBSCRIBER %1 NOT FOUND").arg(edit.id), vuva,
                                  ui::Icon::Information);
    });
}

void ComplaintRegisterForm::assignVoiceIp() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        const QString id = m_ui->Text1->text().trimmed();
        m_db.open();
        const VoiceIpAssignment result = complaints::assignVoiceIp(m_db, m_ui->Text20->text(), id);
        m_db.close();
        if (!result.holder.isEmpty())
            m_app.dialogs.message(QStringLiteral("IP ALREADY IN USE FOR USER ") + result.holder,
                                  zelCrm, ui::Icon::Information);
        else if (result.stored)
            m_app.dialogs.message(QStringLiteral("DATA UPDATED"), vuva, ui::Icon::Information);
        else
            m_app.dialogs.message(QStringLiteral("SUBSCRIBER %1 NOT FOUND").arg(id), vuva,
                                  ui::Icon::Information);
    });
}

void ComplaintRegisterForm::showPolicyPage() {
    browsePolicyServer(QStringLiteral("policy.php"));
}

void ComplaintRegisterForm::refreshAp() {
    browsePolicyServer(QStringLiteral("ap.php"));
}

// The policy and AP pages: every step skips its own failure. The id and NAS
// IP are this click's own, so a click that starts while another waits for
// its page cannot redirect the other's write to a different subscriber.
void ComplaintRegisterForm::browsePolicyServer(const QString& page) {
    QString server;
    // A missing address is a setup fault, told plainly rather than skipped.
    if (!ui::stopOnError(m_app.dialogs, nullptr, [&] {
            server = m_app.config.required(QStringLiteral("services/policy_server"));
        }))
        return;
    const ui::WaitingAction action(this);
    const int depth = m_db.depth();
    QString id;
    QString nasIp;
    bool loaded = false;
    {
        ui::ContinueOnError steps;
        steps.step([this] { m_db.open(); });
        steps.step([&] {
            const auto row = m_db.query(QStringLiteral("select ID, NAS_IP from CDATA WHERE  id=?"),
                                        {db::text(m_ui->Text1->text())});
            nasIp = row.trimmed(QStringLiteral("nas_ip"));
            id = row.trimmed(QStringLiteral("id"));
        });
        steps.step([&] {
            loaded = m_ui->WebBrowser1->navigateAndWait(policyServerUrl(server, page, id, nasIp));
        });
    }
    // The main window may have taken the screen with it while the page loaded.
    if (action.screenGone())
        return;
    ui::ContinueOnError steps;
    if (page == QLatin1String("ap.php")) {
        // A page that never came is an empty answer, not the previous page's.
        QString body;
        steps.step([&] {
            if (loaded)
                body = m_ui->WebBrowser1->bodyText();
        });
        if (action.screenGone())
            return;
        steps.step([&] { m_ui->Text18->setText(body); });
        steps.step([&] { storeRefreshedAp(id); });
    }
    steps.step([&] {
        if (!action.screenGone())
            m_db.closeTo(depth);
    });
}

void ComplaintRegisterForm::storeRefreshedAp(const QString& id) {
    const QString ap = m_ui->Text18->text();
    if (!isApName(ap)) {
        m_app.dialogs.message(QStringLiteral("OFFLINE"));
        return;
    }
    if (storeAp(m_db, ap, id))
        m_app.dialogs.message(QStringLiteral("AP UPDATED"), alvenVelmora, ui::Icon::Information);
    else
        m_app.dialogs.message(QStringLiteral("SUBSCRIBER %1 NOT FOUND").arg(id), alvenVelmora,
                              ui::Icon::Information);
}

void ComplaintRegisterForm::openAp() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        if (m_apAddress.isEmpty()) {
            m_app.dialogs.message(QStringLiteral("AP NOT UPDATED IN CRM"), zel,
                                  ui::Icon::Information);
            return;
        }
        integrations::ExternalPrograms* programs = m_app.programs;
        if (m_ui->Label22->text().trimmed() != QLatin1String("FTTH")) {
            const QString tool = m_app.config.required(QStringLiteral("tools/router_tool"));
            const QString password =
                m_app.config.required(QStringLiteral("accounts/router_password"));
            if (!programs ||
                !programs->start(tool, {m_apAddress, QStringLiteral("admin"), password}))
                throw std::runtime_error(QStringLiteral("The router tool %1 could not be started.")
                                             .arg(tool)
                                             .toStdString());
            return;
        }
        const QUrl url(QStringLiteral("https://") + m_apAddress);
        if (!programs || !programs->openUrl(url))
            throw std::runtime_error(QStringLiteral("The web browser could not open %1.")
                                         .arg(url.toString())
                                         .toStdString());
    });
}

} // namespace complaints
