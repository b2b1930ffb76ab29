#include "VoiceDecoder.h"

namespace {

using Table = std::array<qint16, 256>;

// G.711: the code is inverted; then sign, a 3-bit segment and a 4-bit step within it, on a
// scale biased by 0x84 so that every segment doubles the one before.
constexpr qint16 muLaw(quint8 code)
{
    const int inverted = ~code & 0xff;
    const int magnitude = ((((inverted & 0x0f) << 3) + 0x84) << ((inverted >> 4) & 0x07)) - 0x84;
    return qint16((inverted & 0x80) ? -magnitude : magnitude);
}

// G.711: every other bit is inverted; the sign bit set means positive; segment 0 is linear.
constexpr qint16 aLaw(quint8 code)
{
    const int bits = code ^ 0x55;
    const int segment = (bits >> 4) & 0x07;
    const int step = (bits & 0x0f) << 4;
    const int magnitude = segment == 0 ? step + 8 : (step + 0x108) << (segment - 1);
    return qint16((bits & 0x80) ? magnitude : -magnitude);
}

constexpr qint16 signedPcm(quint8 code)
{
    return qint16(qint8(code) * 256);
}

constexpr qint16 unsignedPcm(quint8 code)
{
    return qint16((code - 128) * 256);
}

template <qint16 (*Decode)(quint8)> constexpr Table tableOf()
{
    Table table{};
    for (int code = 0; code < 256; ++code)
        table[size_t(code)] = Decode(quint8(code));
    return table;
}

constexpr Table MuLawTable = tableOf<muLaw>();
constexpr Table ALawTable = tableOf<aLaw>();
constexpr Table SignedPcmTable = tableOf<signedPcm>();
constexpr Table UnsignedPcmTable = tableOf<unsignedPcm>();

const Table& tableFor(SampleEncoding encoding)
{
    switch (encoding) {
    case SampleEncoding::MuLaw:
        return MuLawTable;
    case SampleEncoding::ALaw:
        return ALawTable;
    case SampleEncoding::UnsignedPcm:
        return UnsignedPcmTable;
    case SampleEncoding::SignedPcm:
        break;
    }
    return SignedPcmTable;
}

} // namespace

VoiceDecoder::VoiceDecoder(const VoiceFormat& format) : m_table(tableFor(format.encoding))
{
    if (format.sampleRate != DecodedSampleRate)
        m_resampler.emplace(format.sampleRate, DecodedSampleRate);
}

QList<qint16> VoiceDecoder::decode(const QByteArray& bytes)
{
    QList<qint16> samples(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        samples[i] = m_table[quint8(bytes[i])];
    if (!m_resampler)
        return samples;
    QList<qint16> resampled;
    m_resampler->process(samples, resampled);
    return resampled;
}

qint16 VoiceDecoder::decodeSample(SampleEncoding encoding, quint8 byte)
{
    return tableFor(encoding)[byte];
}
