#include "oltd/session/terminal_text.h"

#include <QTest>

class TestTerminalText : public QObject {
    Q_OBJECT
private slots:
    void cleans_data();
    void cleans();
};

void TestTerminalText::cleans_data() {
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("text");
    const QByteArray bs8(8, '\b'), blank8(8, ' '), blank37(37, ' ');
    QTest::addRow("zte pager erased in place")
        << "  1/2/3:7  enable\r\n--More--" + bs8 + blank8 + bs8 + "  1/2/3:8  disable\r\n"
        << QStringLiteral("  1/2/3:7  enable\n  1/2/3:8  disable\n");
    QTest::addRow("huawei pager erased in place")
        << "  ONT-ID  : 5\r\n---- More ( Press 'Q' to break ) ----\x1b[37D" + blank37 +
               "\x1b[37D  Run state : online\r\n"
        << QStringLiteral("  ONT-ID  : 5\n  Run state : online\n");
    QTest::addRow("huawei blank and cursor-left pairs in an echo")
        << QByteArray("VLG-MA5608T#display ont  \x1b[1Dinfo 0 1 2 5 \x1b[1D\r\n")
        << QStringLiteral("VLG-MA5608T#display ont info 0 1 2 5\n");
    QTest::addRow("colours and erase to end")
        << QByteArray("\x1b[1;32mup\x1b[0m   \x1b[K\r\nold text\r\x1b[Knew\r\n")
        << QStringLiteral("up\nnew\n");
    QTest::addRow("LF, CR LF and LF CR end lines; blanks trimmed")
        << QByteArray("a \nb\t\r\nc  \n\rd\r\n \r\n") << QStringLiteral("a\nb\nc\nd\n\n");
    QTest::addRow("escape cut off at the end shows nothing yet")
        << QByteArray("VLG-MA5608T#\x1b[3") << QStringLiteral("VLG-MA5608T#");
}

void TestTerminalText::cleans() {
    QFETCH(QByteArray, raw);
    QFETCH(QString, text);
    QCOMPARE(oltd::terminalText(raw), text);
}

QTEST_GUILESS_MAIN(TestTerminalText)
#include "tst_terminal_text.moc"
