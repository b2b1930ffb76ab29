#include "VoiceStreamFramer.h"

VoiceStreamFramer::Output VoiceStreamFramer::feed(const QByteArray& bytes)
{
    Output output;
    if (m_ended) {
        output.afterEnd = bytes;
        return output;
    }
    output.audio.reserve(bytes.size() + 1);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (m_pendingDle) {
            m_pendingDle = false;
            if (!unshield(c, output)) {
                output.afterEnd = bytes.mid(i + 1);
                break;
            }
        } else if (c == Dle) {
            m_pendingDle = true;
        } else {
            output.audio.append(c);
        }
    }
    return output;
}

void VoiceStreamFramer::reset()
{
    m_pendingDle = false;
    m_ended = false;
}

bool VoiceStreamFramer::unshield(char c, Output& output)
{
    switch (c) {
    case Dle:
        output.audio.append(Dle);
        return true;
    case Sub:
        output.audio.append(2, Dle);
        return true;
    case Etx:
        m_ended = true;
        output.ended = true;
        return false;
    default:
        output.events.append(c);
        return true;
    }
}
