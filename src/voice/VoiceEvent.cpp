#include "VoiceEvent.h"

#include <QByteArray>

#include <array>

namespace {

struct KnownEvent {
    char code;
    VoiceEvent::Kind kind;
    const char* description;
};

constexpr std::array<KnownEvent, 14> KnownEvents{{
    {'b', VoiceEvent::Kind::Busy, "busy tone"},
    {'d', VoiceEvent::Kind::DialTone, "dial tone"},
    {'r', VoiceEvent::Kind::Ringback, "ringback"},
    {'s', VoiceEvent::Kind::Silence, "silence"},
    {'q', VoiceEvent::Kind::Quiet, "quiet"},
    {'c', VoiceEvent::Kind::ModemTone, "calling tone"},
    {'e', VoiceEvent::Kind::ModemTone, "data calling tone"},
    {'a', VoiceEvent::Kind::ModemTone, "answer tone"},
    {'f', VoiceEvent::Kind::ModemTone, "fax or data answer tone"},
    {'h', VoiceEvent::Kind::HangUp, "line current break"},
    {'l', VoiceEvent::Kind::HangUp, "loop current interruption"},
    {'o', VoiceEvent::Kind::Overrun, "receive buffer overrun"},
    {'R', VoiceEvent::Kind::Ring, "ring"},
    {'T', VoiceEvent::Kind::TimingMark, "timing mark"},
}};

bool isDtmfKey(char code)
{
    return (code >= '0' && code <= '9') || code == '*' || code == '#' ||
           (code >= 'A' && code <= 'D');
}

const KnownEvent* knownEvent(char code)
{
    for (const KnownEvent& event : KnownEvents) {
        if (event.code == code)
            return &event;
    }
    return nullptr;
}

} // namespace

VoiceEvent::VoiceEvent(char code) : m_code(code)
{
    if (isDtmfKey(code))
        m_kind = Kind::Dtmf;
    else if (const KnownEvent* event = knownEvent(code))
        m_kind = event->kind;
}

QString VoiceEvent::description() const
{
    if (isDtmf())
        return QStringLiteral("DTMF %1").arg(QLatin1Char(m_code));
    if (const KnownEvent* event = knownEvent(m_code))
        return QString::fromLatin1(event->description);
    return QStringLiteral("unknown 0x%1").arg(quint8(m_code), 2, 16, QLatin1Char('0'));
}
