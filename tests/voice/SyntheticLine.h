#pragma once

#include <QByteArray>
#include <QList>

#include <initializer_list>
#include <random>

// Audio of a telephone line made up for the voice tests and benchmark, at 8000 samples/s:
// white noise that runs under everything, and in front of it speech-like prompts, pauses and
// tones. Levels are RMS in dBFS.
class SyntheticLine {
public:
    explicit SyntheticLine(unsigned seed = 1);

    // The noise from here on.
    SyntheticLine& setNoise(double dbfs);
    SyntheticLine& silence(int ms);
    // Voiced sound with its harmonics and some breath under 5 syllables a second; it starts
    // and stops at a quiet point between two syllables, a quarter of the peak.
    SyntheticLine& speech(int ms, double dbfs);
    // Bursts of a steady tone (one or more frequencies, amplitude-modulated by modulationHz
    // unless 0), each followed by its pause.
    SyntheticLine& tones(int onMs, int offMs, int bursts, std::initializer_list<int> frequencies,
                         double dbfs, int modulationHz = 0);

    const QList<qint16>& samples() const { return m_samples; }
    qint64 lengthMs() const { return m_samples.size() / 8; }
    // The samples as a modem streams them: each coded to one byte, 0x10 shielded as DLE DLE,
    // without the DLE ETX at the end.
    QByteArray modemStream(char (*code)(qint16)) const;

private:
    void append(double foreground);

    std::mt19937 m_random;
    std::normal_distribution<double> m_gauss{0.0, 1.0};
    double m_noiseRms = 0;
    QList<qint16> m_samples;
};
