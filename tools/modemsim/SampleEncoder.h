#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

// Turns 16-bit linear samples into the bytes of a voice modem's compression method: 8-bit
// unsigned or signed PCM, G.711 µ-law or A-law, or IMA ADPCM (4 bits, two samples a byte, the
// first in the low nibble). ADPCM keeps its predictor from one call to the next.
class SampleEncoder {
public:
    enum class Coding { UnsignedPcm, SignedPcm, MuLaw, ALaw, ImaAdpcm };

    explicit SampleEncoder(Coding coding);

    int samplesPerByte() const { return m_coding == Coding::ImaAdpcm ? 2 : 1; }
    // ADPCM takes an even count.
    QByteArray encode(const QList<qint16>& samples);
    // A sample that this coding sends as the byte; none for ADPCM, whose bytes depend on the
    // samples before.
    std::optional<qint16> sampleSentAs(quint8 byte) const;

private:
    quint8 encodeOne(qint16 sample) const;
    quint8 encodeAdpcm(qint16 sample);

    Coding m_coding;
    int m_predicted = 0;
    int m_stepIndex = 0;
};
