#include "RecordingAudioOutput.h"
#include "SyntheticLine.h"
#include "VoiceDecoder.h"
#include "VoiceReceiver.h"

#include <QSignalSpy>
#include <QTest>

class TestVoiceReceiver : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void playsAndReportsTheStream_data();
    void playsAndReportsTheStream();
    void resumeKeepsTheFloorAndTheAudioTime();

private:
    void feedInReads(const QByteArray& stream);

    const VoiceFormat m_muLaw{4, SampleEncoding::MuLaw, 8000, QStringLiteral("G711U")};
    RecordingAudioOutput* m_output = nullptr; // owned by m_receiver
    int m_outputsMade = 0;
    std::unique_ptr<VoiceReceiver> m_receiver;
};

void TestVoiceReceiver::init()
{
    m_outputsMade = 0;
    const auto makeOutput = [this] {
        ++m_outputsMade;
        auto output = std::make_unique<RecordingAudioOutput>();
        m_output = output.get();
        return output;
    };
    m_receiver = std::make_unique<VoiceReceiver>(makeOutput, PromptTimings());
}

void TestVoiceReceiver::cleanup()
{
    m_receiver.reset();
}

void TestVoiceReceiver::feedInReads(const QByteArray& stream)
{
    for (qsizetype at = 0; at < stream.size(); at += 160)
        m_receiver->feed(stream.mid(at, 160));
}

void TestVoiceReceiver::playsAndReportsTheStream_data()
{
    QTest::addColumn<bool>("muted");
    QTest::newRow("heard") << false;
    QTest::newRow("muted") << true;
}

void TestVoiceReceiver::playsAndReportsTheStream()
{
    QFETCH(bool, muted);
    QSignalSpy events(m_receiver.get(), &VoiceReceiver::eventHeard);
    QSignalSpy ended(m_receiver.get(), &VoiceReceiver::streamEnded);
    QSignalSpy prompts(m_receiver.get(), &VoiceReceiver::promptStarted);
    m_receiver->setMuted(muted);
    const SyntheticLine line = SyntheticLine().setNoise(-60).silence(500).speech(1000, -20);
    const QByteArray audio = line.modemStream(SampleEncoding::MuLaw);

    m_receiver->feed(audio);
    QCOMPARE(m_outputsMade, 0); // no sound device opened before the first receive
    m_receiver->start(m_muLaw);
    feedInReads(audio.left(4000) +
                "\x10"
                "5" +
                audio.mid(4000) +
                "\x10~\x10"
                "b\x10\x03\r\nOK\r\n");
    m_receiver->feed("after the end");

    QCOMPARE(ended.size(), 1);
    QCOMPARE(ended.first().first().toByteArray(), QByteArray("\r\nOK\r\n"));
    QCOMPARE(events.size(), 3);
    const auto eventAt = [&](int i) { return events.at(i).first().value<VoiceEvent>(); };
    QVERIFY(eventAt(0).isDtmf() && eventAt(0).code() == '5');
    QCOMPARE(eventAt(1).kind(), VoiceEvent::Kind::Unknown);
    QCOMPARE(eventAt(2).kind(), VoiceEvent::Kind::Busy);
    QCOMPARE(prompts.size(), 1);
    QCOMPARE(m_receiver->audioTimeMs(), 1500);
    QVERIFY(!m_receiver->isReceiving());
    QCOMPARE(m_output->played().size(), muted ? 0 : line.samples().size());
}

void TestVoiceReceiver::resumeKeepsTheFloorAndTheAudioTime()
{
    QSignalSpy started(m_receiver.get(), &VoiceReceiver::promptStarted);
    QSignalSpy ended(m_receiver.get(), &VoiceReceiver::promptEnded);
    const QByteArray end = VoiceStreamFramer::EndOfStream;
    SyntheticLine line = SyntheticLine().setNoise(-45);

    // The line gets noisier during the first receive; the second one starts on that noise.
    m_receiver->start(m_muLaw);
    feedInReads(line.silence(1000).setNoise(-30).silence(1000).modemStream(SampleEncoding::MuLaw) +
                end);
    m_receiver->start(m_muLaw);
    feedInReads(
        SyntheticLine(2).setNoise(-30).silence(1000).speech(1000, -10).silence(800).modemStream(
            SampleEncoding::MuLaw));

    QCOMPARE(m_outputsMade, 1);
    QCOMPARE(m_output->starts(), 1);
    QCOMPARE(started.size(), 1);
    QCOMPARE_LE(qAbs(started.first().first().toLongLong() - 3000), 20);
    QCOMPARE(ended.size(), 1);
    QCOMPARE_LE(qAbs(ended.first().first().toLongLong() - 4000), 20);

    m_receiver->endCall();
    QVERIFY(!m_output->isPlaying());
    QCOMPARE(m_receiver->audioTimeMs(), 0);
}

QTEST_GUILESS_MAIN(TestVoiceReceiver)
#include "tst_voicereceiver.moc"
