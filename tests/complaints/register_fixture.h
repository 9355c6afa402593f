#pragma once

// The rows the complaint register's tests stand on: one circle with its SSAs,
// SSA office and field engineers, one OLT site that is up, and subscribers
// written by column name with sensible defaults.

#include "support/test_db.h"

#include <QMap>
#include <QStringList>

namespace fixture {

inline void network(const support::TestDb& db) {
    db.exec(QStringLiteral("insert into circle (circle) values (' KERALA '), ('TAMIL NADU')"));
    db.exec(QStringLiteral("insert into ssa (circle, SSA) values ('KERALA', ' ERNAKULAM '), "
                           "('KERALA', 'KOTTAYAM'), ('TAMIL NADU', 'CHENNAI')"));
    db.exec(QStringLiteral("insert into domain (id, dm, ph) values ('ERNAKULAM', ' Suresh Menon', "
                           "'0484 2345678 ')"));
    db.exec(QStringLiteral("insert into fe (circle, ssa, CLUSTER, name, mobile) values "
                           "('KERALA', 'EKM', 'ERNAKULAM', 'Anil', ' 9400000001 '), "
                           "('KERALA', 'EKM', 'ERNAKULAM', 'Biju ', '9400000002'), "
                           "('KERALA', 'KTM', 'KOTTAYAM', 'Cyril', '9400000003')"));
    db.exec(QStringLiteral("insert into af_site (circle, ssa, site, ip, LIVE) values "
                           "('KERALA', 'EKM', 'EKM-OLT-1', ' 10.20.0.1 ', 'UP')"));
}

// A subscriber: the defaults below, with `values` replacing or adding columns.
inline void subscriber(const support::TestDb& db, const QMap<QString, QString>& values = {}) {
    QMap<QString, QString> row{
        {QStringLiteral("ID"), QStringLiteral("kl0000001")},
        {QStringLiteral("name"), QStringLiteral(" Ravi Kumar ")},
        {QStringLiteral("ssa"), QStringLiteral("EKM")},
        {QStringLiteral("Mobile"), QStringLiteral("9447000001")},
        {QStringLiteral("Address"), QStringLiteral("12 MG Road ")},
        {QStringLiteral("circle"), QStringLiteral("KERALA")},
        {QStringLiteral("CBA"), QStringLiteral("0")},
        {QStringLiteral("PAID"), QStringLiteral("YES")},
        {QStringLiteral("nas_ip"), QStringLiteral("ims.kl.vuva.example.net/201")},
        {QStringLiteral("OTC"), QStringLiteral("10.1.1.5")},
        {QStringLiteral("BA"), QStringLiteral("1000000001")},
        {QStringLiteral("indicator"), QStringLiteral("KLM000001")},
        {QStringLiteral("status"), QStringLiteral("active")},
        {QStringLiteral("policy"), QStringLiteral("Vuva_FTTH_100M")},
        {QStringLiteral("EMAIL"), QStringLiteral("ravi@mail.example.com")},
        {QStringLiteral("PORT"), QStringLiteral("GPON 0/1/2:3")},
        {QStringLiteral("SERVICE"), QStringLiteral("FTTH")},
        {QStringLiteral("AP"), QStringLiteral("EKM-OLT-1")},
        {QStringLiteral("CLUSTER"), QStringLiteral("ERNAKULAM")},
    };
    for (auto it = values.begin(); it != values.end(); ++it)
        row.insert(it.key(), it.value());
    QStringList columns;
    QStringList marks;
    QVariantList params;
    for (auto it = row.begin(); it != row.end(); ++it) {
        columns << QLatin1Char('[') + it.key() + QLatin1Char(']');
        marks << QStringLiteral("?");
        params << it.value();
    }
    db.exec(QStringLiteral("insert into cdata (%1) values (%2)")
                .arg(columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
            params);
}

// A complaint row; `values` name the columns, the rest stay NULL.
inline void complaint(const support::TestDb& db, const QMap<QString, QString>& values) {
    QStringList columns;
    QStringList marks;
    QVariantList params;
    for (auto it = values.begin(); it != values.end(); ++it) {
        columns << QLatin1Char('[') + it.key() + QLatin1Char(']');
        marks << QStringLiteral("?");
        params << it.value();
    }
    db.exec(QStringLiteral("insert into complain (%1) values (%2)")
                .arg(columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
            params);
}

// An open complaint of the default subscriber, number 7, every text with
// blanks around it, so reads that trim and reads that do not differ.
inline void openComplaint(const support::TestDb& db) {
    complaint(db, {{QStringLiteral("id"), QStringLiteral("7")},
                   {QStringLiteral("name"), QStringLiteral(" Ravi Kumar ")},
                   {QStringLiteral("mobile"), QStringLiteral(" 9447000001 ")},
                   {QStringLiteral("issue date"), QStringLiteral("2021-12-04 21:05:00")},
                   {QStringLiteral("description"), QStringLiteral(" SIGNAL WEAK ")},
                   {QStringLiteral("status"), QStringLiteral(" NEW ")},
                   {QStringLiteral("close date"), QStringLiteral("1990-04-04 00:00:00")},
                   {QStringLiteral("ssa"), QStringLiteral(" ERNAKULAM ")},
                   {QStringLiteral("fe"), QStringLiteral(" Anil ")},
                   {QStringLiteral("fe mob"), QStringLiteral(" 9400000001 ")},
                   {QStringLiteral("pending"), QStringLiteral("0")},
                   {QStringLiteral("address"), QStringLiteral(" 12 MG Road ")},
                   {QStringLiteral("user id"), QStringLiteral("kl0000001")},
                   {QStringLiteral("circle"), QStringLiteral(" KERALA ")},
                   {QStringLiteral("ap"), QStringLiteral("EKM-OLT-1")},
                   {QStringLiteral("ne"), QStringLiteral("NOC1")},
                   {QStringLiteral("cat"), QStringLiteral(" WIRE DOWN ")},
                   {QStringLiteral("srv"), QStringLiteral("FTTH")}});
}

} // namespace fixture
