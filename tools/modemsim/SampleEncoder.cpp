#include "SampleEncoder.h"

#include <QtGlobal>

#include <array>
#include <limits>

namespace {

// G.711 µ-law: bias, then a 3-bit segment and a 4-bit step, all bits inverted.
quint8 muLaw(qint16 sample)
{
    constexpr int Bias = 0x84;
    constexpr int Clip = 32635;
    const int sign = sample < 0 ? 0x80 : 0;
    const int magnitude = qMin(sample < 0 ? -int(sample) : int(sample), Clip) + Bias;
    int segment = 7;
    for (int mask = 0x4000; !(magnitude & mask) && segment > 0; mask >>= 1)
        --segment;
    const int step = (magnitude >> (segment + 3)) & 0x0F;
    return quint8(~(sign | (segment << 4) | step));
}

// G.711 A-law on 13 bits: segment and step, even bits inverted.
quint8 aLaw(qint16 sample)
{
    constexpr std::array<int, 8> SegmentEnds = {0x1F, 0x3F, 0x7F, 0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF};
    int value = sample >> 3;
    const int mask = value >= 0 ? 0xD5 : 0x55;
    if (value < 0)
        value = -value - 1;
    int segment = 0;
    while (segment < 8 && value > SegmentEnds[segment])
        ++segment;
    if (segment == 8)
        return quint8(0x7F ^ mask);
    const int step = (segment < 2 ? value >> 1 : value >> segment) & 0x0F;
    return quint8(((segment << 4) | step) ^ mask);
}

constexpr std::array<int, 16> AdpcmIndexChange = {-1, -1, -1, -1, 2, 4, 6, 8,
                                                  -1, -1, -1, -1, 2, 4, 6, 8};
constexpr std::array<int, 89> AdpcmSteps = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

} // namespace

SampleEncoder::SampleEncoder(Coding coding) : m_coding(coding) {}

QByteArray SampleEncoder::encode(const QList<qint16>& samples)
{
    QByteArray bytes;
    if (m_coding != Coding::ImaAdpcm) {
        for (const qint16 sample : samples)
            bytes.append(char(encodeOne(sample)));
        return bytes;
    }
    for (qsizetype i = 0; i + 1 < samples.size(); i += 2) {
        const quint8 first = encodeAdpcm(samples[i]);
        bytes.append(char(first | (encodeAdpcm(samples[i + 1]) << 4)));
    }
    return bytes;
}

std::optional<qint16> SampleEncoder::sampleSentAs(quint8 byte) const
{
    if (m_coding == Coding::ImaAdpcm)
        return std::nullopt;
    for (int sample = std::numeric_limits<qint16>::min();
         sample <= std::numeric_limits<qint16>::max(); ++sample) {
        if (encodeOne(qint16(sample)) == byte)
            return qint16(sample);
    }
    return std::nullopt;
}

quint8 SampleEncoder::encodeOne(qint16 sample) const
{
    switch (m_coding) {
    case Coding::UnsignedPcm:
        return quint8((sample >> 8) + 128);
    case Coding::SignedPcm:
        return quint8(qint8(sample >> 8));
    case Coding::MuLaw:
        return muLaw(sample);
    case Coding::ALaw:
        return aLaw(sample);
    case Coding::ImaAdpcm:
        break;
    }
    return 0;
}

// The difference to the predicted sample in 4 bits of the current step size, then the
// predictor and step size follow what the decoder will make of those bits.
quint8 SampleEncoder::encodeAdpcm(qint16 sample)
{
    int step = AdpcmSteps[m_stepIndex];
    int difference = sample - m_predicted;
    quint8 code = 0;
    if (difference < 0) {
        code = 8;
        difference = -difference;
    }
    int decoded = step >> 3;
    for (quint8 bit = 4; bit > 0; bit >>= 1, step >>= 1) {
        if (difference >= step) {
            code |= bit;
            difference -= step;
            decoded += step;
        }
    }
    m_predicted = qBound(-32768, m_predicted + ((code & 8) ? -decoded : decoded), 32767);
    m_stepIndex = qBound(0, m_stepIndex + AdpcmIndexChange[code], int(AdpcmSteps.size()) - 1);
    return code;
}
