#pragma once

#include <QString>

namespace db {
class ScreenDb;
}

// The database side of correcting a subscriber's record from the complaint
// register. Each runs on the screen's open connection.
namespace complaints {

// The subscriber fields the register lets the operator correct.
struct SubscriberEdit {
    QString id;
    QString ap;
    QString name;
    QString mobile; // digits only: the record takes it as a number
    QString address;
    QString cba;
    QString email;
    QString paid;
};

// False when no subscriber has the id.
bool saveSubscriber(db::ScreenDb& db, const SubscriberEdit& edit);

// A voice IP goes to one subscriber only. The check and the write share one
// write-locked transaction, so two workstations cannot both find the address
// free and both take it.
struct VoiceIpAssignment {
    QString holder; // who holds the address already; empty when it was free
    bool stored = false;
};
VoiceIpAssignment assignVoiceIp(db::ScreenDb& db, const QString& voiceIp, const QString& id);

// False when no subscriber has the id.
bool storeAp(db::ScreenDb& db, const QString& ap, const QString& id);

} // namespace complaints
