#include "ReceiveStream.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

using Sound = ReservationService::Sound;

constexpr double RingbackOnMs = 1000;
// A modem reports busy once it has heard the cadence, then every 4 s while it lasts.
constexpr double BusyHeardMs = 2000;
constexpr double BusyRepeatMs = 4000;
constexpr int EscapesPerSecond = 10;
constexpr int PairEvery = 4; // of the escapes, every fourth is two 0x10 bytes in a row
constexpr int LoudSample = 4 * LineAudio::NoiseFloor;

// Whether a mark first reached at firstMs, then every everyMs, lies in (fromMs, toMs].
bool passed(double fromMs, double toMs, double firstMs, double everyMs)
{
    return toMs >= firstMs &&
           std::floor((toMs - firstMs) / everyMs) != std::floor((fromMs - firstMs) / everyMs);
}

} // namespace

ReceiveStream::ReceiveStream(const Format& format, qint64 startMs, const ServiceScript& script,
                             bool reportRingback)
    : m_encoder(format.coding), m_audio(script), m_rate(format.rate), m_startMs(startMs),
      m_nextPieceAt(startMs + PieceMs), m_reportRingback(reportRingback),
      m_escapeSample(m_encoder.sampleSentAs(quint8(Dle)))
{
}

QByteArray ReceiveStream::pump(qint64 nowMs, const ReservationService& line)
{
    const int perByte = m_encoder.samplesPerByte();
    const qint64 due = (nowMs - m_startMs) * m_rate / 1000 / perByte * perByte;
    QByteArray out;
    QList<qint16> samples;
    for (qint64 index = m_sent; index < due; ++index) {
        const ReservationService::Moment moment =
            line.momentAt(double(m_startMs) + double(index) * 1000 / m_rate);
        const std::optional<char> code = index % perByte == 0 ? event(moment) : std::nullopt;
        if (code) {
            out += shielded(m_encoder.encode(samples)) + Dle + *code;
            samples.clear();
        }
        samples.append(withDataLinkEscape(m_audio.sample(moment), index));
    }
    m_sent = qMax(m_sent, due);
    // A receive asked for while tones still play starts when they end.
    m_nextPieceAt = m_startMs + (qMax<qint64>(0, nowMs - m_startMs) / PieceMs + 1) * PieceMs;
    return out + shielded(m_encoder.encode(samples));
}

bool ReceiveStream::endRequested(char byte)
{
    if (m_dleFromDte) {
        m_dleFromDte = false;
        return byte == '!';
    }
    m_dleFromDte = byte == Dle;
    return false;
}

QByteArray ReceiveStream::shielded(const QByteArray& data)
{
    QByteArray out;
    for (qsizetype i = 0; i < data.size(); ++i) {
        if (data[i] != Dle) {
            out += data[i];
        } else if (i + 1 < data.size() && data[i + 1] == Dle) {
            out.append(Dle).append(Sub);
            ++i;
        } else {
            out.append(Dle).append(Dle);
        }
    }
    return out;
}

std::optional<char> ReceiveStream::event(const ReservationService::Moment& moment)
{
    const ReservationService::Moment before = std::exchange(m_previous, moment);
    if (moment.sound == Sound::Busy && before.sound != Sound::Busy)
        return 'l';
    if (moment.sound != before.sound)
        return std::nullopt;
    if (moment.sound == Sound::Ringback && m_reportRingback &&
        passed(before.offsetMs, moment.offsetMs, RingbackOnMs, ReservationService::RingbackCycleMs))
        return 'r';
    if (moment.sound == Sound::Busy &&
        passed(before.offsetMs, moment.offsetMs, BusyHeardMs, BusyRepeatMs))
        return 'b';
    return std::nullopt;
}

// Ten times a second a loud sample becomes the one sent as 0x10, every fourth time two in a
// row; quiet moments are left alone, so silence stays silence.
qint16 ReceiveStream::withDataLinkEscape(qint16 sample, qint64 index)
{
    const qint64 period = m_rate / EscapesPerSecond;
    const qint64 position = index % period;
    bool escape = false;
    if (position == 0)
        escape = std::abs(sample) >= LoudSample;
    else if (position == 1)
        escape = m_escapedLast && (index / period) % PairEvery == 0;
    m_escapedLast = escape && m_escapeSample;
    return m_escapedLast ? *m_escapeSample : sample;
}
