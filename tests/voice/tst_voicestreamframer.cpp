#include "VoiceStreamFramer.h"

#include <QTest>

using Reads = QList<QByteArray>;

class TestVoiceStreamFramer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void unshieldsAtEverySplit_data();
    void unshieldsAtEverySplit();
    void handsBackWhatFollowsTheEnd();
};

namespace {

struct Framed {
    QByteArray audio;
    QByteArray events;
    QByteArray afterEnd;
    int ends = 0;
};

Framed frame(VoiceStreamFramer& framer, const Reads& reads)
{
    Framed framed;
    for (const QByteArray& read : reads) {
        const VoiceStreamFramer::Output output = framer.feed(read);
        framed.audio += output.audio;
        framed.events += output.events;
        framed.afterEnd += output.afterEnd;
        framed.ends += output.ended ? 1 : 0;
    }
    return framed;
}

// The stream as one read, as one read per byte, and split in two at every place.
QList<Reads> waysToRead(const QByteArray& stream)
{
    QList<Reads> ways;
    Reads bytes;
    for (const char c : stream)
        bytes.append(QByteArray(1, c));
    ways.append(bytes);
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

    const QByteArray end = VoiceStreamFramer::EndOfStream;
    QTest::newRow("DLE DLE, DLE SUB, DTMF, end, result")
        << QByteArray("ab\x10\x10"
                      "c\x10\x1a"
                      "d\x10"
                      "5e") +
               end + "\r\nOK\r\n"
        << QByteArray("ab\x10"
                      "c\x10\x10"
                      "de")
        << QByteArray("5") << QByteArray("\r\nOK\r\n");
    QTest::newRow("events back to back, unknown ones too, never audio")
        << QByteArray("\x00\x10#\x10"
                      "b\x10~\x10h\xff",
                      10) +
               end + "VCON\r\n"
        << QByteArray("\x00\xff", 2) << QByteArray("#b~h") << QByteArray("VCON\r\n");
    QTest::newRow("DLE bytes only")
        << QByteArray("\x10\x10\x10\x10\x10\x1a") + end << QByteArray("\x10\x10\x10\x10")
        << QByteArray() << QByteArray();
    QTest::newRow("ETX and SUB without DLE are audio, DLE ETX inside the result is not")
        << QByteArray("\x03\x1a") + end + QByteArray("\x10\x03OK\r\n") << QByteArray("\x03\x1a")
        << QByteArray() << QByteArray("\x10\x03OK\r\n");
}

void TestVoiceStreamFramer::unshieldsAtEverySplit()
{
    QFETCH(QByteArray, stream);

    for (const Reads& reads : waysToRead(stream)) {
        VoiceStreamFramer framer;
        const Framed framed = frame(framer, reads);
        const QByteArray where = "reads: " + reads.first().toHex() + " ...";
        QVERIFY2(framer.hasEnded(), where.constData());
        QCOMPARE(framed.ends, 1);
        QTEST(framed.audio, "audio");
        QTEST(framed.events, "events");
        QTEST(framed.afterEnd, "afterEnd");
    }
}

void TestVoiceStreamFramer::handsBackWhatFollowsTheEnd()
{
    VoiceStreamFramer framer;
    framer.feed(QByteArray("ab\x10"));
    QCOMPARE(framer.feed(QByteArray("\x03O")).afterEnd, QByteArray("O"));
    QCOMPARE(framer.feed(QByteArray("K\x10\x10\r\n")).afterEnd, QByteArray("K\x10\x10\r\n"));

    framer.reset();
    QCOMPARE(framer.feed(QByteArray("\x10\x10x")).audio, QByteArray("\x10x"));
}

QTEST_GUILESS_MAIN(TestVoiceStreamFramer)
#include "tst_voicestreamframer.moc"
