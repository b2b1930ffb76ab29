#include "RecordingAudioOutput.h"
#include "SyntheticLine.h"
#include "VoiceDecoder.h"
#include "VoiceReceiver.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const VoiceFormat SignedPcm{0, SampleEncoding::SignedPcm, 8000, QStringLiteral("SIGNED PCM")};
const QByteArray End = VoiceStreamFramer::EndOfStream;

QByteArray streamOf(const SyntheticLine& line)
{
    return line.modemStream([](qint16 sample) { return char(sample >> 8); });
}

} // namespace

class TestVoiceReceiver : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void playsAndReportsTheStream();
    void resumeKeepsTheFloorAndTheAudioTime();

private:
    // In reads of 160 bytes; what followed the stream's end, if it ended.
    QByteArray feed(const QByteArray& stream);

    std::unique_ptr<RecordingAudioOutput> m_output;
    std::unique_ptr<VoiceReceiver> m_receiver;
};

void TestVoiceReceiver::init()
{
    m_output = std::make_unique<RecordingAudioOutput>();
    m_receiver =
        std::make_unique<VoiceReceiver>([this] { return std::move(m_output); }, PromptTimings());
}

QByteArray TestVoiceReceiver::feed(const QByteArray& stream)
{
    QByteArray afterEnd;
    for (qsizetype at = 0; at < stream.size(); at += 160)
        afterEnd += m_receiver->feed(stream.mid(at, 160)).value_or(QByteArray());
    return afterEnd;
}

void TestVoiceReceiver::playsAndReportsTheStream()
{
    RecordingAudioOutput* output = m_output.get();
    QSignalSpy events(m_receiver.get(), &VoiceReceiver::eventHeard);
    QSignalSpy prompts(m_receiver.get(), &VoiceReceiver::promptStarted);
    const QByteArray audio = streamOf(SyntheticLine().setNoise(-60).silence(500).speech(1000, -20));

    feed(audio);
    QVERIFY(m_output); // no sound device is opened before the first receive
    m_receiver->start(SignedPcm);
    const QByteArray afterEnd = feed(audio.left(4000) +
                                     "\x10"
                                     "5" +
                                     audio.mid(4000) +
                                     "\x10~\x10"
                                     "b" +
                                     End + "\r\nOK\r\n");

    QCOMPARE(afterEnd, "\r\nOK\r\n");
    QVERIFY(!m_receiver->feed("after the end")); // no receive runs
    QCOMPARE(events.size(), 3);
    QVERIFY(events.at(0).first().value<VoiceEvent>().isDtmf());
    QCOMPARE(events.at(1).first().value<VoiceEvent>().kind(), VoiceEvent::Kind::Unknown);
    QCOMPARE(events.at(2).first().value<VoiceEvent>().kind(), VoiceEvent::Kind::Busy);
    QCOMPARE(prompts.size(), 1);
    QCOMPARE(m_receiver->audioTimeMs(), 1500);
    const QByteArray unshielded = QByteArray(audio).replace("\x10\x10", "\x10");
    QCOMPARE(output->played, VoiceDecoder(SignedPcm).decode(unshielded));
}

void TestVoiceReceiver::resumeKeepsTheFloorAndTheAudioTime()
{
    RecordingAudioOutput* output = m_output.get();
    QSignalSpy started(m_receiver.get(), &VoiceReceiver::promptStarted);
    QSignalSpy ended(m_receiver.get(), &VoiceReceiver::promptEnded);

    // The line gets noisier during the first receive; the second one starts on that noise.
    m_receiver->start(SignedPcm);
    feed(streamOf(SyntheticLine().setNoise(-45).silence(1000).setNoise(-30).silence(1000)) + End);
    m_receiver->setMuted(true);
    m_receiver->start(SignedPcm);
    feed(streamOf(SyntheticLine(2).setNoise(-30).silence(1000).speech(1000, -10).silence(800)));

    QCOMPARE(output->starts, 1);
    QCOMPARE(output->played.size(), 16000); // the first receive only: the second one is muted
    QCOMPARE(started.size(), 1);
    QCOMPARE_LE(qAbs(started.first().first().toLongLong() - 3000), PromptDetector::FrameMs);
    QCOMPARE(ended.size(), 1);
    QCOMPARE_LE(qAbs(ended.first().first().toLongLong() - 4000), PromptDetector::FrameMs);

    m_receiver->endCall();
    QVERIFY(!output->playing);
    QCOMPARE(m_receiver->audioTimeMs(), 0);
}

QTEST_GUILESS_MAIN(TestVoiceReceiver)
#include "tst_voicereceiver.moc"
