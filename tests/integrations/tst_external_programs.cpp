#include "integrations/external_programs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestExternalPrograms : public QObject {
    Q_OBJECT

private slots:
    // A small script stands in for the browser and writes down what it got.
    void webPagesGoToTheConfiguredBrowser() {
        QTemporaryDir dir;
        const QString got = dir.filePath(QStringLiteral("got"));
        const QString browser = dir.filePath(QStringLiteral("browser"));
        QFile script(browser);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\necho \"$@\" > %1\n").arg(got).toUtf8());
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);

        integrations::DesktopPrograms programs(browser);
        QVERIFY(programs.openUrl(QUrl(QStringLiteral("https://10.0.0.7/?a=b c"))));
        QTRY_VERIFY(QFileInfo(got).size() > 0);
        QFile answer(got);
        QVERIFY(answer.open(QIODevice::ReadOnly));
        QCOMPARE(answer.readAll().trimmed(), QByteArray("https://10.0.0.7/?a=b%20c"));
    }

    void aProgramThatCannotStartIsReported() {
        integrations::DesktopPrograms programs(QStringLiteral("/nonexistent/browser"));
        QVERIFY(!programs.openUrl(QUrl(QStringLiteral("http://10.0.0.7/"))));
        QVERIFY(!programs.start(QStringLiteral("/nonexistent/winbox"), {QStringLiteral("x")}));
    }
};

QTEST_GUILESS_MAIN(TestExternalPrograms)
#include "tst_external_programs.moc"
