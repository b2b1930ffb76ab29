#pragma once

#include "ServiceScript.h"

#include <QList>
#include <QStringList>

// The booking service at the far end of a call, on a timeline of milliseconds the caller
// passes in: it rings back, answers, speaks each step's prompt and waits for the step's
// digits, and judges whether they came after the prompt or while it still spoke. Keys pressed
// during a prompt cut it short, as voice menus do. Transcript lines come back as strings.
class ReservationService {
public:
    enum class Sound { DialTone, Ringback, Quiet, Speech, Busy };
    struct Moment {
        Sound sound = Sound::DialTone;
        double offsetMs = 0; // since the sound began
        int step = -1;       // whose prompt speaks
    };
    static constexpr int RingbackCycleMs = 3000; // 1 s of tone, 2 s without

    ReservationService(const ServiceScript& script, int ringbackCycles);

    const ServiceScript& script() const { return m_script; }
    bool inCall() const { return m_inCall; }
    qint64 answeredAt() const { return m_answerAt; }

    void dial(qint64 nowMs);
    // Lines for what happened up to now: the service answering, prompts starting, hanging up.
    QStringList advance(qint64 nowMs);
    // When advance() has something to say next; -1: nothing is scheduled.
    qint64 nextEventAt() const;
    // One tone command's digits, played from beginMs to endMs.
    QStringList hearTones(const QString& digits, qint64 beginMs, qint64 endMs);
    // Our side hangs up: the call's summary, nothing if no call was dialled.
    QStringList hangUp();
    Moment momentAt(double ms) const;

private:
    struct Segment {
        qint64 startMs;
        Sound sound;
        int step;
        QString announcement; // the transcript line when it starts, if any
    };
    struct Verdict {
        bool heard = false;
        bool during = false;
    };

    void schedulePrompt(qint64 readyMs);
    void cutAt(qint64 ms);
    QStringList summary() const;

    ServiceScript m_script;
    int m_ringbackCycles;
    bool m_inCall = false;
    qint64 m_answerAt = 0;
    qint64 m_promptEnd = 0; // of the waiting step's prompt
    int m_step = 0;         // the step waiting for its digits
    QList<Segment> m_segments;
    int m_announced = 0;
    QList<Verdict> m_verdicts;
};
