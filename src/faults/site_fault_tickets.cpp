// The ticket actions of the site fault screen: opening, updating and closing
// a ticket, and the notices that tell the responsible people.

#include "core/clock.h"
#include "core/text_formats.h"
#include "faults/fault_notices.h"
#include "faults/fault_tickets.h"
#include "faults/site_fault_form.h"
#include "ui/action_policy.h"
#include "ui/dialogs.h"
#include "ui/query_grid.h"
#include "ui/waiting_action.h"
#include "ui_site_fault_form.h"

namespace faults {

namespace {

const QString nocTitle = QStringLiteral("ZEL NOC");
const QString vuvaTitle = QStringLiteral("VUVA");

} // namespace

bool SiteFaultForm::allSelectionsFilled() const {
    for (const QComboBox* box :
         {m_ui->Combo1, m_ui->Combo2, m_ui->Combo3, m_ui->Combo4, m_ui->Combo5})
        if (box->currentText().isEmpty())
            return false;
    return true;
}

// The contacts are read afresh; one that cannot be read is left empty and so
// gets nothing, as the rest of the action goes on.
FaultContacts SiteFaultForm::contactsOfSelection(bool remindVuva) {
    FaultContacts contacts;
    ui::ContinueOnError steps;
    steps.step([&] {
        contacts = readContacts(m_db, m_ui->Combo2->currentText(), m_ui->Combo1->currentText());
    });
    if (!remindVuva)
        contacts.dropVuva();
    return contacts;
}

void SiteFaultForm::setTicketButtonsEnabled(bool enabled) {
    for (QPushButton* button : {m_ui->Command1, m_ui->Command2, m_ui->Command4})
        button->setEnabled(enabled);
}

bool SiteFaultForm::deliver(const ui::WaitingAction& wait, const NoticeChannels& channels,
                            const QList<Notice>& notices, QStringList& failures) {
    QList<Channel> unusable;
    for (const Notice& notice : notices) {
        // A channel that is not set up is named once, not once per person.
        if (const QString problem = channels.problem(notice.channel); !problem.isEmpty()) {
            if (!unusable.contains(notice.channel))
                failures << channelName(notice.channel) + QStringLiteral(": ") + problem;
            unusable << notice.channel;
            continue;
        }
        const QString error = channels.send(notice);
        if (wait.screenGone())
            return false;
        if (!error.isEmpty())
            failures << failureLine(notice, error);
    }
    return true;
}

void SiteFaultForm::reportUnsent(const QStringList& failures) {
    if (!failures.isEmpty())
        m_app.dialogs.message(unsentNoticesMessage(failures), nocTitle, ui::Icon::Exclamation);
}

// --- open ------------------------------------------------------------------

void SiteFaultForm::openFault() {
    const ui::WaitingAction wait(this);
    const NoticeChannels channels = NoticeChannels::fromConfig(m_app.config);
    bool opened = false;
    FaultContacts contacts;
    QString ftNumber;
    QString openingTime;
    const bool stored = ui::stopOnError(m_app.dialogs, &m_db, [&] {
        m_db.open();
        if (!allSelectionsFilled()) {
            m_app.dialogs.message(QStringLiteral("PLEASE FILL ALL THE DATA"), vuvaTitle,
                                  ui::Icon::Information);
            m_db.close();
            return;
        }
        openingTime = core::formats::shortDateTime(m_app.clock.now());
        NewTicket ticket{m_ui->Combo1->currentText(),
                         m_ui->Combo2->currentText(),
                         m_ui->Combo3->currentText(),
                         {},
                         openingTime,
                         tunnelIdOf(m_ui->Label3->text()),
                         m_ui->Label10->text()};
        ticket.history = openingEntry(openingTime, workstationUser(), m_ui->Combo5->currentText());
        ftNumber = openTicket(m_db, ticket);
        opened = true;
        m_app.dialogs.message(QStringLiteral("Fault Submitted Successfully with FT No") + ftNumber,
                              vuvaTitle, ui::Icon::Information);
        const bool remind =
            m_app.dialogs.askYesNo(QStringLiteral("SEND REMINDER TO VUVA"), nocTitle);
        contacts = contactsOfSelection(remind);
        m_db.close();
    });
    if (!stored)
        return;
    if (opened && !announceNewTicket(wait, channels, contacts, ftNumber, openingTime))
        return;
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        showOpenTickets();
        showCount();
        m_db.close();
    });
}

// The mail first, then SMS and WhatsApp to the same people an update reaches.
// The buttons stay off meanwhile, so one click cannot announce twice.
bool SiteFaultForm::announceNewTicket(const ui::WaitingAction& wait, const NoticeChannels& channels,
                                      const FaultContacts& contacts, const QString& ftNumber,
                                      const QString& openingTime) {
    setTicketButtonsEnabled(false);
    const QString ssa = m_ui->Combo2->currentText();
    const QString site = m_ui->Combo3->currentText();
    const QString kind = m_ui->Combo5->currentText();
    const integrations::Mail mail{
        faultMailTo(contacts), faultMailCc(contacts, channels.openCc()),
        newFaultSubject({m_ui->Combo1->currentText(), ssa, site, ftNumber}),
        newFaultBody(ftNumber, kind, openingTime, m_ui->Label10->text(), channels.nocPhones())};
    const QList<Notice> phones =
        phoneNotices(contacts, newFaultSms(ssa, site, kind), newFaultWhatsApp(ssa, site, kind));
    const QString mailError = channels.send(mail);
    if (wait.screenGone())
        return false;
    if (!mailError.isEmpty())
        m_app.dialogs.message(QStringLiteral("FAULT MAIL NOT SENT: ") + mailError, nocTitle,
                              ui::Icon::Exclamation);
    QStringList failures;
    if (!deliver(wait, channels, phones, failures))
        return false;
    setTicketButtonsEnabled(true);
    reportUnsent(failures);
    return true;
}

// --- update ----------------------------------------------------------------

// A ticket that is not there, or a history that could not be stored, ends
// the update before anyone is told of a change that did not happen. Past
// that point a notice that cannot go is skipped, and the operator hears of
// them all at the end.
void SiteFaultForm::updateFault() {
    const ui::WaitingAction wait(this);
    const NoticeChannels channels = NoticeChannels::fromConfig(m_app.config);
    FaultContacts contacts;
    qint64 downTime = 0;
    const QString ftNumber = m_ui->Text1->text();
    const QString updateText = m_ui->Text2->text();
    bool stored = false;
    ui::stopOnError(m_app.dialogs, &m_db, [&] {
        m_db.open();
        const auto ticket = findTicket(m_db, ftNumber);
        const auto notFound = [&] {
            m_db.close();
            m_app.dialogs.message(QStringLiteral("FT ") + ftNumber + QStringLiteral(" NOT FOUND"),
                                  nocTitle, ui::Icon::Exclamation);
        };
        if (!ticket)
            return notFound();
        const QDateTime now = m_app.clock.now();
        if (const auto issued = core::formats::parseDateTime(ticket->issueTime))
            downTime = core::formats::hourBoundaries(*issued, now);
        const QString text = withUpdateEntry(history(), core::formats::usDateTime(now),
                                             workstationUser(), updateText);
        setHistory(text);
        // Gone since the lookup (another desk, an administrator): nobody hears
        // of an update that was not stored.
        if (recordUpdate(m_db, ftNumber, text, downTime) == 0)
            return notFound();
        stored = true;
        const bool remind =
            m_app.dialogs.askYesNo(QStringLiteral("SEND REMINDER TO VUVA"), nocTitle);
        contacts = contactsOfSelection(remind);
        m_db.close();
    });
    if (!stored)
        return;
    setTicketButtonsEnabled(false);
    const QString circle = m_ui->Combo1->currentText();
    const QString ssa = m_ui->Combo2->currentText();
    const QString site = m_ui->Combo3->currentText();
    const QString message = updateMessage(ssa, site, updateText);
    QStringList failures;
    if (!deliver(wait, channels, phoneNotices(contacts, message, message), failures))
        return;
    const integrations::Mail mail{faultMailTo(contacts), faultMailCc(contacts, channels.updateCc()),
                                  updateSubject({circle, ssa, site, ftNumber}),
                                  updateBody(ftNumber, updateText, downTime, channels.nocPhones())};
    const QString mailError = channels.send(mail);
    if (wait.screenGone())
        return;
    if (!mailError.isEmpty())
        failures << channelName(Channel::Mail) + QStringLiteral(": ") + mailError;
    setTicketButtonsEnabled(true);
    reportUnsent(failures);
}

// --- close -----------------------------------------------------------------

void SiteFaultForm::closeFault() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        const QString ftNumber = m_ui->Text1->text();
        const QString resolution = m_ui->Text2->text();
        if (ftNumber.isEmpty() || resolution.isEmpty()) {
            m_app.dialogs.message(QStringLiteral("PLEASE ENTER FT NUMBER AND RESOLUTION"), nocTitle,
                                  ui::Icon::Information);
        } else if (m_app.dialogs.askYesNo(QStringLiteral("ARE YOU SURE TO CLOSE"), nocTitle)) {
            const QDateTime now = m_app.clock.now();
            const QString text = withClosingEntry(history(), core::formats::usDateTime(now),
                                                  workstationUser(), resolution);
            setHistory(text);
            recordClosing(m_db, ftNumber, text, core::formats::shortDateTime(now));
        }
        showOpenTickets();
        m_db.close();
        showCount();
    });
}

} // namespace faults
