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

} // namespace

SyntheticLine::SyntheticLine(unsigned seed) : m_random(seed) {}

SyntheticLine& SyntheticLine::setNoise(double dbfs)
{
    m_noiseRms = amplitudeOf(dbfs);
    return *this;
}

SyntheticLine& SyntheticLine::silence(int ms)
{
    for (int i = 0; i < ms * Rate / 1000; ++i)
        append(0);
    return *this;
}

SyntheticLine& SyntheticLine::speech(int ms, double dbfs)
{
    // Twelve harmonics falling with their order and some breath: RMS 0.93 at full envelope.
    // The pitch wanders between 110 and 150 Hz as a voice does.
    const double scale = amplitudeOf(dbfs) / 0.93;
    double phase = 0;
    for (int i = 0; i < ms * Rate / 1000; ++i) {
        const double t = double(i) / Rate;
        const double syllable = std::sin(Pi * t * 1000.0 / SyllableMs);
        phase += 2 * Pi * (130 + 20 * std::sin(2 * Pi * 0.7 * t)) / Rate;
        double voiced = 0;
        for (int harmonic = 1; harmonic <= 12; ++harmonic)
            voiced += std::sin(harmonic * phase) / harmonic;
        append(scale * (0.25 + 0.75 * syllable * syllable) * (voiced + 0.3 * m_gauss(m_random)));
    }
    return *this;
}

SyntheticLine& SyntheticLine::tones(int onMs, int offMs, int bursts,
                                    std::initializer_list<int> frequencies, double dbfs,
                                    int modulationHz)
{
    // Modulation to depth d raises the RMS by the square root of 1 + d * d / 2.
    const double depth = modulationHz ? 0.8 : 0.0;
    const double peak = amplitudeOf(dbfs) * std::sqrt(2.0 / double(frequencies.size())) /
                        std::sqrt(1 + depth * depth / 2);
    for (int burst = 0; burst < bursts; ++burst) {
        for (int i = 0; i < onMs * Rate / 1000; ++i) {
            const double t = double(i) / Rate;
            double sum = 0;
            for (const int frequency : frequencies)
                sum += std::sin(2 * Pi * frequency * t);
            append(peak * sum * (1.0 + depth * std::sin(2 * Pi * modulationHz * t)));
        }
        silence(offMs);
    }
    return *this;
}

QByteArray SyntheticLine::modemStream(char (*code)(qint16)) const
{
    QByteArray stream;
    for (const qint16 sample : m_samples) {
        stream.append(code(sample));
        if (stream.back() == 0x10)
            stream.append(char(0x10));
    }
    return stream;
}

void SyntheticLine::append(double foreground)
{
    const double value = std::round(foreground + m_noiseRms * m_gauss(m_random));
    m_samples.append(qint16(std::clamp(value, -32768.0, 32767.0)));
}
