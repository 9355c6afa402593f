#pragma once

#include "core/app_context.h"
#include "db/screen_db.h"
#include "faults/fault_rules.h"
#include "faults/fault_tickets.h"

#include <QWidget>
#include <memory>
#include <optional>

namespace Ui {
class SiteFaultForm;
}

namespace integrations {
struct Mail;
}

namespace ui {
class WaitingAction;
}

namespace faults {

class NoticeChannels;

// The NOC's desk for faults on access sites: narrows circle, SSA, site and
// equipment, shows the site's state and the open tickets, and opens, looks
// up, updates and closes tickets, telling the responsible people on SMS,
// WhatsApp and mail.
class SiteFaultForm : public QWidget {
    Q_OBJECT
public:
    explicit SiteFaultForm(core::AppContext& app, QWidget* parent = nullptr);
    ~SiteFaultForm() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load();
    void chooseCircle();
    void chooseSsa();
    void chooseSite();
    void showSiteDetails();
    void lookUpTicket();
    void showCircleContacts();
    void showSsaContacts();
    void showEquipment();

    void showOpenTickets();
    void showTickets(const QString& sql, const db::Params& params);
    void showCount();
    void colourSiteState();
    QString history() const;
    void setHistory(const QString& text);
    QString workstationUser();
    // The FT box's number, blanks around it dropped.
    QString ftNumber() const;

    // The ticket actions (site_fault_tickets.cpp).
    void openFault();
    void updateFault();
    void closeFault();
    void closeTicket(const QString& ftNumber, const QString& resolution);
    void tellNotFound(const QString& ftNumber);
    void tellMissedWrite(HistoryWrite written, const QString& ftNumber);
    void showWrittenHistory(const QString& ftNumber, const QString& text);
    // The history as stored when this ticket was last looked up or written
    // here; empty for another ticket.
    QString lookedUpHistory(const QString& ftNumber) const;
    bool allSelectionsFilled() const;
    ContactsRead contactsOf(const QString& ssa, const QString& circle, bool remindVuva);
    void tellContactsUnread(const QString& problem);
    // False when the screen went away meanwhile.
    bool announceNewTicket(const ui::WaitingAction& wait, const NoticeChannels& channels,
                           const FaultContacts& contacts, const QString& ftNumber,
                           const QString& openingTime);
    void announceUpdate(const ui::WaitingAction& wait, const NoticeChannels& channels,
                        const FaultContacts& contacts, const Ticket& ticket,
                        const QString& ftNumber, const QString& updateText, qint64 downTime);
    // Sends in order; false when the screen went away meanwhile. Failures
    // are added to `failures` as lines for the operator.
    bool deliver(const ui::WaitingAction& wait, const NoticeChannels& channels,
                 const QList<Notice>& notices, QStringList& failures);
    void reportUnsent(const QStringList& failures);
    void setTicketButtonsEnabled(bool enabled);

    core::AppContext& m_app;
    std::unique_ptr<Ui::SiteFaultForm> m_ui;
    db::ScreenDb m_db;
    // The trimmed LIVE text last read; it decides the colour of Label3.
    QString m_siteState;
    // The ticket last looked up or written here, and its history as stored.
    QString m_lookedUpNumber;
    QString m_lookedUpHistory;
};

} // namespace faults
