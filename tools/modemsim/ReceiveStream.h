#pragma once

#include "LineAudio.h"
#include "ReservationService.h"
#include "SampleEncoder.h"

#include <QByteArray>

#include <optional>

// The voice receive state (+VRX): what the line carries, in the chosen coding and rate, in
// real time by the clock the caller passes in. Data bytes 0x10 are shielded (DLE DLE, two in a
// row DLE SUB), and the events a modem detects on the line are reported between them as DLE and
// a letter: "r" ringback (when asked for), "l" loop current interruption when the far end
// hangs up, then "b" busy every 4 s. Loud moments of the audio deliberately carry 0x10 bytes.
class ReceiveStream {
public:
    static constexpr char Dle = 0x10;
    static constexpr char Etx = 0x03;
    static constexpr char Sub = 0x1a;
    static constexpr int PieceMs = 20;

    struct Format {
        SampleEncoder::Coding coding;
        int rate;
    };

    ReceiveStream(const Format& format, qint64 startMs, const ServiceScript& script,
                  bool reportRingback);

    // The samples due since the last call, shielded, with the events among them.
    QByteArray pump(qint64 nowMs, const ReservationService& line);
    qint64 nextPieceAt() const { return m_nextPieceAt; }
    // Takes one byte from the DTE; true when it ends the receive (DLE !). Anything else is
    // ignored, as in the receive state.
    bool endRequested(char byte);

    static QByteArray shielded(const QByteArray& data);

private:
    std::optional<char> event(const ReservationService::Moment& moment);
    qint16 withDataLinkEscape(qint16 sample, qint64 index);

    SampleEncoder m_encoder;
    LineAudio m_audio;
    int m_rate;
    qint64 m_startMs;
    qint64 m_nextPieceAt;
    bool m_reportRingback;
    qint64 m_sent = 0; // samples
    ReservationService::Moment m_previous;
    std::optional<qint16> m_escapeSample;
    bool m_escapedLast = false;
    bool m_dleFromDte = false;
};
