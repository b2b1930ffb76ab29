#include "SyntheticLine.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr int Rate = 8000;
constexpr int SyllableMs = 200;

double amplitudeOf(double dbfs)
{
    return 32768.0 * std::pow(10.0, dbfs / 20.0);
}

int samplesIn(int ms)
{
    return ms * Rate / 1000;
}

double secondsAt(int sample)
{
    return double(sample) / Rate;
}

// G.711 mu-law, as the modem codes the line: a 14-bit magnitude biased by 33, a segment
// and four bits of it, all inverted.
quint8 muLawCode(qint16 sample)
{
    int value = sample >> 2;
    const int mask = value < 0 ? 0x7f : 0xff;
    value = std::min(std::abs(value), 8159) + 33;
    int segment = 0;
    while (segment < 8 && value > (0x40 << segment) - 1)
        ++segment;
    if (segment == 8)
        return quint8(0x7f ^ mask);
    return quint8((segment << 4 | ((value >> (segment + 1)) & 0x0f)) ^ mask);
}

} // namespace

SyntheticLine::SyntheticLine(unsigned seed) : m_random(seed) {}

SyntheticLine& SyntheticLine::setNoise(double dbfs)
{
    m_noiseRms = amplitudeOf(dbfs);
    return *this;
}

SyntheticLine& SyntheticLine::setHum(double dbfs, int mainsHz)
{
    m_humRms = amplitudeOf(dbfs);
    m_mainsHz = mainsHz;
    return *this;
}

SyntheticLine& SyntheticLine::silence(int ms)
{
    for (int i = 0; i < samplesIn(ms); ++i)
        append(0);
    return *this;
}

SyntheticLine& SyntheticLine::speech(int ms, double dbfs)
{
    // Twelve harmonics falling with their order and some breath: RMS 0.93 at full envelope.
    // The pitch wanders between 110 and 150 Hz as a voice does.
    const double scale = amplitudeOf(dbfs) / 0.93;
    double phase = 0;
    for (int i = 0; i < samplesIn(ms); ++i) {
        const double t = secondsAt(i);
        const double syllable = std::sin(Pi * t * 1000.0 / SyllableMs);
        const double envelope = 0.25 + 0.75 * syllable * syllable;
        phase += 2 * Pi * (130 + 20 * std::sin(2 * Pi * 0.7 * t)) / Rate;
        double voiced = 0;
        for (int harmonic = 1; harmonic <= 12; ++harmonic)
            voiced += std::sin(harmonic * phase) / harmonic;
        append(scale * envelope * (voiced + 0.3 * m_gauss(m_random)));
    }
    return *this;
}

SyntheticLine& SyntheticLine::tone(int ms, std::initializer_list<int> frequencies, double dbfs,
                                   int modulationHz)
{
    const double peak = amplitudeOf(dbfs) * std::sqrt(2.0 / double(frequencies.size()));
    for (int i = 0; i < samplesIn(ms); ++i) {
        const double t = secondsAt(i);
        double sum = 0;
        for (const int frequency : frequencies)
            sum += std::sin(2 * Pi * frequency * t);
        const double modulation = modulationHz ? std::sin(2 * Pi * modulationHz * t) : 0.0;
        append(peak * sum * (1.0 + 0.8 * modulation) / (modulationHz ? std::sqrt(1.32) : 1.0));
    }
    return *this;
}

SyntheticLine& SyntheticLine::cadence(int onMs, int offMs, int bursts,
                                      std::initializer_list<int> frequencies, double dbfs,
                                      int modulationHz)
{
    for (int burst = 0; burst < bursts; ++burst)
        tone(onMs, frequencies, dbfs, modulationHz).silence(offMs);
    return *this;
}

void SyntheticLine::append(double foreground)
{
    const double value = std::round(foreground + background());
    m_samples.append(qint16(std::clamp(value, -32768.0, 32767.0)));
}

double SyntheticLine::background()
{
    const double t = secondsAt(int(m_samples.size()));
    double hum = 0;
    for (int harmonic = 1; harmonic <= 5; harmonic += 2)
        hum += std::sin(2 * Pi * m_mainsHz * harmonic * t) / harmonic;
    // The odd harmonics 1, 1/3 and 1/5 carry RMS 0.76.
    return m_noiseRms * m_gauss(m_random) + m_humRms / 0.76 * hum;
}

QByteArray SyntheticLine::modemStream(SampleEncoding encoding) const
{
    QByteArray stream;
    stream.reserve(m_samples.size() * 2);
    for (const qint16 sample : m_samples) {
        const char code =
            encoding == SampleEncoding::MuLaw ? char(muLawCode(sample)) : char(sample >> 8);
        stream.append(code);
        if (code == 0x10)
            stream.append(code);
    }
    return stream;
}
