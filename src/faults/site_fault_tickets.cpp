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

// The contacts are read afresh for every notice round.
ContactsRead SiteFaultForm::contactsOf(const QString& ssa, const QString& circle, bool remindVuva) {
    ContactsRead read = tryReadContacts(m_db, ssa, circle);
    if (!remindVuva)
        read.contacts.dropVuva();
    return read;
}

// Nobody was told: without the contacts even the mail would reach only the
// fixed Cc list, and the operator must know to pass the word on.
void SiteFaultForm::tellContactsUnread(const QString& problem) {
    m_app.dialogs.message(QStringLiteral("NOTICES NOT SENT: contacts could not be read: ") +
                              problem,
                          nocTitle, ui::Icon::Exclamation);
}

void SiteFaultForm::tellNotFound(const QString& ftNumber) {
    m_app.dialogs.message(QStringLiteral("FT ") + ftNumber + QStringLiteral(" NOT FOUND"), nocTitle,
                          ui::Icon::Exclamation);
}

// Another desk's entry is never written over: the operator sees the history
// as stored now, and the entry they were adding stays in its box to submit
// again.
void SiteFaultForm::tellMissedWrite(HistoryWrite written, const QString& ftNumber) {
    if (written == HistoryWrite::Gone)
        return tellNotFound(ftNumber);
    m_app.dialogs.message(QStringLiteral("FT ") + ftNumber +
                              QStringLiteral(" WAS CHANGED ON ANOTHER DESK: LOOKED UP AGAIN"),
                          nocTitle, ui::Icon::Exclamation);
    lookUpTicket();
}

// Only a stored entry shows: a retry after a failure must not add it twice.
// The text written is the one the next write of this ticket must find.
void SiteFaultForm::showWrittenHistory(const QString& ftNumber, const QString& text) {
    setHistory(text);
    m_lookedUpNumber = ftNumber;
    m_lookedUpHistory = text;
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
    ContactsRead contacts;
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
        contacts = contactsOf(ticket.ssa, ticket.circle, remind);
        m_db.close();
    });
    if (!stored)
        return;
    if (opened && !contacts.problem.isEmpty())
        tellContactsUnread(contacts.problem);
    else if (opened && !announceNewTicket(wait, channels, contacts.contacts, ftNumber, openingTime))
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
    const integrations::MailResult mailResult = channels.send(mail);
    if (wait.screenGone())
        return false;
    if (!mailResult.ok())
        m_app.dialogs.message(QStringLiteral("FAULT MAIL NOT SENT: ") + mailResult.error, nocTitle,
                              ui::Icon::Exclamation);
    QStringList failures = refusalLines(mailResult.refused);
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
// them all at the end. The notices are about the ticket as stored, whatever
// the lists have been turned to since its lookup.
void SiteFaultForm::updateFault() {
    const ui::WaitingAction wait(this);
    const NoticeChannels channels = NoticeChannels::fromConfig(m_app.config);
    std::optional<Ticket> ticket;
    ContactsRead contacts;
    qint64 downTime = 0;
    const QString ftNumber = this->ftNumber();
    const QString updateText = m_ui->Text2->text();
    bool stored = false;
    ui::stopOnError(m_app.dialogs, &m_db, [&] {
        m_db.open();
        ticket = findTicket(m_db, ftNumber);
        const auto notFound = [&] {
            m_db.close();
            tellNotFound(ftNumber);
        };
        if (!ticket)
            return notFound();
        const QDateTime now = m_app.clock.now();
        if (const auto issued = core::formats::parseDateTime(ticket->issueTime))
            downTime = core::formats::hourBoundaries(*issued, now);
        const QString text = withUpdateEntry(history(), core::formats::usDateTime(now),
                                             workstationUser(), updateText);
        // Gone or changed since the lookup (another desk, an administrator):
        // nobody hears of an update that was not stored.
        const HistoryWrite written =
            recordUpdate(m_db, ftNumber, lookedUpHistory(ftNumber), text, downTime);
        if (written != HistoryWrite::Written) {
            m_db.close();
            return tellMissedWrite(written, ftNumber);
        }
        showWrittenHistory(ftNumber, text);
        stored = true;
        const bool remind =
            m_app.dialogs.askYesNo(QStringLiteral("SEND REMINDER TO VUVA"), nocTitle);
        contacts = contactsOf(ticket->ssa, ticket->circle, remind);
        m_db.close();
    });
    if (!stored)
        return;
    if (!contacts.problem.isEmpty())
        return tellContactsUnread(contacts.problem);
    announceUpdate(wait, channels, contacts.contacts, *ticket, ftNumber, updateText, downTime);
}

void SiteFaultForm::announceUpdate(const ui::WaitingAction& wait, const NoticeChannels& channels,
                                   const FaultContacts& contacts, const Ticket& ticket,
                                   const QString& ftNumber, const QString& updateText,
                                   qint64 downTime) {
    setTicketButtonsEnabled(false);
    const QString message = updateMessage(ticket.ssa, ticket.site, updateText);
    QStringList failures;
    if (!deliver(wait, channels, phoneNotices(contacts, message, message), failures))
        return;
    const integrations::Mail mail{faultMailTo(contacts), faultMailCc(contacts, channels.updateCc()),
                                  updateSubject({ticket.circle, ticket.ssa, ticket.site, ftNumber}),
                                  updateBody(ftNumber, updateText, downTime, channels.nocPhones())};
    const integrations::MailResult mailResult = channels.send(mail);
    if (wait.screenGone())
        return;
    if (!mailResult.ok())
        failures << channelName(Channel::Mail) + QStringLiteral(": ") + mailResult.error;
    failures << refusalLines(mailResult.refused);
    setTicketButtonsEnabled(true);
    reportUnsent(failures);
}

// --- close -----------------------------------------------------------------

// A number that names no ticket is said so before anything is asked; the
// history box is left as it was.
void SiteFaultForm::closeFault() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        const QString ftNumber = this->ftNumber();
        const QString resolution = m_ui->Text2->text();
        if (ftNumber.isEmpty() || resolution.isEmpty())
            m_app.dialogs.message(QStringLiteral("PLEASE ENTER FT NUMBER AND RESOLUTION"), nocTitle,
                                  ui::Icon::Information);
        else if (!findTicket(m_db, ftNumber))
            tellNotFound(ftNumber);
        else if (m_app.dialogs.askYesNo(QStringLiteral("ARE YOU SURE TO CLOSE"), nocTitle))
            closeTicket(ftNumber, resolution);
        showOpenTickets();
        m_db.close();
        showCount();
    });
}

void SiteFaultForm::closeTicket(const QString& ftNumber, const QString& resolution) {
    const QDateTime now = m_app.clock.now();
    const QString text =
        withClosingEntry(history(), core::formats::usDateTime(now), workstationUser(), resolution);
    const HistoryWrite written = recordClosing(m_db, ftNumber, lookedUpHistory(ftNumber), text,
                                               core::formats::shortDateTime(now));
    if (written != HistoryWrite::Written)
        return tellMissedWrite(written, ftNumber);
    showWrittenHistory(ftNumber, text);
}

} // namespace faults
