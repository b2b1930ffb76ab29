#pragma once

#include "LinearResampler.h"
#include "VoiceFormat.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <optional>

// Turns the unshielded bytes of a receive into 16-bit signed samples at 8000 samples/s:
// G.711 mu-law and A-law by their tables, 8-bit PCM shifted up, other rates resampled.
class VoiceDecoder {
public:
    explicit VoiceDecoder(const VoiceFormat& format);

    QList<qint16> decode(const QByteArray& bytes);

    static qint16 decodeSample(SampleEncoding encoding, quint8 byte);

private:
    const std::array<qint16, 256>& m_table;
    std::optional<LinearResampler> m_resampler;
};
