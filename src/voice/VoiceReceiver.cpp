#include "VoiceReceiver.h"

#include "AudioOutputLoader.h"
#include "VoiceLogging.h"

VoiceReceiver::VoiceReceiver(QObject* parent)
    : VoiceReceiver([] { return AudioOutputLoader().createOutput(); }, PromptTimings(), parent)
{
}

VoiceReceiver::VoiceReceiver(OutputFactory createOutput, const PromptTimings& timings,
                             QObject* parent)
    : QObject(parent), m_createOutput(std::move(createOutput)), m_detector(timings)
{
    connect(&m_detector, &PromptDetector::levelChanged, this, &VoiceReceiver::levelChanged);
    connect(&m_detector, &PromptDetector::promptStarted, this, &VoiceReceiver::promptStarted);
    connect(&m_detector, &PromptDetector::promptEnded, this, &VoiceReceiver::promptEnded);
    connect(&m_detector, &PromptDetector::promptTooLong, this, &VoiceReceiver::promptTooLong);
}

VoiceReceiver::~VoiceReceiver() = default;

void VoiceReceiver::start(const VoiceFormat& format)
{
    qCDebug(lcVoice).noquote() << "receive" << format.modemName << format.sampleRate << "at"
                               << audioTimeMs() << "ms";
    openOutput();
    m_framer.reset();
    m_decoder.emplace(format);
    Q_EMIT receiving(isPlaying());
}

std::optional<QByteArray> VoiceReceiver::feed(const QByteArray& bytes)
{
    if (!m_decoder)
        return std::nullopt;
    const VoiceStreamFramer::Output framed = m_framer.feed(bytes);
    play(framed.audio);
    report(framed.events);
    if (!framed.ended)
        return std::nullopt;
    qCDebug(lcVoice) << "stream ended at" << audioTimeMs() << "ms";
    m_decoder.reset();
    return framed.afterEnd;
}

void VoiceReceiver::stop()
{
    m_decoder.reset();
}

void VoiceReceiver::endCall()
{
    stop();
    if (m_output && m_outputOpened)
        m_output->stop();
    m_outputOpened = false;
    m_detector.reset();
}

void VoiceReceiver::setMuted(bool muted)
{
    m_muted = muted;
    if (m_output)
        m_output->setMuted(muted);
}

bool VoiceReceiver::isPlaying() const
{
    return m_output && m_output->isPlaying();
}

void VoiceReceiver::openOutput()
{
    if (!m_output) {
        m_output = m_createOutput();
        m_output->setMuted(m_muted);
    }
    if (m_outputOpened)
        return;
    m_outputOpened = true;
    if (m_output->start())
        qCDebug(lcVoice).noquote() << "playing on" << m_output->deviceName();
    else
        qCDebug(lcVoice) << "no sound device: the call goes on without sound";
}

void VoiceReceiver::play(const QByteArray& audio)
{
    if (audio.isEmpty())
        return;
    const QList<qint16> samples = m_decoder->decode(audio);
    m_output->write(samples);
    m_detector.process(samples);
}

void VoiceReceiver::report(const QByteArray& events)
{
    for (const char code : events) {
        const VoiceEvent event(code);
        qCDebug(lcVoice).noquote() << event.description() << "at" << audioTimeMs() << "ms";
        Q_EMIT eventHeard(event, audioTimeMs());
    }
}
