#pragma once

#include <QByteArray>

// Undoes the DLE shielding of a voice receive stream (AT+VRX), whatever the reads it arrives in.
// DLE DLE is one DLE data byte, DLE SUB two; DLE ETX ends the stream, and what follows it is
// the modem's result line, handed back untouched; DLE and any other character is an event
// (DTMF heard, busy tone, the far end hung up, ...) that never reaches the audio.
class VoiceStreamFramer {
public:
    static constexpr char Dle = 0x10;
    static constexpr char Etx = 0x03;
    static constexpr char Sub = 0x1a;
    // What the computer sends to make the modem end a receive, and what ends a stream.
    inline static const QByteArray EndReceive = QByteArrayLiteral("\x10!");
    inline static const QByteArray EndOfStream = QByteArrayLiteral("\x10\x03");

    struct Output {
        QByteArray audio;    // the samples' bytes, shielding undone
        QByteArray events;   // the character of each event, in the order they came
        bool ended = false;  // DLE ETX came in this read
        QByteArray afterEnd; // what followed DLE ETX: not stream data
    };

    // A DLE that ends a read is kept until the next read tells what it stands for. After the
    // stream's end every byte is handed back in afterEnd.
    Output feed(const QByteArray& bytes);
    bool hasEnded() const { return m_ended; }
    // Ready for the next receive.
    void reset();

private:
    // What DLE followed by c stands for; false when it ended the stream.
    bool unshield(char c, Output& output);

    bool m_pendingDle = false;
    bool m_ended = false;
};
