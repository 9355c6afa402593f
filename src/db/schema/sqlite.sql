-- ZEL CRM schema for the embedded SQLite backend.
--
-- db::createSqliteDatabase runs this whole script inside one transaction, so
-- it holds nothing that cannot run in a transaction (no journal_mode, no
-- VACUUM) and no BEGIN/COMMIT of its own.
--
-- Keep it in step with sqlserver.sql: the same tables, the same columns in
-- the same order, the same indexes. Screens read rows by position, and the
-- registration and the engineer screen insert without a column list.
--
-- Conventions:
-- * Every text column is TEXT COLLATE NOCASE: statements compare user ids,
--   statuses and names without regard to case, as the production server's
--   default collation does. Indexes inherit the collation, so those lookups
--   can use them.
-- * Date-time columns are TEXT holding 'yyyy-MM-dd hh:mm:ss'; the database
--   layer binds date-times in that form, so BETWEEN and ordering follow time.
-- * Numbers the screens sort or count on are INTEGER; a text like '12' bound
--   into them is stored as the number 12 (integer affinity).
-- * Identities are INTEGER PRIMARY KEY AUTOINCREMENT so a number is never
--   handed out twice, even after the newest row is gone.
-- * Indexes are not unique: the data comes partly from other systems and may
--   hold duplicates the screens live with (a user id registered twice).

-- Operator accounts and the workstation each is signed in at. Name at 0,
-- PASSWORD at 3 and MAC at 5 are read by position.
CREATE TABLE CRM (
    NAME TEXT COLLATE NOCASE,
    CRM_ID TEXT COLLATE NOCASE,
    STATUS TEXT COLLATE NOCASE,
    PASSWORD TEXT COLLATE NOCASE,
    crm_ip TEXT COLLATE NOCASE,
    MAC TEXT COLLATE NOCASE
);
CREATE INDEX ix_crm_crm_id ON CRM (CRM_ID);
CREATE INDEX ix_crm_mac ON CRM (MAC);

-- Subscribers. Registration inserts exactly 30 values without a column list,
-- so the table has exactly these 30 columns in this order.
CREATE TABLE cdata (
    ID TEXT COLLATE NOCASE,
    name TEXT COLLATE NOCASE,
    ssa TEXT COLLATE NOCASE,
    Mobile TEXT COLLATE NOCASE,
    Address TEXT COLLATE NOCASE,
    circle TEXT COLLATE NOCASE,
    REG_DATE TEXT COLLATE NOCASE,
    CBA TEXT COLLATE NOCASE,
    PAID TEXT COLLATE NOCASE,
    nas_ip TEXT COLLATE NOCASE,
    [CPE TYPE] TEXT COLLATE NOCASE,
    OTC TEXT COLLATE NOCASE,
    BA TEXT COLLATE NOCASE,
    indicator TEXT COLLATE NOCASE,
    status TEXT COLLATE NOCASE,
    policy TEXT COLLATE NOCASE,
    PHONE TEXT COLLATE NOCASE,
    LDAP_CHECK TEXT COLLATE NOCASE,
    EMAIL TEXT COLLATE NOCASE,
    PORT TEXT COLLATE NOCASE,
    SPARE1 TEXT COLLATE NOCASE,
    SPARE2 TEXT COLLATE NOCASE,
    REMARK TEXT COLLATE NOCASE,
    SPARE3 TEXT COLLATE NOCASE,
    SERVICE TEXT COLLATE NOCASE,
    SPARE4 TEXT COLLATE NOCASE,
    AP TEXT COLLATE NOCASE,
    TELEPHONE TEXT COLLATE NOCASE,
    ACTIVATION_DATE TEXT COLLATE NOCASE,
    CLUSTER TEXT COLLATE NOCASE
);
-- The subscriber search matches any of id, indicator, BA and mobile; each
-- needs its own index for the OR to be answered from indexes.
CREATE INDEX ix_cdata_id ON cdata (ID);
CREATE INDEX ix_cdata_indicator ON cdata (indicator);
CREATE INDEX ix_cdata_ba ON cdata (BA);
CREATE INDEX ix_cdata_mobile ON cdata (Mobile);
-- Who already holds a voice IP.
CREATE INDEX ix_cdata_otc ON cdata (OTC);
-- The user status counts per circle, SSA and service.
CREATE INDEX ix_cdata_circle_ssa_service ON cdata (circle, ssa, SERVICE);

-- Customer complaints; the screens read positions 0 to 17.
CREATE TABLE complain (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    name TEXT COLLATE NOCASE,
    mobile TEXT COLLATE NOCASE,
    [issue date] TEXT COLLATE NOCASE,
    description TEXT COLLATE NOCASE,
    status TEXT COLLATE NOCASE,
    [close date] TEXT COLLATE NOCASE,
    ssa TEXT COLLATE NOCASE,
    fe TEXT COLLATE NOCASE,
    [fe mob] TEXT COLLATE NOCASE,
    pending INTEGER,
    address TEXT COLLATE NOCASE,
    [user id] TEXT COLLATE NOCASE,
    circle TEXT COLLATE NOCASE,
    ap TEXT COLLATE NOCASE,
    ne TEXT COLLATE NOCASE,
    cat TEXT COLLATE NOCASE,
    srv TEXT COLLATE NOCASE
);
CREATE INDEX ix_complain_user_id ON complain ([user id]);
-- The open-complaint board filters on status and sorts on pending.
CREATE INDEX ix_complain_status_pending ON complain (status, pending);
CREATE INDEX ix_complain_issue_date ON complain ([issue date]);
CREATE INDEX ix_complain_close_date ON complain ([close date]);
-- The report's carried-forward count reads only complaints still open.
CREATE INDEX ix_complain_open_issue_date ON complain ([issue date]) WHERE status <> 'CLOSED';

-- Inner VLAN pool: one row per outer/inner VLAN pair; ID 'NA' is free.
CREATE TABLE OLT (
    circle TEXT COLLATE NOCASE,
    SSA TEXT COLLATE NOCASE,
    SITE TEXT COLLATE NOCASE,
    SERVICE TEXT COLLATE NOCASE,
    OUT_VLAN TEXT COLLATE NOCASE,
    IN_VLAN TEXT COLLATE NOCASE,
    ID TEXT COLLATE NOCASE,
    MAC TEXT COLLATE NOCASE,
    SN TEXT COLLATE NOCASE
);
CREATE INDEX ix_olt_id ON OLT (ID);
-- The free pairs of a site.
CREATE INDEX ix_olt_site_id ON OLT (SITE, ID);
CREATE INDEX ix_olt_circle_ssa_service ON OLT (circle, SSA, SERVICE);

-- Voice IP pool; ID 'NA' is free.
CREATE TABLE VOIP (
    CIRCLE TEXT COLLATE NOCASE,
    SERVICE TEXT COLLATE NOCASE,
    BNG TEXT COLLATE NOCASE,
    IP TEXT COLLATE NOCASE,
    ID TEXT COLLATE NOCASE
);
CREATE INDEX ix_voip_id ON VOIP (ID);
CREATE INDEX ix_voip_ip ON VOIP (IP);
CREATE INDEX ix_voip_service_bng_id ON VOIP (SERVICE, BNG, ID);
CREATE INDEX ix_voip_circle_service ON VOIP (CIRCLE, SERVICE);

-- Sites of the access network.
CREATE TABLE af_site (
    circle TEXT COLLATE NOCASE,
    ssa TEXT COLLATE NOCASE,
    site TEXT COLLATE NOCASE,
    status TEXT COLLATE NOCASE,
    SERVICE TEXT COLLATE NOCASE,
    ip TEXT COLLATE NOCASE,
    VLAN TEXT COLLATE NOCASE,
    [user] TEXT COLLATE NOCASE,
    LIVE TEXT COLLATE NOCASE
);
CREATE INDEX ix_af_site_site ON af_site (site);
CREATE INDEX ix_af_site_circle_ssa ON af_site (circle, ssa);

-- Field engineers.
CREATE TABLE fe (
    circle TEXT COLLATE NOCASE,
    ssa TEXT COLLATE NOCASE,
    CLUSTER TEXT COLLATE NOCASE,
    name TEXT COLLATE NOCASE,
    mobile TEXT COLLATE NOCASE
);
CREATE INDEX ix_fe_circle_ssa ON fe (circle, ssa);
-- The complaint screens look engineers up by the cluster they serve.
CREATE INDEX ix_fe_circle_cluster ON fe (circle, CLUSTER);
CREATE INDEX ix_fe_mobile ON fe (mobile);

-- Circles and their contacts, read by position 0 to 6.
CREATE TABLE circle (
    circle TEXT COLLATE NOCASE,
    CBH TEXT COLLATE NOCASE,
    CBHM TEXT COLLATE NOCASE,
    EMAIL TEXT COLLATE NOCASE,
    CGM TEXT COLLATE NOCASE,
    CGM_MOBILE TEXT COLLATE NOCASE,
    CGM_EMAIL TEXT COLLATE NOCASE
);
CREATE INDEX ix_circle_circle ON circle (circle);

-- SSAs and their contacts; the contacts are read by position 2 to 9.
CREATE TABLE ssa (
    circle TEXT COLLATE NOCASE,
    SSA TEXT COLLATE NOCASE,
    FE TEXT COLLATE NOCASE,
    FE_MOBILE TEXT COLLATE NOCASE,
    SDE_BB_MOBILE TEXT COLLATE NOCASE,
    SDE_BB_EMAIL TEXT COLLATE NOCASE,
    SDE_TX_MOBILE TEXT COLLATE NOCASE,
    SDE_TX_EMAIL TEXT COLLATE NOCASE,
    GM_MOBILE TEXT COLLATE NOCASE,
    GM_EMAIL TEXT COLLATE NOCASE
);
CREATE INDEX ix_ssa_circle ON ssa (circle);
CREATE INDEX ix_ssa_ssa ON ssa (SSA);

-- Voice (NGN) providers per circle.
CREATE TABLE NGN (
    ngn_provider TEXT COLLATE NOCASE,
    circle TEXT COLLATE NOCASE,
    sip_domain TEXT COLLATE NOCASE,
    voip_vlan TEXT COLLATE NOCASE
);
CREATE INDEX ix_ngn_provider_circle ON NGN (ngn_provider, circle);

-- Site fault tickets, read by position 0 to 10. The ticket times are kept as
-- the screen writes them; the close date holds the placeholder '4/4/1970'
-- while a ticket is open, which is no date-time.
CREATE TABLE BTS_FAULT (
    [fault id] INTEGER PRIMARY KEY AUTOINCREMENT,
    CIRCLE TEXT COLLATE NOCASE,
    SSA TEXT COLLATE NOCASE,
    [SITE NAME] TEXT COLLATE NOCASE,
    FAULT TEXT COLLATE NOCASE,
    [ISSUE DATE] TEXT COLLATE NOCASE,
    [CLOSE DATE] TEXT COLLATE NOCASE,
    [DOWN TIME] TEXT COLLATE NOCASE,
    STATUS TEXT COLLATE NOCASE,
    ID TEXT COLLATE NOCASE,
    [USER] TEXT COLLATE NOCASE
);
CREATE INDEX ix_bts_fault_status ON BTS_FAULT (STATUS);
CREATE INDEX ix_bts_fault_circle ON BTS_FAULT (CIRCLE);
CREATE INDEX ix_bts_fault_ssa ON BTS_FAULT (SSA);

-- Outages of OLTs and APs, written by the monitoring system. The SLA board
-- shows them in this column order. fault_id is a number so the newest-first
-- lists sort 10 above 9.
CREATE TABLE olt_status (
    fault_id INTEGER,
    circle TEXT COLLATE NOCASE,
    SSA TEXT COLLATE NOCASE,
    SITE_NAME TEXT COLLATE NOCASE,
    equipment TEXT COLLATE NOCASE,
    down_time TEXT COLLATE NOCASE,
    up_time TEXT COLLATE NOCASE,
    TOTAL_TIME_DOWN TEXT COLLATE NOCASE,
    rfo TEXT COLLATE NOCASE,
    on_the_part_of TEXT COLLATE NOCASE,
    status TEXT COLLATE NOCASE,
    IP TEXT COLLATE NOCASE
);
CREATE INDEX ix_olt_status_status_fault_id ON olt_status (status, fault_id);
CREATE INDEX ix_olt_status_fault_id ON olt_status (fault_id);
CREATE INDEX ix_olt_status_down_time ON olt_status (down_time);

-- Reasons for outage.
CREATE TABLE AP_RFO (
    RFO TEXT COLLATE NOCASE
);

-- Site equipment, one row per tunnel id; SITE_NAME 'NA' is a free slot. The
-- equipment screen reads positions 1 to 14.
CREATE TABLE bts (
    ID TEXT COLLATE NOCASE,
    CIRCLE TEXT COLLATE NOCASE,
    SSA TEXT COLLATE NOCASE,
    SSID TEXT COLLATE NOCASE,
    BNG TEXT COLLATE NOCASE,
    IP TEXT COLLATE NOCASE,
    SITE_NAME TEXT COLLATE NOCASE,
    EQUIPMENT_TYPE TEXT COLLATE NOCASE,
    STATUS TEXT COLLATE NOCASE,
    VUVA_EQ TEXT COLLATE NOCASE,
    VUVA_IP TEXT COLLATE NOCASE,
    VUVA_PORT TEXT COLLATE NOCASE,
    VUVA_PORT_TYPE TEXT COLLATE NOCASE,
    LMMP TEXT COLLATE NOCASE,
    [user] TEXT COLLATE NOCASE,
    LIVE TEXT COLLATE NOCASE,
    CLUSTER TEXT COLLATE NOCASE
);
CREATE INDEX ix_bts_id ON bts (ID);
-- Free slots per BNG, and the slot of a BNG and address.
CREATE INDEX ix_bts_bng_site_name ON bts (BNG, SITE_NAME);
CREATE INDEX ix_bts_circle_ssa ON bts (CIRCLE, SSA);

-- The franchise's engineers; inserted with three values and no column list.
CREATE TABLE engineer (
    Engineer TEXT COLLATE NOCASE,
    Phone TEXT COLLATE NOCASE,
    AREA TEXT COLLATE NOCASE
);
CREATE INDEX ix_engineer_engineer ON engineer (Engineer);

-- SSA offices, exactly six columns.
CREATE TABLE domain (
    id TEXT COLLATE NOCASE,
    dm TEXT COLLATE NOCASE,
    ph TEXT COLLATE NOCASE,
    [add] TEXT COLLATE NOCASE,
    dn TEXT COLLATE NOCASE,
    circle TEXT COLLATE NOCASE
);
CREATE INDEX ix_domain_id ON domain (id);

-- Offline subscribers, kept on the secondary server; every database gets the
-- table so one script serves both.
CREATE TABLE offline_user (
    id TEXT COLLATE NOCASE,
    LDR TEXT COLLATE NOCASE,
    FS TEXT COLLATE NOCASE
);
CREATE INDEX ix_offline_user_id ON offline_user (id);
