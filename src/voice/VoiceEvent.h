#pragma once

#include <QMetaType>
#include <QString>

// One DLE event of a voice receive: what the modem heard on the line besides the audio.
class VoiceEvent {
public:
    enum class Kind {
        Dtmf,       // 0-9, *, #, A-D
        Busy,       // b
        DialTone,   // d
        Ringback,   // r
        Silence,    // s
        Quiet,      // q
        ModemTone,  // c, a, e, f: a fax or data machine calls or answers
        HangUp,     // h, l: line current broke, the far end hung up
        Overrun,    // o: the modem lost received audio
        Ring,       // R
        TimingMark, // T
        Unknown,    // anything else; to be ignored
    };

    VoiceEvent() = default;
    explicit VoiceEvent(char code);

    char code() const { return m_code; }
    Kind kind() const { return m_kind; }
    bool isDtmf() const { return m_kind == Kind::Dtmf; }
    // For the trace: "DTMF 5", "busy tone", "unknown 0x7e".
    QString description() const;

private:
    char m_code = 0;
    Kind m_kind = Kind::Unknown;
};

Q_DECLARE_METATYPE(VoiceEvent)
