#include "VoiceStreamFramer.h"

#include <QTest>

using Reads = QList<QByteArray>;

class TestVoiceStreamFramer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void unshieldsAtEverySplit_data();
    void unshieldsAtEverySplit();
};

namespace {

// The stream as one read per byte, and split in two at every place (a DLE ends a read at
// some of them).
QList<Reads> waysToRead(const QByteArray& stream)
{
    QList<Reads> ways{{}};
    for (const char c : stream)
        ways.first().append(QByteArray(1, c));
    for (qsizetype split = 0; split <= stream.size(); ++split)
        ways.append(Reads{stream.left(split), stream.mid(split)});
    return ways;
}

} // namespace

void TestVoiceStreamFramer::unshieldsAtEverySplit_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QByteArray>("audio");
    QTest::addColumn<QByteArray>("events");
    QTest::addColumn<QByteArray>("afterEnd");

    QTest::newRow("DLE DLE, DLE SUB, DTMF, end, result")
        << QByteArray("ab\x10\x10"
                      "c\x10\x1a"
                      "d\x10"
                      "5e\x10\x03\r\nOK\r\n")
        << QByteArray("ab\x10"
                      "c\x10\x10"
                      "de")
        << QByteArray("5") << QByteArray("\r\nOK\r\n");
    QTest::newRow("events back to back, unknown ones too, never audio")
        << QByteArray("\x00\x10#\x10"
                      "b\x10~\x10h\xff\x10\x03VCON\r\n",
                      18)
        << QByteArray("\x00\xff", 2) << QByteArray("#b~h") << QByteArray("VCON\r\n");
    QTest::newRow("ETX and SUB alone are audio; after the end, DLE ETX is not read")
        << QByteArray("\x03\x1a\x10\x10\x10\x03\x10\x03OK") << QByteArray("\x03\x1a\x10")
        << QByteArray() << QByteArray("\x10\x03OK");
}

void TestVoiceStreamFramer::unshieldsAtEverySplit()
{
    QFETCH(QByteArray, stream);

    for (const Reads& reads : waysToRead(stream)) {
        VoiceStreamFramer framer;
        VoiceStreamFramer::Output all;
        for (const QByteArray& read : reads) {
            const VoiceStreamFramer::Output output = framer.feed(read);
            QVERIFY(!all.ended || (output.audio.isEmpty() && output.events.isEmpty()));
            all.audio += output.audio;
            all.events += output.events;
            all.afterEnd += output.afterEnd;
            all.ended = all.ended || output.ended;
        }
        QVERIFY2(all.ended && framer.hasEnded(), reads.first().toHex().constData());
        QTEST(all.audio, "audio");
        QTEST(all.events, "events");
        QTEST(all.afterEnd, "afterEnd");
    }
}

QTEST_GUILESS_MAIN(TestVoiceStreamFramer)
#include "tst_voicestreamframer.moc"
