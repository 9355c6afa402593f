// The configured connection text turned into an ODBC connection string: no
// value, however odd, may end its key early and smuggle in another key.
#include "db/db_settings.h"
#include "fuzz_input.h"

#include <QHash>

namespace {

// Reads "key=value;key={va;}}lue};..." as an ODBC driver manager does.
// Returns false when the string does not read cleanly.
bool readOdbc(const QString& s, QHash<QString, QString>& keys) {
    qsizetype i = 0;
    while (i < s.size()) {
        const qsizetype eq = s.indexOf(QLatin1Char('='), i);
        if (eq < 0)
            return false;
        const QString key = s.mid(i, eq - i).toUpper();
        QString value;
        i = eq + 1;
        if (i < s.size() && s.at(i) == QLatin1Char('{')) {
            for (++i;; ++i) {
                if (i >= s.size())
                    return false;
                if (s.at(i) == QLatin1Char('}')) {
                    if (i + 1 < s.size() && s.at(i + 1) == QLatin1Char('}')) {
                        value += QLatin1Char('}');
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += s.at(i);
            }
            if (i < s.size() && s.at(i) != QLatin1Char(';'))
                return false;
        } else {
            const qsizetype end = s.indexOf(QLatin1Char(';'), i);
            value = s.mid(i, end < 0 ? -1 : end - i);
            i = end < 0 ? s.size() : end;
        }
        if (keys.contains(key))
            return false;
        keys.insert(key, value);
        ++i; // the ';'
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const bool encrypt = in.ConsumeBool();
    const QString server = fuzz::text(in, 128);
    const QString driver = fuzz::text(in, 64);
    const QString provider = fuzz::rest(in);
    const QString out = db::odbcConnectionString(provider, server, driver, encrypt);
    QHash<QString, QString> keys;
    fuzz::require(readOdbc(out, keys), "reads back", out);
    static const QStringList known{QStringLiteral("DRIVER"),        QStringLiteral("SERVER"),
                                   QStringLiteral("PORT"),          QStringLiteral("DATABASE"),
                                   QStringLiteral("UID"),           QStringLiteral("PWD"),
                                   QStringLiteral("PACKET SIZE"),   QStringLiteral("TDS_VERSION"),
                                   QStringLiteral("CLIENTCHARSET"), QStringLiteral("ENCRYPTION"),
                                   QStringLiteral("AUTOTRANSLATE"), QStringLiteral("ENCRYPT")};
    for (auto it = keys.cbegin(); it != keys.cend(); ++it)
        fuzz::require(known.contains(it.key()), "known keys only", out);
    fuzz::require(keys.value(QStringLiteral("DRIVER")) == driver, "driver kept", out);
    return 0;
}
