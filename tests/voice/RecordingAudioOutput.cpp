#include "RecordingAudioOutput.h"

bool RecordingAudioOutput::start()
{
    ++m_starts;
    m_playing = true;
    return true;
}

void RecordingAudioOutput::write(const QList<qint16>& samples)
{
    if (m_playing && !m_muted)
        m_played += samples;
}
