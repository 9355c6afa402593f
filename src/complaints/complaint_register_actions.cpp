// The complaint actions of the complaint register: logging a new complaint,
// adding an update to its history, and closing it.

#include "complaints/complaint_lifecycle.h"
#include "complaints/complaint_register_form.h"
#include "complaints/complaint_register_texts.h"
#include "core/clock.h"
#include "core/config.h"
#include "core/text_formats.h"
#include "ui/action_policy.h"
#include "ui/dialogs.h"
#include "ui_complaint_register_form.h"

namespace complaints {

using namespace register_texts;

void ComplaintRegisterForm::submitComplaint() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        if (openComplaintShown())
            return tellAlreadyOpen();
        if (submitFieldsMissing()) {
            m_app.dialogs.message(QStringLiteral("PLEASE FILL ALL THE DATA"), vuva,
                                  ui::Icon::Information);
            return;
        }
        // Checked before anything is written: the subscriber record takes the
        // mobile as a number, and a half-logged complaint helps nobody.
        if (mobileRefused(m_ui->Text4->text().trimmed()))
            return;
        logNewComplaint();
    });
}

void ComplaintRegisterForm::tellAlreadyOpen() {
    m_app.dialogs.message(QStringLiteral(" HAS ALREADY AN OPEN COMPLAIN"), vuva,
                          ui::Icon::Information);
}

// Also true while any complaint number is on the screen, even a closed one's.
bool ComplaintRegisterForm::openComplaintShown() {
    m_db.open();
    for (auto row = m_db.query(QStringLiteral("select * from complain WHERE [User ID]= ? AND "
                                              "STATUS<>'CLOSED'"),
                               {db::text(m_ui->Text1->text())});
         !row.atEnd(); row.next())
        showComplaint(row, ComplaintRead::SubmitCheck);
    m_db.close();
    return !m_ui->Text6->text().isEmpty();
}

bool ComplaintRegisterForm::submitFieldsMissing() const {
    for (const QString& text :
         {m_ui->Text1->text(), m_ui->Text2->text(), m_ui->Text4->text(),
          m_ui->Combo1->currentText(), m_ui->Text12->text(), m_ui->Text13->text(),
          m_ui->Combo4->currentText(), m_ui->Combo5->currentText()})
        if (text.isEmpty())
            return true;
    return false;
}

// Another desk may have logged a complaint for the same subscriber since the
// check above; then that one is shown and nothing is logged.
void ComplaintRegisterForm::logNewComplaint() {
    NewComplaint c;
    c.name = m_ui->Text2->text();
    c.mobile = m_ui->Text4->text().trimmed();
    c.issueTime = core::formats::shortDateTime(m_app.clock.now());
    c.description = m_ui->Combo1->currentText();
    c.ssa = m_ui->Combo5->currentText();
    c.fe = m_ui->Text12->text();
    c.feMobile = m_ui->Text13->text();
    c.address = m_ui->Text8->text();
    c.subscriberId = m_ui->Text1->text();
    c.circle = m_ui->Combo4->currentText();
    c.ap = m_ui->Text18->text();
    c.user = signedInUser();
    c.service = m_ui->Label22->text();
    c.voiceIp = m_ui->Text20->text();
    m_db.open();
    const LoggedComplaint logged = logComplaint(m_db, c);
    m_db.close();
    if (logged.number.isEmpty()) {
        openComplaintShown();
        return tellAlreadyOpen();
    }
    m_ui->Label16->setText(logged.number);
    m_app.dialogs.message(QStringLiteral("Complain Submitted Successfully with Complain No") +
                              logged.number,
                          vuva, ui::Icon::Information);
}

void ComplaintRegisterForm::updateComplaint() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        const QString number = m_ui->Text6->text();
        m_db.open();
        if (m_ui->Text10->toPlainText().isEmpty())
            m_app.dialogs.message(QStringLiteral("PLEASE FILL UPDATE"), zel, ui::Icon::Information);
        else
            recordComplaintUpdate(number);
        m_db.close();
        // A wire fault takes the subscriber's offline records with it, whether
        // or not the update text was given.
        const QString category = m_ui->Combo2->currentText();
        if (category == QLatin1String("WIRE DOWN"))
            markOfflineRecords(m_db.settings(), category, m_ui->Text15->text());
    });
}

// The history shows the new entry only once it is stored, so a retry after a
// failure does not add it twice.
void ComplaintRegisterForm::recordComplaintUpdate(const QString& number) {
    const QDateTime now = m_app.clock.now();
    const QString history =
        m_ui->Label7->text() +
        updateEntry(core::formats::shortDateTime(now), signedInUser(), m_ui->Text10->toPlainText());
    QString issueTime;
    bool found = false;
    for (auto row = m_db.query(QStringLiteral("SELECT * FROM COMPLAIN WHERE ID=?"),
                               {db::rowNumber(number)});
         !row.atEnd(); row.next()) {
        issueTime = row.trimmed(3);
        found = true;
    }
    const HistoryWrite written =
        found ? recordUpdate(m_db, number, lookedUpHistory(number), hoursOrFail(issueTime, now),
                             history, m_ui->Combo2->currentText())
              : HistoryWrite::Gone;
    if (written != HistoryWrite::Written)
        return tellMissedWrite(written, number);
    m_ui->Label7->setText(history);
    rememberStored(number, history);
    m_app.dialogs.message(QStringLiteral("COMPLAINT UPDATED"), zelCrm, ui::Icon::Information);
}

void ComplaintRegisterForm::closeComplaint() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        const QString number = m_ui->Text6->text();
        // Asked first, so a workstation without the portal's address closes
        // nothing it could not announce.
        const QString portal = m_app.config.required(QStringLiteral("services/portal_server"));
        m_db.open();
        const bool closed = closeShownComplaint(number);
        m_db.close();
        if (!closed)
            return;
        sendClosingNotice(closingNoticeUrl(portal, m_ui->Text9->text(), number),
                          m_app.config.waitLimitSeconds());
        m_app.dialogs.message(QStringLiteral("CLOSED SUCCESSFULLY"), zel, ui::Icon::Information);
        m_ui->Command2->setEnabled(false);
        m_ui->Command3->setEnabled(false);
        m_ui->Text3->setFocus();
    });
}

bool ComplaintRegisterForm::closeShownComplaint(const QString& number) {
    const QDateTime now = m_app.clock.now();
    const auto row =
        m_db.query(QStringLiteral("select * from complain where id=?"), {db::rowNumber(number)});
    if (row.atEnd()) {
        tellMissedWrite(HistoryWrite::Gone, number);
        return false;
    }
    const QString issueTime = row.trimmed(3);
    const QString user = signedInUser();
    if (user.isEmpty()) {
        m_app.dialogs.message(
            QStringLiteral("YOU ARE NOT LOGIN PLEASE CLOSE WINDO AND LOGIN AGAIN"), zel,
            ui::Icon::Information);
        return false;
    }
    Closing closing;
    closing.time = core::formats::shortDateTime(now);
    closing.history = m_ui->Label7->text() + closingEntry(closing.time, user);
    closing.hours = hoursOrFail(issueTime, now);
    closing.user = user;
    closing.category = m_ui->Combo2->currentText();
    const HistoryWrite written = recordClosing(m_db, number, lookedUpHistory(number), closing);
    if (written != HistoryWrite::Written) {
        tellMissedWrite(written, number);
        return false;
    }
    // The label keeps the history it showed; the closing entry is stored.
    rememberStored(number, closing.history);
    return true;
}

// --- the guard on the stored history ------------------------------------------------

QString ComplaintRegisterForm::lookedUpHistory(const QString& number) const {
    return number.trimmed() == m_lookedUpNumber ? m_lookedUpHistory : QString();
}

void ComplaintRegisterForm::rememberStored(const QString& number, const QString& history) {
    m_lookedUpNumber = number.trimmed();
    m_lookedUpHistory = history;
}

// Another desk's entry is never written over: the operator sees the
// complaint as stored now, and the update they typed stays in its box to
// submit again.
void ComplaintRegisterForm::tellMissedWrite(HistoryWrite written, const QString& number) {
    if (written == HistoryWrite::Gone) {
        m_app.dialogs.message(QStringLiteral("COMPLAINT %1 NOT FOUND").arg(number), zelCrm,
                              ui::Icon::Information);
        return;
    }
    m_app.dialogs.message(
        QStringLiteral("COMPLAINT %1 WAS CHANGED ON ANOTHER DESK: LOOKED UP AGAIN").arg(number),
        zelCrm, ui::Icon::Exclamation);
    lookUpComplaint();
}

} // namespace complaints
