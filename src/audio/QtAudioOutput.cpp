#include "QtAudioOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

#include <algorithm>

namespace {

constexpr int SampleRate = 8000;
// A quarter of a second queued at most: enough to ride over a late read, short enough that
// the user hears the service without a noticeable lag.
constexpr qsizetype BufferBytes = SampleRate * qsizetype(sizeof(qint16)) / 4;

QAudioFormat callFormat()
{
    QAudioFormat format;
    format.setSampleRate(SampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}

} // namespace

QtAudioOutput::QtAudioOutput() = default;

QtAudioOutput::~QtAudioOutput()
{
    stop();
}

bool QtAudioOutput::start()
{
    stop();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull() || !device.isFormatSupported(callFormat()))
        return false;
    m_sink = std::make_unique<QAudioSink>(device, callFormat());
    m_sink->setBufferSize(BufferBytes);
    m_stream = m_sink->start();
    m_deviceName = device.description();
    return isPlaying();
}

void QtAudioOutput::stop()
{
    if (m_sink)
        m_sink->stop();
    m_stream = nullptr;
    m_sink.reset();
    m_deviceName.clear();
}

void QtAudioOutput::write(const QList<qint16>& samples)
{
    if (m_muted || !isPlaying())
        return;
    const qsizetype room = m_sink->bytesFree() & ~qsizetype(1); // whole samples only
    const qsizetype bytes = std::min(room, samples.size() * qsizetype(sizeof(qint16)));
    if (bytes > 0)
        m_stream->write(reinterpret_cast<const char*>(samples.constData()), bytes);
}

bool QtAudioOutput::isPlaying() const
{
    return m_stream && m_sink->error() == QAudio::NoError &&
           m_sink->state() != QAudio::StoppedState;
}
