#include "ReplyScanner.h"

#include <QTest>

class TestReplyScanner : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recognisesReplies_data();
    void recognisesReplies();
    void staysBoundedUnderGarbage();
};

using Chunks = QList<QByteArray>;

void TestReplyScanner::recognisesReplies_data()
{
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<bool>("sawOk");
    QTest::addColumn<QString>("lastResult");

    const QString none;
    QTest::newRow("verbose OK") << Chunks{"\r\nOK\r\n"} << true << none;
    QTest::newRow("OK after the echo") << Chunks{"ATDT1;\r\r\nOK\r\n"} << true << none;
    QTest::newRow("one byte per read") << Chunks{"\r", "\n", "O", "K", "\r", "\n"} << true << none;
    QTest::newRow("lower-case ok") << Chunks{"\r\nok\r\n"} << false << none;
    QTest::newRow("look-alike OKAY") << Chunks{"\r\nOKAY\r\n"} << false << none;
    QTest::newRow("OK without line end") << Chunks{"\r\nOK"} << false << none;
    QTest::newRow("OK LF CR") << Chunks{"OK\n\r"} << false << none;
    QTest::newRow("numeric OK") << Chunks{"0\r"} << false << none;
    QTest::newRow("ERROR") << Chunks{"\r\nERROR\r\n"} << false << "ERROR";
    QTest::newRow("NO CARRIER") << Chunks{"\r\nNO CARRIER\r\n"} << false << "NO CARRIER";
    QTest::newRow("BUSY") << Chunks{"\r\nBUSY\r\n"} << false << "BUSY";
    QTest::newRow("NO DIALTONE") << Chunks{"\r\nNO DIALTONE\r\n"} << false << "NO DIALTONE";
    QTest::newRow("NO ANSWER") << Chunks{"\r\nNO ANSWER\r\n"} << false << "NO ANSWER";
    QTest::newRow("numeric 3") << Chunks{"3\r"} << false << "NO CARRIER";
    QTest::newRow("numeric 4") << Chunks{"4\r"} << false << "ERROR";
    QTest::newRow("numeric 6") << Chunks{"6\r"} << false << "NO DIALTONE";
    QTest::newRow("numeric 7") << Chunks{"7\r"} << false << "BUSY";
    QTest::newRow("numeric 8") << Chunks{"8\r"} << false << "NO ANSWER";
    QTest::newRow("CONNECT with speed")
        << Chunks{"\r\nCONNECT 9600\r\n"} << false << "CONNECT 9600";
    QTest::newRow("result split across reads")
        << Chunks{"\r\nNO DIAL", "TONE\r\n"} << false << "NO DIALTONE";
    QTest::newRow("result without line end yet") << Chunks{"\r\nBUSY"} << false << none;
    QTest::newRow("lower-case error") << Chunks{"\r\nerror\r\n"} << false << none;
    QTest::newRow("result inside a longer line") << Chunks{"xNO DIALTONE\r\n"} << false << none;
    QTest::newRow("result code then OK") << Chunks{"\r\nERROR\r\n\r\nOK\r\n"} << true << "ERROR";
    QTest::newRow("the last result counts")
        << Chunks{"BUSY\r\nNO CARRIER\r\n"} << false << "NO CARRIER";
    QTest::newRow("overlong CONNECT line")
        << Chunks{"CONNECT " + QByteArray(ReplyScanner::maxLineLength, '9') + "\r\n"} << false
        << none;
    QTest::newRow("OK stays seen") << Chunks{"\r\nOK\r\n", "\r\nRING\r\n"} << true << none;
}

void TestReplyScanner::recognisesReplies()
{
    QFETCH(Chunks, chunks);
    QFETCH(bool, sawOk);
    QFETCH(QString, lastResult);

    ReplyScanner scanner;
    for (const QByteArray& chunk : chunks)
        scanner.feed(chunk);

    QCOMPARE(scanner.sawOk(), sawOk);
    QCOMPARE(scanner.lastResult(), lastResult);
}

void TestReplyScanner::staysBoundedUnderGarbage()
{
    ReplyScanner scanner;
    const QByteArray noise = QByteArray("\x01\x7fNO\xffGARBAGE", 12).repeated(4096);
    for (int read = 0; read < 256; ++read) {
        scanner.feed(noise);
        QVERIFY2(scanner.retainedBytes() <= ReplyScanner::maxLineLength + 3,
                 qPrintable(QString::number(scanner.retainedBytes())));
    }
    scanner.feed("\r\nO");
    scanner.feed("K\r\n");
    QVERIFY(scanner.sawOk());
}

QTEST_GUILESS_MAIN(TestReplyScanner)
#include "tst_replyscanner.moc"
