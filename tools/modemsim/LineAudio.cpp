#include "LineAudio.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double ToneHz = 400;
constexpr double RingbackModulationHz = 16;
constexpr double ToneLevel = 4000;
constexpr double RingbackOnMs = 1000;
constexpr double BusyCycleMs = 1000;
constexpr double BusyOnMs = 500;
constexpr quint32 LineNoiseSeed = 0x11e;
// Syllables of 170-240 ms make 4.2-5.9 a second; words of 2-5 syllables, 100-400 ms apart,
// so that a prompt never falls silent for long enough to seem over.
constexpr int ShortestSyllableMs = 170;
constexpr int LongestSyllableMs = 240;
constexpr int FewestSyllables = 2;
constexpr int MostSyllables = 5;
constexpr int ShortestWordGapMs = 100;
constexpr int LongestWordGapMs = 400;

double tone(double offsetMs, double hertz)
{
    return std::sin(2 * Pi * hertz * offsetMs / 1000);
}

bool inOnPart(double offsetMs, double cycleMs, double onMs)
{
    return std::fmod(offsetMs, cycleMs) < onMs;
}

} // namespace

LineAudio::LineAudio(const ServiceScript& script) : m_random(LineNoiseSeed)
{
    for (int step = 0; step < script.steps.size(); ++step)
        m_syllables.append(syllables(step, script.steps[step].promptMs));
}

qint16 LineAudio::sample(const ReservationService::Moment& moment)
{
    using Sound = ReservationService::Sound;
    const double offset = moment.offsetMs;
    double value = NoiseFloor * noise();
    switch (moment.sound) {
    case Sound::DialTone:
        value += ToneLevel * tone(offset, ToneHz);
        break;
    case Sound::Ringback:
        if (inOnPart(offset, ReservationService::RingbackCycleMs, RingbackOnMs))
            value +=
                ToneLevel * tone(offset, ToneHz) * (0.5 + 0.5 * tone(offset, RingbackModulationHz));
        break;
    case Sound::Busy:
        if (inOnPart(offset, BusyCycleMs, BusyOnMs))
            value += ToneLevel * tone(offset, ToneHz);
        break;
    case Sound::Speech:
        value += SpeechPeak * speechEnvelope(moment.step, offset) * noise();
        break;
    case Sound::Quiet:
        break;
    }
    return qint16(std::clamp(value, -32768.0, 32767.0));
}

// The same prompt always sounds the same: its plan is seeded by its step.
QList<LineAudio::Syllable> LineAudio::syllables(int step, int promptMs)
{
    QRandomGenerator random(quint32(step) + 1);
    QList<Syllable> plan;
    double ms = 0;
    while (ms < promptMs) {
        const int count = random.bounded(FewestSyllables, MostSyllables + 1);
        for (int i = 0; i < count && ms < promptMs; ++i) {
            const double length = random.bounded(ShortestSyllableMs, LongestSyllableMs + 1);
            plan.append({ms, length});
            ms += length;
        }
        ms += random.bounded(ShortestWordGapMs, LongestWordGapMs + 1);
    }
    if (plan.isEmpty())
        return plan;
    // Stretched or squeezed a little, so that the last syllable ends with the prompt.
    const double scale = promptMs / (plan.last().startMs + plan.last().lengthMs);
    for (Syllable& syllable : plan)
        syllable = {syllable.startMs * scale, syllable.lengthMs * scale};
    return plan;
}

double LineAudio::speechEnvelope(int step, double offsetMs) const
{
    const QList<Syllable>& plan = m_syllables[step];
    const auto next =
        std::upper_bound(plan.begin(), plan.end(), offsetMs,
                         [](double ms, const Syllable& syllable) { return ms < syllable.startMs; });
    if (next == plan.begin())
        return 0;
    const Syllable& syllable = *std::prev(next);
    const double position = (offsetMs - syllable.startMs) / syllable.lengthMs;
    return position < 1 ? std::sin(Pi * position) : 0;
}

double LineAudio::noise()
{
    return m_random.generateDouble() * 2 - 1;
}
