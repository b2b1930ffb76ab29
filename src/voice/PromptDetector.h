#pragma once

#include "NoiseFloor.h"
#include "PromptTimings.h"
#include "VoiceFormat.h"

#include <QList>
#include <QObject>

#include <array>

// Tells from the decoded audio of a call when the service's voice prompt starts and ends, in
// 20 ms frames. A frame is speech when its energy stands clearly above the line's noise floor
// and it is no call-progress tone. A prompt starts once speech has lasted timings.speechMs
// and has fallen and risen again as syllables do (a line that only became noisier never
// does); it ends once timings.silenceMs have passed without speech. All times are audio
// time: milliseconds of audio since the last reset().
class PromptDetector : public QObject {
    Q_OBJECT
public:
    static constexpr int FrameMs = 20;

    explicit PromptDetector(const PromptTimings& timings = PromptTimings(),
                            QObject* parent = nullptr);

    // Samples at 8000 samples/s; frames may straddle calls.
    void process(const QList<qint16>& samples);
    // A new call: the floor is learnt again and audio time starts at 0.
    void reset();

    qint64 audioTimeMs() const { return m_sampleCount * 1000 / DecodedSampleRate; }
    // A prompt has started and not ended yet.
    bool isSpeaking() const { return m_state == State::Speaking; }

Q_SIGNALS:
    // When the speech began; emitted once it has lasted long enough to count.
    void promptStarted(qint64 atMs);
    // When the speech stopped; emitted timings.silenceMs later.
    void promptEnded(qint64 atMs);
    // The prompt has been speaking for timings.tooLongMs; once per prompt.
    void promptTooLong(qint64 atMs);
    // The loudest frame's level since the last report, in dBFS (-100 for digital silence).
    void levelChanged(double dbfs);

private:
    enum class State { Quiet, Onset, Speaking };
    static constexpr int FrameSamples = DecodedSampleRate * FrameMs / 1000;

    void analyseFrame();
    bool isSpeechFrame(double frameDb) const;
    void advance(bool speech, double frameDb);
    void beginOnset(double frameDb);
    void followOnset(bool speech, double frameDb);
    void followSpeech(bool speech);
    void reportLevel(double frameDb);

    PromptTimings m_timings;
    NoiseFloor m_floor;
    std::array<qint16, FrameSamples> m_frame{};
    int m_frameFill = 0;
    qint64 m_sampleCount = 0;
    qint64 m_frameEndMs = 0;

    State m_state = State::Quiet;
    qint64 m_speechStartMs = 0;
    qint64 m_lastSpeechEndMs = 0;
    int m_onsetSpeechMs = 0;
    double m_onsetPeakDb = 0;
    double m_onsetDeepestDipDb = 0;
    bool m_tooLongReported = false;

    double m_loudestDb = -100;
    int m_framesSinceLevel = 0;
};
