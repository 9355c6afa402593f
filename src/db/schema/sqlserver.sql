-- ZEL CRM schema for the production SQL Server.
--
-- Run it with sqlcmd against an empty catalog that already exists, e.g.
--   zelcrm-admin print-schema sqlserver > schema.sql
--   sqlcmd -S server -d test -U sa -i schema.sql
-- It creates no database and uses no GO: every statement ends with ';' at
-- the end of its line, which is also where the client's script splitter cuts.
--
-- Keep it in step with sqlite.sql: the same tables, the same columns in the
-- same order, the same indexes. Screens read rows by position, and the
-- registration and the engineer screen insert without a column list.
--
-- Conventions:
-- * Text columns take the catalog's default collation, which must be case
--   insensitive (e.g. SQL_Latin1_General_CP1_CI_AS): statements spell table
--   and column names in mixed case and compare user ids and statuses
--   without regard to case.
-- * NVARCHAR(255) for ordinary texts keeps every index key (at most three
--   such columns) under the 1700-byte limit; the growing histories are
--   NVARCHAR(MAX) and are never indexed.
-- * Complaint times and outage times are DATETIME so the reports compare them
--   in time order; numbers the screens sort on are INT.
-- * Indexes are not unique: the data comes partly from other systems and may
--   hold duplicates the screens live with (a user id registered twice).

-- Operator accounts and the workstation each is signed in at. Name at 0,
-- PASSWORD at 3 and MAC at 5 are read by position.
CREATE TABLE CRM (
    NAME NVARCHAR(255),
    CRM_ID NVARCHAR(255),
    STATUS NVARCHAR(255),
    PASSWORD NVARCHAR(255),
    crm_ip NVARCHAR(255),
    MAC NVARCHAR(255)
);
CREATE INDEX ix_crm_crm_id ON CRM (CRM_ID);
CREATE INDEX ix_crm_mac ON CRM (MAC);

-- Subscribers. Registration inserts exactly 30 values without a column list,
-- so the table has exactly these 30 columns in this order.
CREATE TABLE cdata (
    ID NVARCHAR(255),
    name NVARCHAR(255),
    ssa NVARCHAR(255),
    Mobile NVARCHAR(255),
    Address NVARCHAR(500),
    circle NVARCHAR(255),
    REG_DATE NVARCHAR(255),
    CBA NVARCHAR(255),
    PAID NVARCHAR(255),
    nas_ip NVARCHAR(255),
    [CPE TYPE] NVARCHAR(255),
    OTC NVARCHAR(255),
    BA NVARCHAR(255),
    indicator NVARCHAR(255),
    status NVARCHAR(255),
    policy NVARCHAR(255),
    PHONE NVARCHAR(255),
    LDAP_CHECK NVARCHAR(255),
    EMAIL NVARCHAR(255),
    PORT NVARCHAR(255),
    SPARE1 NVARCHAR(255),
    SPARE2 NVARCHAR(255),
    REMARK NVARCHAR(255),
    SPARE3 NVARCHAR(255),
    SERVICE NVARCHAR(255),
    SPARE4 NVARCHAR(255),
    AP NVARCHAR(255),
    TELEPHONE NVARCHAR(255),
    ACTIVATION_DATE NVARCHAR(255),
    CLUSTER NVARCHAR(255)
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
    id INT IDENTITY(1,1) NOT NULL PRIMARY KEY,
    name NVARCHAR(255),
    mobile NVARCHAR(255),
    [issue date] DATETIME,
    description NVARCHAR(MAX),
    status NVARCHAR(255),
    [close date] DATETIME,
    ssa NVARCHAR(255),
    fe NVARCHAR(255),
    [fe mob] NVARCHAR(255),
    pending INT,
    address NVARCHAR(500),
    [user id] NVARCHAR(255),
    circle NVARCHAR(255),
    ap NVARCHAR(255),
    ne NVARCHAR(255),
    cat NVARCHAR(255),
    srv NVARCHAR(255)
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
    circle NVARCHAR(255),
    SSA NVARCHAR(255),
    SITE NVARCHAR(255),
    SERVICE NVARCHAR(255),
    OUT_VLAN NVARCHAR(255),
    IN_VLAN NVARCHAR(255),
    ID NVARCHAR(255),
    MAC NVARCHAR(255),
    SN NVARCHAR(255)
);
CREATE INDEX ix_olt_id ON OLT (ID);
-- The free pairs of a site.
CREATE INDEX ix_olt_site_id ON OLT (SITE, ID);
CREATE INDEX ix_olt_circle_ssa_service ON OLT (circle, SSA, SERVICE);

-- Voice IP pool; ID 'NA' is free.
CREATE TABLE VOIP (
    CIRCLE NVARCHAR(255),
    SERVICE NVARCHAR(255),
    BNG NVARCHAR(255),
    IP NVARCHAR(255),
    ID NVARCHAR(255)
);
CREATE INDEX ix_voip_id ON VOIP (ID);
CREATE INDEX ix_voip_ip ON VOIP (IP);
CREATE INDEX ix_voip_service_bng_id ON VOIP (SERVICE, BNG, ID);
CREATE INDEX ix_voip_circle_service ON VOIP (CIRCLE, SERVICE);

-- Sites of the access network.
CREATE TABLE af_site (
    circle NVARCHAR(255),
    ssa NVARCHAR(255),
    site NVARCHAR(255),
    status NVARCHAR(255),
    SERVICE NVARCHAR(255),
    ip NVARCHAR(255),
    VLAN NVARCHAR(255),
    [user] NVARCHAR(255),
    LIVE NVARCHAR(255)
);
CREATE INDEX ix_af_site_site ON af_site (site);
CREATE INDEX ix_af_site_circle_ssa ON af_site (circle, ssa);

-- Field engineers.
CREATE TABLE fe (
    circle NVARCHAR(255),
    ssa NVARCHAR(255),
    CLUSTER NVARCHAR(255),
    name NVARCHAR(255),
    mobile NVARCHAR(255)
);
CREATE INDEX ix_fe_circle_ssa ON fe (circle, ssa);
-- The complaint screens look engineers up by the cluster they serve.
CREATE INDEX ix_fe_circle_cluster ON fe (circle, CLUSTER);
CREATE INDEX ix_fe_mobile ON fe (mobile);

-- Circles and their contacts, read by position 0 to 6.
CREATE TABLE circle (
    circle NVARCHAR(255),
    CBH NVARCHAR(255),
    CBHM NVARCHAR(255),
    EMAIL NVARCHAR(255),
    CGM NVARCHAR(255),
    CGM_MOBILE NVARCHAR(255),
    CGM_EMAIL NVARCHAR(255)
);
CREATE INDEX ix_circle_circle ON circle (circle);

-- SSAs and their contacts; the contacts are read by position 2 to 9.
CREATE TABLE ssa (
    circle NVARCHAR(255),
    SSA NVARCHAR(255),
    FE NVARCHAR(255),
    FE_MOBILE NVARCHAR(255),
    SDE_BB_MOBILE NVARCHAR(255),
    SDE_BB_EMAIL NVARCHAR(255),
    SDE_TX_MOBILE NVARCHAR(255),
    SDE_TX_EMAIL NVARCHAR(255),
    GM_MOBILE NVARCHAR(255),
    GM_EMAIL NVARCHAR(255)
);
CREATE INDEX ix_ssa_circle ON ssa (circle);
CREATE INDEX ix_ssa_ssa ON ssa (SSA);

-- Voice (NGN) providers per circle.
CREATE TABLE NGN (
    ngn_provider NVARCHAR(255),
    circle NVARCHAR(255),
    sip_domain NVARCHAR(255),
    voip_vlan NVARCHAR(255)
);
CREATE INDEX ix_ngn_provider_circle ON NGN (ngn_provider, circle);

-- Site fault tickets, read by position 0 to 10. The ticket times are kept as
-- the screen writes them; the close date holds the placeholder '4/4/1970'
-- while a ticket is open, which is no date-time.
CREATE TABLE BTS_FAULT (
    [fault id] INT IDENTITY(1,1) NOT NULL PRIMARY KEY,
    CIRCLE NVARCHAR(255),
    SSA NVARCHAR(255),
    [SITE NAME] NVARCHAR(255),
    FAULT NVARCHAR(MAX),
    [ISSUE DATE] NVARCHAR(255),
    [CLOSE DATE] NVARCHAR(255),
    [DOWN TIME] NVARCHAR(255),
    STATUS NVARCHAR(255),
    ID NVARCHAR(255),
    [USER] NVARCHAR(255)
);
CREATE INDEX ix_bts_fault_status ON BTS_FAULT (STATUS);
CREATE INDEX ix_bts_fault_circle ON BTS_FAULT (CIRCLE);
CREATE INDEX ix_bts_fault_ssa ON BTS_FAULT (SSA);

-- Outages of OLTs and APs, written by the monitoring system. The SLA board
-- shows them in this column order. fault_id is a number so the newest-first
-- lists sort 10 above 9.
CREATE TABLE olt_status (
    fault_id INT,
    circle NVARCHAR(255),
    SSA NVARCHAR(255),
    SITE_NAME NVARCHAR(255),
    equipment NVARCHAR(255),
    down_time DATETIME,
    up_time DATETIME,
    TOTAL_TIME_DOWN NVARCHAR(255),
    rfo NVARCHAR(255),
    on_the_part_of NVARCHAR(255),
    status NVARCHAR(255),
    IP NVARCHAR(255)
);
CREATE INDEX ix_olt_status_status_fault_id ON olt_status (status, fault_id);
CREATE INDEX ix_olt_status_fault_id ON olt_status (fault_id);
CREATE INDEX ix_olt_status_down_time ON olt_status (down_time);

-- Reasons for outage.
CREATE TABLE AP_RFO (
    RFO NVARCHAR(255)
);

-- Site equipment, one row per tunnel id; SITE_NAME 'NA' is a free slot. The
-- equipment screen reads positions 1 to 14.
CREATE TABLE bts (
    ID NVARCHAR(255),
    CIRCLE NVARCHAR(255),
    SSA NVARCHAR(255),
    SSID NVARCHAR(255),
    BNG NVARCHAR(255),
    IP NVARCHAR(255),
    SITE_NAME NVARCHAR(255),
    EQUIPMENT_TYPE NVARCHAR(255),
    STATUS NVARCHAR(255),
    VUVA_EQ NVARCHAR(255),
    VUVA_IP NVARCHAR(255),
    VUVA_PORT NVARCHAR(255),
    VUVA_PORT_TYPE NVARCHAR(255),
    LMMP NVARCHAR(255),
    [user] NVARCHAR(255),
    LIVE NVARCHAR(255),
    CLUSTER NVARCHAR(255)
);
CREATE INDEX ix_bts_id ON bts (ID);
-- Free slots per BNG, and the slot of a BNG and address.
CREATE INDEX ix_bts_bng_site_name ON bts (BNG, SITE_NAME);
CREATE INDEX ix_bts_circle_ssa ON bts (CIRCLE, SSA);

-- The franchise's engineers; inserted with three values and no column list.
CREATE TABLE engineer (
    Engineer NVARCHAR(255),
    Phone NVARCHAR(255),
    AREA NVARCHAR(255)
);
CREATE INDEX ix_engineer_engineer ON engineer (Engineer);

-- SSA offices, exactly six columns.
CREATE TABLE domain (
    id NVARCHAR(255),
    dm NVARCHAR(255),
    ph NVARCHAR(255),
    [add] NVARCHAR(255),
    dn NVARCHAR(255),
    circle NVARCHAR(255)
);
CREATE INDEX ix_domain_id ON domain (id);

-- Offline subscribers, kept on the secondary server; every database gets the
-- table so one script serves both.
CREATE TABLE offline_user (
    id NVARCHAR(255),
    LDR NVARCHAR(255),
    FS NVARCHAR(255)
);
CREATE INDEX ix_offline_user_id ON offline_user (id);
