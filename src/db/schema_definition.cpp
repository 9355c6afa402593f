#include "db/schema_definition.h"

#include <QRegularExpression>

namespace db::schema {

// The one definition every backend's schema script is made from
// (db::schemaScript). Notes become the scripts' comments.
const std::vector<Table>& tables() {
    using enum Kind;
    static const std::vector<Table> all = {
        {.name = "CRM",
         .note = "Operator accounts and the workstation each is signed in at. Name at 0,\n"
                 "PASSWORD at 3 and MAC at 5 are read by position.",
         .columns = {{"NAME", Text},
                     {"CRM_ID", Text},
                     {"STATUS", Text},
                     {"PASSWORD", Text},
                     {"crm_ip", Text},
                     {"MAC", Text}},
         .indexes =
             {
                 {.name = "ix_crm_crm_id", .columns = {"CRM_ID"}},
                 {.name = "ix_crm_mac", .columns = {"MAC"}},
             }},
        {.name = "cdata",
         .note = "Subscribers. Registration inserts exactly 30 values without a column list,\n"
                 "so the table has exactly these 30 columns in this order.",
         .columns = {{"ID", Text},
                     {"name", Text},
                     {"ssa", Text},
                     {"Mobile", Text},
                     {"Address", LongText},
                     {"circle", Text},
                     {"REG_DATE", Text},
                     {"CBA", Text},
                     {"PAID", Text},
                     {"nas_ip", Text},
                     {"CPE TYPE", Text},
                     {"OTC", Text},
                     {"BA", Text},
                     {"indicator", Text},
                     {"status", Text},
                     {"policy", Text},
                     {"PHONE", Text},
                     {"LDAP_CHECK", Text},
                     {"EMAIL", Text},
                     {"PORT", Text},
                     {"SPARE1", Text},
                     {"SPARE2", Text},
                     {"REMARK", Text},
                     {"SPARE3", Text},
                     {"SERVICE", Text},
                     {"SPARE4", Text},
                     {"AP", Text},
                     {"TELEPHONE", Text},
                     {"ACTIVATION_DATE", Text},
                     {"CLUSTER", Text}},
         .indexes =
             {
                 {.name = "ix_cdata_id",
                  .columns = {"ID"},
                  .note =
                      "The subscriber search matches any of id, indicator, BA and mobile; each\n"
                      "needs its own index for the OR to be answered from indexes."},
                 {.name = "ix_cdata_id_prefix",
                  .columns = {"ID"},
                  .note = "The registration's check for ids that begin with the new one.",
                  .prefixSearch = true},
                 {.name = "ix_cdata_indicator", .columns = {"indicator"}},
                 {.name = "ix_cdata_ba", .columns = {"BA"}},
                 {.name = "ix_cdata_mobile", .columns = {"Mobile"}},
                 {.name = "ix_cdata_otc",
                  .columns = {"OTC"},
                  .note = "Who already holds a voice IP."},
                 {.name = "ix_cdata_circle_ssa_service",
                  .columns = {"circle", "ssa", "SERVICE"},
                  .note = "The user status counts per circle, SSA and service."},
             }},
        {.name = "complain",
         .note = "Customer complaints; the screens read positions 0 to 17.",
         .columns = {{"id", Identity},
                     {"name", Text},
                     {"mobile", Text},
                     {"issue date", DateTime},
                     {"description", History},
                     {"status", Text},
                     {"close date", DateTime},
                     {"ssa", Text},
                     {"fe", Text},
                     {"fe mob", Text},
                     {"pending", Integer},
                     {"address", LongText},
                     {"user id", Text},
                     {"circle", Text},
                     {"ap", Text},
                     {"ne", Text},
                     {"cat", Text},
                     {"srv", Text}},
         .indexes =
             {
                 {.name = "ix_complain_user_id", .columns = {"user id"}},
                 {.name = "ix_complain_status_pending",
                  .columns = {"status", "pending"},
                  .note = "The open-complaint board filters on status and sorts on pending."},
                 {.name = "ix_complain_issue_date", .columns = {"issue date"}},
                 {.name = "ix_complain_close_date", .columns = {"close date"}},
                 {.name = "ix_complain_open_issue_date",
                  .columns = {"issue date"},
                  .where = "status <> 'CLOSED'",
                  .note = "The report's carried-forward count reads only complaints still open."},
             }},
        {.name = "OLT",
         .note = "Inner VLAN pool: one row per outer/inner VLAN pair; ID 'NA' is free.",
         .columns = {{"circle", Text},
                     {"SSA", Text},
                     {"SITE", Text},
                     {"SERVICE", Text},
                     {"OUT_VLAN", Text},
                     {"IN_VLAN", Text},
                     {"ID", Text},
                     {"MAC", Text},
                     {"SN", Text}},
         .indexes =
             {
                 {.name = "ix_olt_id", .columns = {"ID"}},
                 {.name = "ix_olt_site_id",
                  .columns = {"SITE", "ID"},
                  .note = "The free pairs of a site."},
                 {.name = "ix_olt_circle_ssa_service", .columns = {"circle", "SSA", "SERVICE"}},
             }},
        {.name = "VOIP",
         .note = "Voice IP pool; ID 'NA' is free.",
         .columns =
             {{"CIRCLE", Text}, {"SERVICE", Text}, {"BNG", Text}, {"IP", Text}, {"ID", Text}},
         .indexes =
             {
                 {.name = "ix_voip_id", .columns = {"ID"}},
                 {.name = "ix_voip_ip", .columns = {"IP"}},
                 {.name = "ix_voip_service_bng_id", .columns = {"SERVICE", "BNG", "ID"}},
                 {.name = "ix_voip_circle_service", .columns = {"CIRCLE", "SERVICE"}},
             }},
        {.name = "af_site",
         .note = "Sites of the access network.",
         .columns = {{"circle", Text},
                     {"ssa", Text},
                     {"site", Text},
                     {"status", Text},
                     {"SERVICE", Text},
                     {"ip", Text},
                     {"VLAN", Text},
                     {"user", Text},
                     {"LIVE", Text}},
         .indexes =
             {
                 {.name = "ix_af_site_site", .columns = {"site"}},
                 {.name = "ix_af_site_circle_ssa", .columns = {"circle", "ssa"}},
             }},
        {.name = "fe",
         .note = "Field engineers.",
         .columns =
             {{"circle", Text}, {"ssa", Text}, {"CLUSTER", Text}, {"name", Text}, {"mobile", Text}},
         .indexes =
             {
                 {.name = "ix_fe_circle_ssa", .columns = {"circle", "ssa"}},
                 {.name = "ix_fe_circle_cluster",
                  .columns = {"circle", "CLUSTER"},
                  .note = "The complaint screens look engineers up by the cluster they serve."},
                 {.name = "ix_fe_mobile", .columns = {"mobile"}},
             }},
        {.name = "circle",
         .note = "Circles and their contacts, read by position 0 to 6.",
         .columns = {{"circle", Text},
                     {"CBH", Text},
                     {"CBHM", Text},
                     {"EMAIL", Text},
                     {"CGM", Text},
                     {"CGM_MOBILE", Text},
                     {"CGM_EMAIL", Text}},
         .indexes =
             {
                 {.name = "ix_circle_circle", .columns = {"circle"}},
             }},
        {.name = "ssa",
         .note = "SSAs and their contacts; the contacts are read by position 2 to 9.",
         .columns = {{"circle", Text},
                     {"SSA", Text},
                     {"FE", Text},
                     {"FE_MOBILE", Text},
                     {"SDE_BB_MOBILE", Text},
                     {"SDE_BB_EMAIL", Text},
                     {"SDE_TX_MOBILE", Text},
                     {"SDE_TX_EMAIL", Text},
                     {"GM_MOBILE", Text},
                     {"GM_EMAIL", Text}},
         .indexes =
             {
                 {.name = "ix_ssa_circle", .columns = {"circle"}},
                 {.name = "ix_ssa_ssa", .columns = {"SSA"}},
             }},
        {.name = "NGN",
         .note = "Voice (NGN) providers per circle.",
         .columns =
             {{"ngn_provider", Text}, {"circle", Text}, {"sip_domain", Text}, {"voip_vlan", Text}},
         .indexes =
             {
                 {.name = "ix_ngn_provider_circle", .columns = {"ngn_provider", "circle"}},
             }},
        {.name = "BTS_FAULT",
         .note = "Site fault tickets, read by position 0 to 10. The ticket times are kept as\n"
                 "the screen writes them; the close date holds the placeholder '4/4/1970'\n"
                 "while a ticket is open, which is no date-time.",
         .columns = {{"fault id", Identity},
                     {"CIRCLE", Text},
                     {"SSA", Text},
                     {"SITE NAME", Text},
                     {"FAULT", History},
                     {"ISSUE DATE", Text},
                     {"CLOSE DATE", Text},
                     {"DOWN TIME", Text},
                     {"STATUS", Text},
                     {"ID", Text},
                     {"USER", Text}},
         .indexes =
             {
                 {.name = "ix_bts_fault_status", .columns = {"STATUS"}},
                 {.name = "ix_bts_fault_circle", .columns = {"CIRCLE"}},
                 {.name = "ix_bts_fault_ssa", .columns = {"SSA"}},
             }},
        {.name = "olt_status",
         .note = "Outages of OLTs and APs, written by the monitoring system. The SLA board\n"
                 "shows them in this column order. fault_id is a number so the newest-first\n"
                 "lists sort 10 above 9.",
         .columns = {{"fault_id", Integer},
                     {"circle", Text},
                     {"SSA", Text},
                     {"SITE_NAME", Text},
                     {"equipment", Text},
                     {"down_time", DateTime},
                     {"up_time", DateTime},
                     {"TOTAL_TIME_DOWN", Text},
                     {"rfo", Text},
                     {"on_the_part_of", Text},
                     {"status", Text},
                     {"IP", Text}},
         .indexes =
             {
                 {.name = "ix_olt_status_status_fault_id", .columns = {"status", "fault_id"}},
                 {.name = "ix_olt_status_fault_id", .columns = {"fault_id"}},
                 {.name = "ix_olt_status_down_time", .columns = {"down_time"}},
             }},
        {
            .name = "AP_RFO",
            .note = "Reasons for outage.",
            .columns = {{"RFO", Text}},
        },
        {.name = "bts",
         .note = "Site equipment, one row per tunnel id; SITE_NAME 'NA' is a free slot. The\n"
                 "equipment screen reads positions 1 to 14.",
         .columns = {{"ID", Text},
                     {"CIRCLE", Text},
                     {"SSA", Text},
                     {"SSID", Text},
                     {"BNG", Text},
                     {"IP", Text},
                     {"SITE_NAME", Text},
                     {"EQUIPMENT_TYPE", Text},
                     {"STATUS", Text},
                     {"VUVA_EQ", Text},
                     {"VUVA_IP", Text},
                     {"VUVA_PORT", Text},
                     {"VUVA_PORT_TYPE", Text},
                     {"LMMP", Text},
                     {"user", Text},
                     {"LIVE", Text},
                     {"CLUSTER", Text}},
         .indexes =
             {
                 {.name = "ix_bts_id", .columns = {"ID"}},
                 {.name = "ix_bts_bng_site_name",
                  .columns = {"BNG", "SITE_NAME"},
                  .note = "Free slots per BNG, and the slot of a BNG and address."},
                 {.name = "ix_bts_circle_ssa", .columns = {"CIRCLE", "SSA"}},
             }},
        {.name = "engineer",
         .note = "The franchise's engineers; inserted with three values and no column list.",
         .columns = {{"Engineer", Text}, {"Phone", Text}, {"AREA", Text}},
         .indexes =
             {
                 {.name = "ix_engineer_engineer", .columns = {"Engineer"}},
             }},
        {.name = "domain",
         .note = "SSA offices, exactly six columns.",
         .columns = {{"id", Text},
                     {"dm", Text},
                     {"ph", Text},
                     {"add", Text},
                     {"dn", Text},
                     {"circle", Text}},
         .indexes =
             {
                 {.name = "ix_domain_id", .columns = {"id"}},
             }},
        {.name = "offline_user",
         .note = "Offline subscribers, kept on the secondary server; every database gets the\n"
                 "table so one script serves both.",
         .columns = {{"id", Text}, {"LDR", Text}, {"FS", Text}},
         .indexes =
             {
                 {.name = "ix_offline_user_id", .columns = {"id"}},
             }},
    };
    return all;
}

namespace {

const Table* tableNamed(const QString& name) {
    for (const Table& table : tables())
        if (name.compare(QLatin1String(table.name), Qt::CaseInsensitive) == 0)
            return &table;
    return nullptr;
}

QString columnOf(const Table& table, const QString& name) {
    for (const Column& column : table.columns)
        if (name.compare(QLatin1String(column.name), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(column.name);
    return {};
}

QList<const Table*> tablesReadBy(const QString& sql) {
    static const QRegularExpression from(QStringLiteral("\\b(?:from|join)\\s+(\\w+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    QList<const Table*> read;
    for (auto it = from.globalMatch(sql); it.hasNext();)
        if (const Table* table = tableNamed(it.next().captured(1)))
            read << table;
    return read;
}

bool isAggregate(const QString& sql, const QString& name) {
    static const QStringList aggregates = {QStringLiteral("count"), QStringLiteral("max"),
                                           QStringLiteral("min"), QStringLiteral("sum"),
                                           QStringLiteral("avg")};
    return aggregates.contains(name) && sql.contains(name + QLatin1Char('('), Qt::CaseInsensitive);
}

} // namespace

QStringList spelledAsDefined(const QString& sql, const QStringList& names) {
    const QList<const Table*> read = tablesReadBy(sql);
    QStringList spelled;
    for (const QString& name : names) {
        QString defined;
        for (const Table* table : read)
            if (defined = columnOf(*table, name); !defined.isEmpty())
                break;
        for (auto it = tables().begin(); defined.isEmpty() && it != tables().end(); ++it)
            defined = columnOf(*it, name);
        if (defined.isEmpty() && isAggregate(sql, name))
            defined = QString(QLatin1String(""));
        spelled << (defined.isNull() ? name : defined);
    }
    return spelled;
}

} // namespace db::schema
