#include "complaints/subscriber_maintenance.h"

#include "db/screen_db.h"

namespace complaints {

bool saveSubscriber(db::ScreenDb& db, const SubscriberEdit& e) {
    return db.execute(QStringLiteral("update cdata set AP=?,name=?,Mobile=?,Address=?,CBA=?,"
                                     "EMAIL=?,PAID=? where id=?"),
                      {db::text(e.ap), db::text(e.name), db::number(e.mobile), db::text(e.address),
                       db::text(e.cba), db::text(e.email), db::text(e.paid), db::text(e.id)}) > 0;
}

VoiceIpAssignment assignVoiceIp(db::ScreenDb& db, const QString& voiceIp, const QString& id) {
    VoiceIpAssignment result;
    db.begin(true);
    try {
        db.claim(db::Claim::VoiceIp, voiceIp);
        for (auto row =
                 db.query(QStringLiteral("SELECT ID FROM CDATA WHERE OTC=?"), {db::text(voiceIp)});
             !row.atEnd(); row.next())
            result.holder = row.field(QStringLiteral("ID"));
        if (result.holder.isEmpty())
            result.stored = db.execute(QStringLiteral("update cdata set  OTC=? where id=?"),
                                       {db::text(voiceIp), db::text(id)}) > 0;
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
    return result;
}

bool storeAp(db::ScreenDb& db, const QString& ap, const QString& id) {
    return db.execute(QStringLiteral("update cdata set ap=? WHERE ID=?"),
                      {db::text(ap), db::text(id)}) > 0;
}

} // namespace complaints
