#include "admin/admin.h"
#include "admin/synthetic.h"
#include "db/error.h"
#include "db/schema.h"
#include "support/test_db.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <memory>

namespace {

QVariantList texts(const QString& sql, const QString& value = QStringLiteral("1")) {
    return QVariantList(sql.count(QLatin1Char('?')), value);
}

QString placeholders(int n) {
    return QStringList(n, QStringLiteral("?")).join(QLatin1Char(','));
}

// A CREATE TABLE or CREATE INDEX statement reduced to what both scripts must
// agree on: names, column order, and the kind of each column.
struct Column {
    QString name;
    QString type;
};
struct Table {
    QString name;
    QList<Column> columns;
};
struct Script {
    QList<Table> tables;
    QStringList indexes;
};

QStringList splitTopLevel(const QString& body) {
    QStringList parts;
    int depth = 0;
    QString current;
    for (const QChar c : body) {
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')'))
            --depth;
        if (c == QLatin1Char(',') && depth == 0) {
            parts << current.trimmed();
            current.clear();
        } else {
            current += c;
        }
    }
    parts << current.trimmed();
    return parts;
}

Script parseScript(const QString& text) {
    Script script;
    for (QString statement : db::splitStatements(text)) {
        statement = statement.simplified();
        if (statement.endsWith(QLatin1Char(';')))
            statement.chop(1);
        if (statement.count(QLatin1String("CREATE ")) != 1)
            throw db::Error(QStringLiteral("not one statement: ") + statement);
        if (statement.startsWith(QLatin1String("CREATE INDEX "))) {
            script.indexes << statement;
            continue;
        }
        if (!statement.startsWith(QLatin1String("CREATE TABLE ")))
            throw db::Error(QStringLiteral("unexpected statement: ") + statement);
        const qsizetype open = statement.indexOf(QLatin1Char('('));
        Table table;
        table.name = statement.mid(13, open - 13).trimmed();
        const QString body =
            statement.mid(open + 1, statement.lastIndexOf(QLatin1Char(')')) - open - 1);
        for (const QString& part : splitTopLevel(body)) {
            const qsizetype end = part.startsWith(QLatin1Char('['))
                                      ? part.indexOf(QLatin1Char(']')) + 1
                                      : part.indexOf(QLatin1Char(' '));
            table.columns.append({part.left(end), part.mid(end).trimmed()});
        }
        script.tables << table;
    }
    return script;
}

// SQLite's declared type and SQL Server's, mapped to one kind each. A text
// column in SQLite that forgot its NOCASE collation maps to no kind, so the
// comparison fails on it.
QString sqliteKind(const QString& type) {
    if (type == QLatin1String("TEXT COLLATE NOCASE"))
        return QStringLiteral("text");
    if (type == QLatin1String("INTEGER"))
        return QStringLiteral("integer");
    if (type == QLatin1String("INTEGER PRIMARY KEY AUTOINCREMENT"))
        return QStringLiteral("identity");
    return QStringLiteral("unexpected SQLite type ") + type;
}

QString sqlServerKind(const QString& type) {
    if (type.startsWith(QLatin1String("NVARCHAR(")) || type == QLatin1String("DATETIME"))
        return QStringLiteral("text");
    if (type == QLatin1String("INT"))
        return QStringLiteral("integer");
    if (type == QLatin1String("INT IDENTITY(1,1) NOT NULL PRIMARY KEY"))
        return QStringLiteral("identity");
    return QStringLiteral("unexpected SQL Server type ") + type;
}

} // namespace

class TestSchema : public QObject {
    Q_OBJECT

private slots:
    void init() { m_db = std::make_unique<support::TestDb>(); }
    void cleanup() { m_db.reset(); }

    // Screens read these tables by position ("select *", positional
    // inserts); a column out of place shows or writes the wrong value.
    void columnsStandWhereScreensReadThem_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("columns"); // empty entry: any name
        QTest::addColumn<bool>("exactCount");
        const auto list = [](const char* names) {
            return QString::fromLatin1(names).split(QLatin1Char(','));
        };
        QTest::addRow("cdata") << "cdata"
                               << list("ID,name,ssa,Mobile,Address,circle,REG_DATE,CBA,PAID,nas_"
                                       "ip,CPE TYPE,OTC,BA,indicator,status,policy,PHONE,LDAP_"
                                       "CHECK,EMAIL,PORT,SPARE1,SPARE2,REMARK,SPARE3,SERVICE,"
                                       "SPARE4,AP,TELEPHONE,ACTIVATION_DATE,CLUSTER")
                               << true;
        QTest::addRow("complain") << "complain"
                                  << list("id,name,mobile,issue date,description,status,close "
                                          "date,ssa,fe,fe mob,pending,address,user id,circle,ap,"
                                          "ne,cat,srv")
                                  << true;
        QTest::addRow("CRM") << "CRM" << list("NAME,CRM_ID,STATUS,PASSWORD,crm_ip,MAC") << false;
        QTest::addRow("engineer") << "engineer" << list("Engineer,Phone,AREA") << true;
        QTest::addRow("domain") << "domain" << list("id,dm,ph,add,dn,circle") << true;
        QTest::addRow("BTS_FAULT") << "BTS_FAULT"
                                   << list("fault id,CIRCLE,SSA,SITE NAME,FAULT,ISSUE DATE,CLOSE "
                                           "DATE,DOWN TIME,STATUS,ID,USER")
                                   << true;
        QTest::addRow("bts") << "bts"
                             << list("ID,CIRCLE,SSA,SSID,BNG,IP,SITE_NAME,EQUIPMENT_TYPE,STATUS,"
                                     "VUVA_EQ,VUVA_IP,VUVA_PORT,VUVA_PORT_TYPE,LMMP,user,LIVE,"
                                     "CLUSTER")
                             << true;
        QTest::addRow("circle") << "circle"
                                << list("circle,CBH,CBHM,EMAIL,CGM,CGM_MOBILE,CGM_EMAIL") << true;
        QTest::addRow("ssa") << "ssa"
                             << list(",,FE,FE_MOBILE,SDE_BB_MOBILE,SDE_BB_EMAIL,SDE_TX_MOBILE,"
                                     "SDE_TX_EMAIL,GM_MOBILE,GM_EMAIL")
                             << true;
        QTest::addRow("olt_status") << "olt_status"
                                    << list("fault_id,circle,SSA,SITE_NAME,equipment,down_time,"
                                            "up_time,TOTAL_TIME_DOWN,rfo,on_the_part_of,status,IP")
                                    << true;
    }
    void columnsStandWhereScreensReadThem() {
        QFETCH(QString, table);
        QFETCH(QStringList, columns);
        QFETCH(bool, exactCount);
        QStringList actual;
        for (const QString& row : m_db->rows(
                 QStringLiteral("select name from pragma_table_info(?) order by cid"), {table}))
            actual << row;
        if (exactCount)
            QCOMPARE(actual.size(), columns.size());
        QVERIFY2(actual.size() >= columns.size(), qPrintable(actual.join(QLatin1Char(','))));
        for (qsizetype i = 0; i < columns.size(); ++i)
            if (!columns.at(i).isEmpty())
                QCOMPARE(actual.at(i), columns.at(i));
    }

    // Every statement the screens send, with its values bound: each must find
    // its tables and columns, whatever case it spells them in.
    void screenStatementsRunAgainstTheSchema_data() {
        QTest::addColumn<QString>("sql");
        // A '?' is followed by a blank where the screen's text glues the value's
        // closing quote to the next word: Qt's driver would read "?WHERE" as a
        // named placeholder.
        const QStringList statements = {
            // login, session and password change
            QStringLiteral("select * from CRM where CRM_ID=? and PASSWORD=?"),
            QStringLiteral("UPDATE CRM SET STATUS='IACTIVE',MAC='NA' WHERE CRM_ID=?"),
            QStringLiteral("UPDATE CRM SET STATUS='ACTIVE',MAC=?,crm_ip=? WHERE CRM_ID=?"),
            QStringLiteral("update crm set status='INACTIVE',MAC='NA' WHERE MAC=?"),
            QStringLiteral("UPDATE CRM SET PASSWORD=? WHERE CRM_ID=? "),
            QStringLiteral("SELECT * FROM CRM WHERE MAC=?"),
            // customer record and registration
            QStringLiteral("select circle from circle"),
            QStringLiteral("select distinct ngn_provider FROM NGN"),
            QStringLiteral("select SSA from ssa where circle=?"),
            QStringLiteral("select * from fe where circle=? and ssa=?"),
            QStringLiteral("select DISTINCT SITE from OLT where circle=? AND SSA=? AND SERVICE=?"),
            QStringLiteral("select * from OLT where  SITE=? AND ID ='NA'"),
            QStringLiteral("select * FROM af_site WHERE site=?"),
            QStringLiteral("select distinct CLUSTER FROM FE WHERE MOBILE=?"),
            QStringLiteral("select * FROM NGN where ngn_provider=? and circle=?"),
            QStringLiteral("SELECT ID FROM CDATA"),
            QStringLiteral("insert into cdata values(") + placeholders(30) + QLatin1Char(')'),
            QStringLiteral("insert into complain(name,mobile,[issue date],description,status,"
                           "[close date],ssa,fe,[fe mob],pending,address,[user id],circle,ap,ne) "
                           "values(") +
                placeholders(15) + QLatin1Char(')'),
            QStringLiteral("select * from OLT where  ID=?"),
            QStringLiteral("update OLT  set ID=?,MAC=? where OUT_VLAN=? AND IN_VLAN=? AND SITE=?"),
            // inner VLAN and voice IP pools
            QStringLiteral("update OLT  set MAC=? where ID=?"),
            QStringLiteral("select indicator from cdata WHERE ID=?"),
            QStringLiteral("update OLT  set ID='NA'where ID=?"),
            QStringLiteral("select DISTINCT BNG from VOIP WHERE CIRCLE=? AND SERVICE=?"),
            QStringLiteral("select IP FROM VOIP WHERE SERVICE=? AND BNG=? AND ID='NA'"),
            QStringLiteral("select IP FROM VOIP WHERE ID=?"),
            QStringLiteral("select * from VOIP where  ID=?"),
            QStringLiteral("update VOIP  set ID=? where IP=?"),
            // complaint register and lifecycle
            QStringLiteral(
                "select * from cdata where id = ? OR indicator=? OR BA=? OR MOBILE=? and "
                "status='active'"),
            QStringLiteral("select * from FE where circle=? and CLUSTER=? and name=?"),
            QStringLiteral("SELECT IP,LIVE FROM af_site WHERE site=?"),
            QStringLiteral("select * from complain WHERE [User ID]= ? AND STATUS<>'CLOSED'"),
            QStringLiteral(
                "select ID,[Issue Date] from complain WHERE [User ID]= ? order by ID desc"),
            QStringLiteral("select * from olt WHERE ID= ?"),
            QStringLiteral("select * from domain where id=?"),
            QStringLiteral("insert into complain(name,mobile,[issue date],description,status,"
                           "[close date],ssa,fe,[fe mob],pending,address,[user id],circle,ap,ne,"
                           "cat,srv) values(") +
                placeholders(17) + QLatin1Char(')'),
            QStringLiteral("update cdata set name=?,Mobile=?,Address=?,OTC=? where id=?"),
            QStringLiteral("select id from complain WHERE [user id]=? and status<>'CLOSED'"),
            QStringLiteral("update complain  set Status='OPEN',Pending=?,Description=?,cat=? where "
                           "id=?"),
            QStringLiteral("update offline_user SET LDR=? where id=? and FS<>'CLOSED'"),
            QStringLiteral("update complain  set Status='CLOSED',description=?,[close date]=?,"
                           "Pending=?,ne=?,cat=? where id=?"),
            QStringLiteral("update cdata set AP=?,name=?,Mobile=?,Address=?,CBA=?,EMAIL=?,PAID=? "
                           "where id=?"),
            QStringLiteral("SELECT ID FROM CDATA WHERE OTC=?"),
            QStringLiteral("update cdata set  OTC=? where id=?"),
            QStringLiteral("select ID, NAS_IP from CDATA WHERE  id=?"),
            QStringLiteral("update cdata set ap=? WHERE ID=?"),
            // open-complaint board and report
            QStringLiteral("select * from complain where Status<>'CLOSED'and SSA=? AND CIRCLE=? "
                           "order by pending desc "),
            QStringLiteral(
                "select * from complain where Status <>? and srv=? order by pending desc"),
            QStringLiteral("select DISTINCT CLUSTER from FE where circle=?"),
            QStringLiteral("SELECT NE, COUNT(NE) FROM COMPLAIN where [CLOSE DATE] between ? AND ? "
                           "GROUP BY NE HAVING COUNT(NE) > 1"),
            QStringLiteral("select count(id) from complain where [ISSUE DATE] < ? AND STATUS "
                           "<>'CLOSED'"),
            // site faults, tickets and contacts
            QStringLiteral("select distinct site from af_site where circle=? and ssa=? and "
                           "status<>'INACTIVE'"),
            QStringLiteral("select * from af_site where circle=? and ssa=? and site=?"),
            QStringLiteral("select * from bts_fault where [fault id]=?"),
            QStringLiteral("select * from BTS where id=?"),
            QStringLiteral("select * from CIRCLE where circle=?"),
            QStringLiteral("select * from SSA where SSA=?"),
            QStringLiteral(" INSERT INTO BTS_FAULT(CIRCLE,SSA,[SITE NAME],FAULT,[ISSUE DATE],"
                           "[CLOSE DATE],[DOWN TIME],STATUS,ID,[USER]) VALUES(?,?,?,?,?,?,?,'OPEN',"
                           "?,?)"),
            QStringLiteral("SELECT [fault id] FROM bts_fault WHERE [fault id] = (SELECT MAX([fault "
                           "id]) FROM bts_fault)"),
            QStringLiteral("update bts_fault  set fault=?,[DOWN TIME]=? where [FAULT ID]=?"),
            QStringLiteral("UPDATE BTS_FAULT SET FAULT=?,STATUS='CLOSED',[CLOSE DATE]=? where "
                           "[fault id]=?"),
            QStringLiteral("UPDATE CIRCLE SET CBH=?,CBHM=?,EMAIL=?,CGM=?,CGM_MOBILE=?,CGM_EMAIL=? "
                           "WHERE CIRCLE=?"),
            QStringLiteral("UPDATE SSA SET FE=?,FE_MOBILE=?,SDE_BB_MOBILE=?,SDE_BB_EMAIL=?,"
                           "SDE_TX_MOBILE=?,SDE_TX_EMAIL=?,GM_MOBILE=?,GM_EMAIL=? WHERE SSA=?"),
            // outage board
            QStringLiteral("select * from olt_status where Status =? and circle =? and SSA =? "
                           "order by fault_id desc"),
            QStringLiteral("SELECT * FROM AP_RFO"),
            QStringLiteral("select rfo,on_the_part_of,IP from olt_status where fault_id=?"),
            QStringLiteral("update olt_status set rfo=?,on_the_part_of=?,status='CLOSED'where "
                           "fault_id=?"),
            QStringLiteral("SELECT circle,ssa,equipment, COUNT(equipment) FROM olt_status where "
                           "down_time between ? AND ? GROUP BY circle,ssa, equipment HAVING "
                           "COUNT(equipment) > 1"),
            // ONU configuration
            QStringLiteral("select * FROM CDATA WHERE ID=? or indicator=?"),
            QStringLiteral("update cdata  set nas_ip=?, otc=? where ID=?"),
            QStringLiteral("update cdata  set [CPE TYPE]=? where ID=?"),
            // user and AP status, equipment, engineers
            QStringLiteral("select * from BTS where STATUS='ACTIVE' AND SITE_NAME<>'NA' and "
                           "circle=? AND SSA=? order by SITE_NAME asc"),
            QStringLiteral("select STATUS,POLICY from cdata where circle=? AND SSA=? AND "
                           "SERVICE=?"),
            QStringLiteral("select * from BTS where STATUS='ACTIVE' AND SITE_NAME<>'NA' AND "
                           "EQUIPMENT_TYPE='OLT'"),
            QStringLiteral("select distinct BNG from bts where circle=?"),
            QStringLiteral("select IP from bts where BNG=? AND SITE_NAME='NA'"),
            QStringLiteral("select ID from bts where BNG=? AND IP=?"),
            QStringLiteral("UPDATE BTS SET SSA=?,[user]=?,SITE_NAME=?,SSID=?,EQUIPMENT_TYPE=?,"
                           "STATUS=?,VUVA_EQ=?,VUVA_IP=?,VUVA_PORT=?,VUVA_PORT_TYPE=?,LMMP=? WHERE "
                           "ID=?"),
            QStringLiteral("SELECT * FROM engineer"),
            QStringLiteral("insert into engineer values(?,?,?)"),
            QStringLiteral("UPDATE engineer set Phone=? where Engineer=?"),
        };
        for (const QString& sql : statements)
            QTest::addRow("%s", qPrintable(sql.simplified().left(90))) << sql;
    }
    void screenStatementsRunAgainstTheSchema() {
        QFETCH(QString, sql);
        QVERIFY_THROWS_NO_EXCEPTION(m_db->exec(sql, texts(sql)));
    }

    // The lookups behind every list and search must not scan a million rows.
    void lookupsUseAnIndex_data() {
        QTest::addColumn<QString>("sql");
        for (const char* sql : {
                 "select * from CRM where CRM_ID=? and PASSWORD=?",
                 "update crm set status='INACTIVE',MAC='NA' WHERE MAC=?",
                 "select * from cdata where id = ? OR indicator=? OR BA=? OR MOBILE=? and "
                 "status='active'",
                 "select * FROM CDATA WHERE ID=? or indicator=?",
                 "SELECT ID FROM CDATA WHERE OTC=?",
                 "select STATUS,POLICY from cdata where circle=? AND SSA=? AND SERVICE=?",
                 "select * from complain WHERE [User ID]= ? AND STATUS<>'CLOSED'",
                 "select * from complain where Status=? order by pending desc",
                 "select count(id) from complain where [issue DATE] between ? AND ?",
                 "select count(id) from complain where [CLOSE DATE] between ? AND ?",
                 "select * from OLT where  SITE=? AND ID ='NA'",
                 "select DISTINCT SITE from OLT where circle=? AND SSA=? AND SERVICE=?",
                 "select * from olt WHERE ID= ?",
                 "select IP FROM VOIP WHERE SERVICE=? AND BNG=? AND ID='NA'",
                 "update VOIP  set ID=? where IP=?",
                 "select * from VOIP where  ID=?",
                 "SELECT IP,LIVE FROM af_site WHERE site=?",
                 "select * from fe where circle=? and ssa=?",
                 "select * from FE where circle=? and CLUSTER=?",
                 "select distinct CLUSTER FROM FE WHERE MOBILE=?",
                 "select SSA from ssa where circle=?",
                 "select * from SSA where SSA=?",
                 "select * from BTS where id=?",
                 "select IP from bts where BNG=? AND SITE_NAME='NA'",
                 "select * from BTS_FAULT where  CIRCLE= ? AND STATUS<>'CLOSED'",
                 "select * from BTS_FAULT where  SSA= ? AND STATUS<>'CLOSED'",
                 "select * from bts_fault where [fault id]=?",
                 "select * from olt_status where Status =? order by fault_id desc",
                 "select rfo,on_the_part_of,IP from olt_status where fault_id=?",
                 "SELECT circle,ssa,equipment, COUNT(equipment) FROM olt_status where down_time "
                 "between ? AND ? GROUP BY circle,ssa, equipment",
             })
            QTest::addRow("%s", sql) << QString::fromLatin1(sql);
    }
    void lookupsUseAnIndex() {
        QFETCH(QString, sql);
        const QStringList plan =
            m_db->rows(QStringLiteral("EXPLAIN QUERY PLAN ") + sql, texts(sql));
        for (const QString& step : plan) {
            const QString detail = step.section(QLatin1Char('|'), 3);
            QVERIFY2(!detail.startsWith(QLatin1String("SCAN ")), qPrintable(plan.join(u'\n')));
        }
    }

    // Identifiers and text comparisons ignore case, as the production
    // server's collation does; lookups typed in another case still match.
    void namesAndTextsIgnoreCase_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariantList>("params");
        QTest::addColumn<QString>("expected");
        QTest::addRow("operator by CRM_ID, upper-case statement")
            << "SELECT NAME FROM CRM WHERE CRM_ID=? AND PASSWORD=?"
            << QVariantList{QStringLiteral("9876500001"), QStringLiteral("ASHA@123")}
            << "Asha Verma";
        QTest::addRow("operator by crm_id, lower-case statement")
            << "select name from crm where crm_id=?" << QVariantList{QStringLiteral("9876500001")}
            << "Asha Verma";
        QTest::addRow("olt and OLT are one table")
            << "select id from olt where site=? and id<>'na'"
            << QVariantList{QStringLiteral("ekm-kakkanad-olt")} << "anil.kumar";
        QTest::addRow("subscriber id typed in upper case")
            << "select name from CDATA where ID=?" << QVariantList{QStringLiteral("ANIL.KUMAR")}
            << "Anil Kumar";
        QTest::addRow("status filter in other case")
            << "select count(*) from complain where status<>? and [USER ID]=?"
            << QVariantList{QStringLiteral("closed"), QStringLiteral("anil.kumar")} << "1";
    }
    void namesAndTextsIgnoreCase() {
        QFETCH(QString, sql);
        QFETCH(QVariantList, params);
        QFETCH(QString, expected);
        m_db->exec(QStringLiteral("insert into CRM values ('Asha Verma', '9876500001', 'INACTIVE', "
                                  "'asha@123', '', 'NA')"));
        m_db->exec(QStringLiteral("insert into OLT (SITE, ID) values ('EKM-KAKKANAD-OLT', 'NA'), "
                                  "('EKM-KAKKANAD-OLT', 'anil.kumar')"));
        m_db->exec(
            QStringLiteral("insert into cdata (ID, name) values ('anil.kumar', 'Anil Kumar')"));
        m_db->exec(QStringLiteral("insert into complain (status, [user id]) values "
                                  "('CLOSED', 'anil.kumar'), ('OPEN', 'anil.kumar')"));
        QCOMPARE(m_db->scalar(sql, params), expected);
    }

    // The client reads back the number the database gave a new complaint or
    // ticket; numbers only grow, also after the newest row is gone.
    void identitiesGrowAndAreNotReused_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("column");
        QTest::addRow("complain") << "complain"
                                  << "id"
                                  << "status";
        QTest::addRow("BTS_FAULT") << "BTS_FAULT"
                                   << "[fault id]"
                                   << "STATUS";
    }
    void identitiesGrowAndAreNotReused() {
        QFETCH(QString, table);
        QFETCH(QString, id);
        QFETCH(QString, column);
        const QString insert =
            QStringLiteral("insert into %1 (%2) values ('OPEN')").arg(table, column);
        const QString newest = QStringLiteral("select max(%1) from %2").arg(id, table);
        m_db->exec(insert);
        m_db->exec(insert);
        QCOMPARE(m_db->scalar(newest), QStringLiteral("2"));
        m_db->exec(QStringLiteral("delete from %1 where %2 = 2").arg(table, id));
        m_db->exec(insert);
        QCOMPARE(m_db->scalar(newest), QStringLiteral("3"));
    }

    // Stored date-times compare as moments: a complaint logged at 9:05 PM
    // falls inside the day's bounds the report uses, and only there.
    void dateTimesCompareInTimeOrder_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("found");
        QTest::addRow("the whole day") << "2021-12-04 00:00:01"
                                       << "2021-12-04 23:59:59"
                                       << "1";
        QTest::addRow("the minute itself") << "2021-12-04 21:05:00"
                                           << "2021-12-04 21:05:00"
                                           << "1";
        QTest::addRow("from a minute later") << "2021-12-04 21:06:00"
                                             << "2021-12-05 23:59:59"
                                             << "0";
        QTest::addRow("the day before") << "2021-12-03 00:00:01"
                                        << "2021-12-03 23:59:59"
                                        << "0";
        QTest::addRow("across a month end") << "2021-11-30 00:00:01"
                                            << "2022-01-01 00:00:00"
                                            << "1";
    }
    void dateTimesCompareInTimeOrder() {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, found);
        m_db->exec(
            QStringLiteral("insert into complain ([issue date], [close date]) values (?, ?)"),
            {QStringLiteral("2021-12-04 21:05:00"), QStringLiteral("2021-12-04 21:05:00")});
        m_db->exec(QStringLiteral("insert into olt_status (fault_id, down_time) values (1, ?)"),
                   {QStringLiteral("2021-12-04 21:05:00")});
        for (const QString& sql :
             {QStringLiteral("select count(id) from complain where [issue DATE] between ? AND ?"),
              QStringLiteral("select count(id) from complain where [CLOSE DATE] between ? AND ?"),
              QStringLiteral("select count(*) from olt_status where down_time between ? AND ?")})
            QCOMPARE(m_db->scalar(sql, {start, end}), found);
    }

    // Registration writes the subscriber positionally: anything but exactly
    // thirty values must be refused, not stored shifted.
    void positionalSubscriberInsertNeedsThirtyValues_data() {
        QTest::addColumn<int>("values");
        QTest::addColumn<bool>("accepted");
        QTest::addRow("30") << 30 << true;
        QTest::addRow("29") << 29 << false;
        QTest::addRow("31") << 31 << false;
    }
    void positionalSubscriberInsertNeedsThirtyValues() {
        QFETCH(int, values);
        QFETCH(bool, accepted);
        QVariantList params;
        for (int i = 0; i < values; ++i)
            params << QString::number(i);
        const QString sql =
            QStringLiteral("insert into cdata values(%1)").arg(placeholders(values));
        bool stored = true;
        try {
            m_db->exec(sql, params);
        } catch (const db::Error&) {
            stored = false;
        }
        QCOMPARE(stored, accepted);
        if (accepted) {
            QCOMPARE(m_db->scalar(QStringLiteral("select CLUSTER from cdata")),
                     QStringLiteral("29"));
            QCOMPARE(m_db->scalar(QStringLiteral("select [CPE TYPE] from cdata")),
                     QStringLiteral("10"));
        }
    }

    // The board lists the longest pending first; the client writes hours as
    // text, which must still sort as numbers.
    void pendingSortsAsANumber() {
        for (const char* hours : {"9", "12", "100", "0"})
            m_db->exec(QStringLiteral("insert into complain (status, pending) values ('OPEN', ?)"),
                       {QString::fromLatin1(hours)});
        QCOMPARE(m_db->rows(QStringLiteral("select pending from complain where Status <>'CLOSED' "
                                           "order by pending desc")),
                 (QStringList{QStringLiteral("100"), QStringLiteral("12"), QStringLiteral("9"),
                              QStringLiteral("0")}));
    }

    // The production script must create what the embedded one creates, or a
    // screen tested here reads the wrong column there.
    void sqlServerScriptMatchesSqlite() {
        const Script lite = parseScript(db::schemaScript(false));
        const Script server = parseScript(db::schemaScript(true));
        QCOMPARE(server.tables.size(), lite.tables.size());
        for (qsizetype t = 0; t < lite.tables.size(); ++t) {
            const Table& l = lite.tables.at(t);
            const Table& s = server.tables.at(t);
            QCOMPARE(s.name, l.name);
            QCOMPARE(s.columns.size(), l.columns.size());
            for (qsizetype c = 0; c < l.columns.size(); ++c) {
                const QString where = l.name + QLatin1Char('.') + l.columns.at(c).name;
                QCOMPARE(s.columns.at(c).name, l.columns.at(c).name);
                const QString kind = sqliteKind(l.columns.at(c).type);
                QVERIFY2(!kind.startsWith(QLatin1String("unexpected")), qPrintable(where + kind));
                QVERIFY2(sqlServerKind(s.columns.at(c).type) == kind,
                         qPrintable(where + QStringLiteral(": ") + l.columns.at(c).type +
                                    QStringLiteral(" / ") + s.columns.at(c).type));
            }
        }
        QCOMPARE(server.indexes, lite.indexes);
    }

    void demoDataLoadsForEveryScreen() {
        admin::loadDemoData(m_db->path());

        QCOMPARE(m_db->rows(QStringLiteral("select NAME, CRM_ID, PASSWORD, STATUS, MAC from CRM "
                                           "order by CRM_ID")),
                 (QStringList{QStringLiteral("NOC Admin|9876500000|admin@123|INACTIVE|NA"),
                              QStringLiteral("Asha Verma|9876500001|asha@123|INACTIVE|NA"),
                              QStringLiteral("Rahul Nair|9876500002|rahul@123|INACTIVE|NA")}));

        for (const char* table :
             {"cdata", "complain", "OLT", "VOIP", "af_site", "fe", "circle", "ssa", "NGN",
              "BTS_FAULT", "olt_status", "AP_RFO", "bts", "engineer", "domain", "offline_user"})
            QVERIFY2(
                m_db->scalar(QStringLiteral("select count(*) from %1").arg(QLatin1String(table))) !=
                    QLatin1String("0"),
                table);

        const auto values = [this](const char* sql) {
            return m_db->rows(QString::fromLatin1(sql));
        };
        QCOMPARE(values("select distinct status from complain order by 1"),
                 (QStringList{QStringLiteral("CLOSED"), QStringLiteral("NEW"),
                              QStringLiteral("OPEN"), QStringLiteral("OPEN-FE"),
                              QStringLiteral("SITE-DOWN"), QStringLiteral("VOIP")}));
        QCOMPARE(values("select distinct status from cdata order by 1 collate binary"),
                 (QStringList{QStringLiteral("DELETED"), QStringLiteral("MarkedForDeletion"),
                              QStringLiteral("active"), QStringLiteral("inactive")}));
        QCOMPARE(values("select count(*) from cdata where status='active' and policy='Vuva_Susp'"),
                 QStringList{QStringLiteral("1")});
        for (const char* provider : {"NEW", "ZTE", "UTSTER", "MTNL"})
            QCOMPARE(m_db->scalar(QStringLiteral("select count(distinct circle) from NGN where "
                                                 "ngn_provider = ? collate binary"),
                                  {QString::fromLatin1(provider)}),
                     m_db->scalar(QStringLiteral("select count(*) from circle")));
        // Pools hold free and taken rows alike.
        QCOMPARE(values("select count(distinct ID = 'NA') from OLT"),
                 QStringList{QStringLiteral("2")});
        QCOMPARE(values("select count(distinct ID = 'NA') from VOIP"),
                 QStringList{QStringLiteral("2")});
        QCOMPARE(values("select count(distinct SITE_NAME = 'NA') from bts"),
                 QStringList{QStringLiteral("2")});

        // What the screens join by hand must meet: complaints and taken pool
        // rows name real subscribers, a site's VLAN is its equipment's tunnel
        // id, and nobody has two unclosed complaints.
        QCOMPARE(
            values("select count(*) from complain where [user id] not in (select ID from cdata)"),
            QStringList{QStringLiteral("0")});
        QCOMPARE(values("select count(*) from OLT where ID <> 'NA' and ID not in (select ID from "
                        "cdata)"),
                 QStringList{QStringLiteral("0")});
        QCOMPARE(values("select count(*) from af_site where VLAN not in (select ID from bts)"),
                 QStringList{QStringLiteral("0")});
        QCOMPARE(values("select count(*) from cdata where AP not in (select site from af_site)"),
                 QStringList{QStringLiteral("0")});
        QCOMPARE(values("select count(*) from (select [user id] from complain where status <> "
                        "'CLOSED' group by [user id] having count(*) > 1)"),
                 QStringList{QStringLiteral("0")});

        // Date-times are in the stored form, the unclosed placeholder
        // included, so the report's comparisons see them as moments.
        const QRegularExpression stored(
            QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"));
        for (const QString& value :
             values("select [issue date] from complain union all select [close date] from "
                    "complain union all select down_time from olt_status union all "
                    "select up_time from olt_status where up_time is not null"))
            QVERIFY2(stored.match(value).hasMatch(), qPrintable(value));
        QCOMPARE(values("select count(*) from complain where status <> 'CLOSED' and [close date] "
                        "<> '1990-04-04 00:00:00'"),
                 QStringList{QStringLiteral("0")});
        QVERIFY(m_db->scalar(QStringLiteral("select count(*) from BTS_FAULT where FAULT like ?"),
                             {QStringLiteral("%") + QStringLiteral("\r\n") +
                              QStringLiteral("%")}) != QLatin1String("0"));
    }

    void seedingIsRepeatable() {
        const admin::SeedOptions options{300, 500, 42};
        admin::seedSynthetic(m_db->path(), options);
        support::TestDb again;
        admin::seedSynthetic(again.path(), options);
        support::TestDb otherSeed;
        admin::seedSynthetic(otherSeed.path(), {300, 500, 43});

        for (const QString& sql : {QStringLiteral("select * from cdata order by rowid"),
                                   QStringLiteral("select * from complain order by id"),
                                   QStringLiteral("select * from OLT order by rowid"),
                                   QStringLiteral("select * from VOIP order by rowid")}) {
            const QStringList first = m_db->rows(sql);
            QVERIFY(!first.isEmpty());
            QCOMPARE(again.rows(sql), first);
            QVERIFY(otherSeed.rows(sql) != first);
        }
        QVERIFY_THROWS_EXCEPTION(db::Error, admin::seedSynthetic(m_db->path(), options));
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from cdata")), QStringLiteral("300"));
    }

    void seededComplaintsHoldTogether() {
        admin::seedSynthetic(m_db->path(), {200, 2000, 7});
        const auto count = [this](const char* where) {
            return m_db->scalar(QStringLiteral("select count(*) from complain where ") +
                                QLatin1String(where));
        };
        QCOMPARE(count("1"), QStringLiteral("2000"));
        QCOMPARE(count("[user id] not in (select ID from cdata)"), QStringLiteral("0"));
        QVERIFY(count("status <> 'CLOSED'").toInt() > 0);
        QVERIFY(count("status = 'CLOSED'").toInt() > 1800);
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from (select [user id] from complain "
                                             "where status <> 'CLOSED' group by [user id] having "
                                             "count(*) > 1)")),
                 QStringLiteral("0"));
        // Closed complaints fill all eighteen columns and close after they
        // were logged, with the hours pending the board would show.
        QCOMPARE(
            count("status = 'CLOSED' and (name = '' or mobile = '' or description not like "
                  "'%@% Closed by: %' or ssa = '' or fe = '' or [fe mob] = '' or pending is "
                  "null or address = '' or circle = '' or ap = '' or ne = '' or cat = '' or "
                  "srv = '' or [close date] <= [issue date] or pending <> "
                  "strftime('%s', [close date]) / 3600 - strftime('%s', [issue date]) / 3600)"),
            QStringLiteral("0"));
        QCOMPARE(count("status <> 'CLOSED' and [close date] <> '1990-04-04 00:00:00'"),
                 QStringLiteral("0"));
        // Numbers follow time, so the newest complaint is also the latest.
        QCOMPARE(
            m_db->scalar(QStringLiteral("select count(*) from complain a join complain b on "
                                        "b.id = a.id + 1 where b.[issue date] < a.[issue date]")),
            QStringLiteral("0"));
        // The indexes dropped for the bulk load are back.
        QVERIFY(m_db->rows(QStringLiteral("EXPLAIN QUERY PLAN select * from complain where "
                                          "[user id] = 'x'"))
                    .join(QLatin1Char(' '))
                    .contains(QLatin1String("USING INDEX")));
    }

    void adminCommandLine_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("stderrHas");
        QTest::addRow("no command") << QStringList() << 2 << "Usage:";
        QTest::addRow("unknown command")
            << QStringList{QStringLiteral("drop-db")} << 2 << "unknown command drop-db";
        QTest::addRow("init-db without file")
            << QStringList{QStringLiteral("init-db")} << 2 << "FILE";
        QTest::addRow("init-db over an existing file")
            << QStringList{QStringLiteral("init-db"), QStringLiteral("@existing")} << 1
            << "already exists";
        QTest::addRow("init-db with unknown option")
            << QStringList{QStringLiteral("init-db"), QStringLiteral("@new"),
                           QStringLiteral("--demos")}
            << 2 << "unknown option --demos";
        QTest::addRow("seed without complaints")
            << QStringList{QStringLiteral("seed-synthetic"), QStringLiteral("@new"),
                           QStringLiteral("--subscribers"), QStringLiteral("5")}
            << 2 << "--complaints is required";
        QTest::addRow("seed with a word for a number")
            << QStringList{QStringLiteral("seed-synthetic"), QStringLiteral("@new"),
                           QStringLiteral("--subscribers=many"), QStringLiteral("--complaints=1")}
            << 2 << "whole number";
        QTest::addRow("complaints without subscribers")
            << QStringList{QStringLiteral("seed-synthetic"), QStringLiteral("@new"),
                           QStringLiteral("--subscribers"),  QStringLiteral("0"),
                           QStringLiteral("--complaints"),   QStringLiteral("3")}
            << 2 << "at least 1";
        QTest::addRow("schema of an unknown server")
            << QStringList{QStringLiteral("print-schema"), QStringLiteral("oracle")} << 2
            << "sqlite or sqlserver";
        QTest::addRow("seed a new file")
            << QStringList{QStringLiteral("seed-synthetic"), QStringLiteral("@new"),
                           QStringLiteral("--subscribers"),  QStringLiteral("3"),
                           QStringLiteral("--complaints"),   QStringLiteral("2")}
            << 0 << "";
        QTest::addRow("init-db with demo")
            << QStringList{QStringLiteral("init-db"), QStringLiteral("--demo"),
                           QStringLiteral("@new")}
            << 0 << "";
    }
    void adminCommandLine() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, stderrHas);
        QTemporaryDir dir;
        const QString newFile = dir.filePath(QStringLiteral("new.db"));
        args.replaceInStrings(QStringLiteral("@existing"), m_db->path());
        args.replaceInStrings(QStringLiteral("@new"), newFile);
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        QCOMPARE(admin::run(args, outStream, errStream), exitCode);
        outStream.flush();
        errStream.flush();
        QVERIFY2(err.contains(stderrHas), qPrintable(err));
        if (exitCode != 0)
            QVERIFY2(!QFileInfo::exists(newFile), "a refused command must not leave a file");
        else
            QVERIFY(err.isEmpty());
    }

    void printSchemaGivesTheCompiledScripts() {
        for (const bool sqlServer : {false, true}) {
            QString out, err;
            QTextStream outStream(&out), errStream(&err);
            QCOMPARE(
                admin::run({QStringLiteral("print-schema"),
                            sqlServer ? QStringLiteral("sqlserver") : QStringLiteral("sqlite")},
                           outStream, errStream),
                0);
            outStream.flush();
            QCOMPARE(out, db::schemaScript(sqlServer));
        }
    }

private:
    std::unique_ptr<support::TestDb> m_db;
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
