#include "PromptDetector.h"

#include "CallProgressTones.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double SilenceDb = -100;
// Speech stands this far above the floor; noise frames stay within about 3 dB of it.
constexpr double SpeechMarginDb = 6;
// Within a starting prompt the level falls this far below its peak between two syllables.
constexpr double SyllableDipDb = 8;
// Pauses between the first syllables are shorter than this; edges of tones are further apart.
constexpr int OnsetGapMs = 250;
// Above this share of its energy on a network tone, a frame is a tone, not speech.
constexpr double ToneShareLimit = 0.5;

double levelDb(const qint16* frame, int count)
{
    double energy = 0;
    for (int i = 0; i < count; ++i)
        energy += double(frame[i]) * frame[i];
    const double meanSquare = energy / (double(count) * 32768.0 * 32768.0);
    return meanSquare > 0 ? std::max(SilenceDb, 10 * std::log10(meanSquare)) : SilenceDb;
}

} // namespace

PromptDetector::PromptDetector(const PromptTimings& timings, QObject* parent)
    : QObject(parent), m_timings(timings)
{
}

void PromptDetector::process(const QList<qint16>& samples)
{
    for (const qint16 sample : samples) {
        m_frame[size_t(m_frameFill++)] = sample;
        ++m_sampleCount;
        if (m_frameFill == FrameSamples) {
            m_frameFill = 0;
            analyseFrame();
        }
    }
}

void PromptDetector::reset()
{
    m_floor.reset();
    m_frameFill = 0;
    m_sampleCount = 0;
    m_frameEndMs = 0;
    m_state = State::Quiet;
    m_loudestDb = SilenceDb;
    m_framesSinceLevel = 0;
}

void PromptDetector::analyseFrame()
{
    m_frameEndMs += FrameMs;
    const double frameDb = levelDb(m_frame.data(), FrameSamples);
    const bool loud = m_floor.isKnown() && frameDb > m_floor.level() + SpeechMarginDb;
    const bool tone =
        loud && CallProgressTones::energyShare(m_frame.data(), FrameSamples) > ToneShareLimit;
    // A ringback's steady level must not lift the floor above the greeting that follows it.
    if (!tone)
        m_floor.update(frameDb);
    advance(loud && !tone, frameDb);
    reportLevel(frameDb);
}

void PromptDetector::advance(bool speech, double frameDb)
{
    switch (m_state) {
    case State::Quiet:
        if (speech)
            beginOnset(frameDb);
        break;
    case State::Onset:
        followOnset(speech, frameDb);
        break;
    case State::Speaking:
        followSpeech(speech);
        break;
    }
}

void PromptDetector::beginOnset(double frameDb)
{
    m_state = State::Onset;
    m_speechStartMs = m_frameEndMs - FrameMs;
    m_lastSpeechEndMs = m_frameEndMs;
    m_onsetSpeechMs = FrameMs;
    m_onsetPeakDb = frameDb;
    m_onsetDeepestDipDb = 0;
}

void PromptDetector::followOnset(bool speech, double frameDb)
{
    m_onsetPeakDb = std::max(m_onsetPeakDb, frameDb);
    m_onsetDeepestDipDb = std::max(m_onsetDeepestDipDb, m_onsetPeakDb - frameDb);
    if (!speech) {
        if (m_frameEndMs - m_lastSpeechEndMs > OnsetGapMs)
            m_state = State::Quiet;
        return;
    }
    m_lastSpeechEndMs = m_frameEndMs;
    m_onsetSpeechMs += FrameMs;
    if (m_onsetSpeechMs >= m_timings.speechMs && m_onsetDeepestDipDb >= SyllableDipDb) {
        m_state = State::Speaking;
        m_tooLongReported = false;
        Q_EMIT promptStarted(m_speechStartMs);
    }
}

void PromptDetector::followSpeech(bool speech)
{
    if (speech) {
        m_lastSpeechEndMs = m_frameEndMs;
    } else if (m_frameEndMs - m_lastSpeechEndMs >= m_timings.silenceMs) {
        m_state = State::Quiet;
        Q_EMIT promptEnded(m_lastSpeechEndMs);
        return;
    }
    if (!m_tooLongReported && m_frameEndMs - m_speechStartMs >= m_timings.tooLongMs) {
        m_tooLongReported = true;
        Q_EMIT promptTooLong(m_frameEndMs);
    }
}

void PromptDetector::reportLevel(double frameDb)
{
    m_loudestDb = std::max(m_loudestDb, frameDb);
    if (++m_framesSinceLevel * FrameMs < m_timings.levelIntervalMs)
        return;
    Q_EMIT levelChanged(m_loudestDb);
    m_loudestDb = SilenceDb;
    m_framesSinceLevel = 0;
}
