#pragma once

#include "ReservationService.h"

#include <QList>
#include <QRandomGenerator>

// What the line carries, as 16-bit linear samples one after another: dial tone, Japan's
// ringback (400 Hz modulated at 16 Hz, 1 s on, 2 s off) and busy tone, the prompts as noise
// bursts under a syllable envelope (syllables at 4-6 Hz, words 100-400 ms apart), and between
// them a quiet line whose noise floor is low but never digital silence.
class LineAudio {
public:
    static constexpr int SpeechPeak = 12000;
    static constexpr int NoiseFloor = 300; // peak; about 40 dB under the speech

    explicit LineAudio(const ServiceScript& script);

    qint16 sample(const ReservationService::Moment& moment);

private:
    struct Syllable {
        double startMs;
        double lengthMs;
    };

    static QList<Syllable> syllables(int step, int promptMs);
    double speechEnvelope(int step, double offsetMs) const;
    double noise();

    QList<QList<Syllable>> m_syllables; // per step
    QRandomGenerator m_random;
};
