#include "ReplyScanner.h"

#include <QTest>

using Chunks = QList<QByteArray>;

class TestReplyScanner : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recognisesReplies_data();
    void recognisesReplies();
};

void TestReplyScanner::recognisesReplies_data()
{
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<bool>("sawOk");
    QTest::addColumn<QString>("lastResult");

    const QString none;
    QTest::newRow("OK after the echo") << Chunks{"ATDT1;\r\r\nOK\r\n"} << true << none;
    QTest::newRow("one byte per read") << Chunks{"\r", "\n", "O", "K", "\r", "\n"} << true << none;
    QTest::newRow("lower-case ok") << Chunks{"\r\nok\r\n"} << false << none;
    QTest::newRow("look-alike OKAY") << Chunks{"\r\nOKAY\r\n"} << false << none;
    QTest::newRow("numeric OK") << Chunks{"0\r"} << false << none;
    QTest::newRow("numeric 3") << Chunks{"3\r"} << false << "NO CARRIER";
    QTest::newRow("the last result, split across reads")
        << Chunks{"BUSY\r\nNO DIAL", "TONE\r\n"} << false << "NO DIALTONE";
    QTest::newRow("result inside a longer line") << Chunks{"xNO DIALTONE\r\n"} << false << none;
    QTest::newRow("result code, then OK") << Chunks{"ERROR\r\n\r\nOK\r\n"} << true << "ERROR";
    // 12 MB of noise without a line end, then OK: memory stays bounded, OK is still found.
    const QByteArray noise = QByteArray("\x01\x7fNO\xffGARBAGE", 12).repeated(4096);
    QTest::newRow("OK after endless garbage")
        << Chunks(256, noise) + Chunks{"\r\nO", "K\r\n"} << true << none;
}

void TestReplyScanner::recognisesReplies()
{
    QFETCH(Chunks, chunks);

    ReplyScanner scanner;
    for (const QByteArray& chunk : chunks) {
        scanner.feed(chunk);
        QCOMPARE_LE(scanner.retainedBytes(), ReplyScanner::MaxLineLength + 3);
    }

    QTEST(scanner.sawOk(), "sawOk");
    QTEST(scanner.lastResult(), "lastResult");
}

QTEST_GUILESS_MAIN(TestReplyScanner)
#include "tst_replyscanner.moc"
