#pragma once

#include "VoiceFormat.h"

#include <QByteArray>
#include <QList>

#include <initializer_list>
#include <random>

// Audio of a telephone line made up for the prompt detector's tests and benchmark, at 8000
// samples/s: a background (white noise, mains hum) that runs under everything, and in front
// of it speech-like prompts, silence and call-progress tones. Levels are RMS in dBFS.
class SyntheticLine {
public:
    explicit SyntheticLine(unsigned seed = 1);

    // The background from here on.
    SyntheticLine& setNoise(double dbfs);
    SyntheticLine& setHum(double dbfs, int mainsHz);
    SyntheticLine& silence(int ms);
    // Voiced sound with its harmonics and some breath under 5 syllables a second; it starts
    // and stops at a quiet point between two syllables, a quarter of the peak.
    SyntheticLine& speech(int ms, double dbfs);
    // A tone burst, with amplitude modulation when modulationHz is not 0.
    SyntheticLine& tone(int ms, std::initializer_list<int> frequencies, double dbfs,
                        int modulationHz = 0);
    // Bursts of tone, each followed by its pause.
    SyntheticLine& cadence(int onMs, int offMs, int bursts, std::initializer_list<int> frequencies,
                           double dbfs, int modulationHz = 0);

    const QList<qint16>& samples() const { return m_samples; }
    // The samples as a modem streams them: coded (signed PCM or mu-law), 0x10 shielded as
    // DLE DLE, without the DLE ETX at the end.
    QByteArray modemStream(SampleEncoding encoding) const;
    qint64 lengthMs() const { return m_samples.size() / 8; }

private:
    void append(double foreground);
    double background();

    std::mt19937 m_random;
    std::normal_distribution<double> m_gauss{0.0, 1.0};
    double m_noiseRms = 0;
    double m_humRms = 0;
    int m_mainsHz = 50;
    QList<qint16> m_samples;
};
