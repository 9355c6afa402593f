// ZELCRM_RECORD_STATEMENTS collects the statement texts for the T-SQL
// grammar check: each distinct text once, as sent, with the server's
// variant standing for every SQLite-only one.
#include "db/dialect.h"
#include "db/grid_model.h"
#include "db/screen_db.h"
#include "support/test_db.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

class TestStatementRecorder : public QObject {
    Q_OBJECT

private slots:
    void recordsEachTextOnceAsTheServerWouldGetIt() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("statements.jsonl"));
        // Read once, at the first statement of the process.
        qputenv("ZELCRM_RECORD_STATEMENTS", file.toUtf8());
        support::TestDb testDb;
        db::ScreenDb s(testDb.settings());
        s.open();
        const QString update = QStringLiteral("update CRM set STATUS=?WHERE CRM_ID=?");
        for (int i = 0; i < 2; ++i) {
            s.execute(update, {db::text(QStringLiteral("it's")), db::text(QStringLiteral("1"))});
            s.query(db::duplicateCandidatesSql(db::Backend::Sqlite),
                    {db::text(QStringLiteral("a%"))});
        }
        s.begin(true);
        db::GridModel grid;
        s.bindGrid(grid, db::yesterdaysOutagesSql(db::Backend::Sqlite));
        s.query(db::yesterdaysOutagesSql(db::Backend::Sqlite) + QStringLiteral(" order by 1"));
        s.query(db::rowsChangedSql(QStringLiteral("SQLite")));
        s.commit();
        s.close();

        QFile recorded(file);
        QVERIFY(recorded.open(QIODevice::ReadOnly));
        QStringList texts;
        for (const QByteArray& line : recorded.readAll().split('\n'))
            if (!line.isEmpty())
                texts << QJsonDocument::fromJson(line).array().at(0).toString();
        QStringList expected = db::serverOnlyTexts();
        expected << QStringLiteral("update CRM set STATUS=? WHERE CRM_ID=?");
        texts.sort();
        expected.sort();
        QCOMPARE(texts, expected);
    }
};

QTEST_GUILESS_MAIN(TestStatementRecorder)
#include "tst_statement_recorder.moc"
