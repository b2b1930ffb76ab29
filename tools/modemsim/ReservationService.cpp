#include "ReservationService.h"

ReservationService::ReservationService(const ServiceScript& script, int ringbackCycles)
    : m_script(script), m_ringbackCycles(ringbackCycles)
{
}

void ReservationService::dial(qint64 nowMs)
{
    m_inCall = true;
    m_segments.clear();
    m_announced = 0;
    m_step = 0;
    m_verdicts = QList<Verdict>(m_script.steps.size());
    if (m_ringbackCycles > 0)
        m_segments.append({nowMs, Sound::Ringback, -1, {}});
    m_answerAt = nowMs + qint64(m_ringbackCycles) * RingbackCycleMs;
    m_segments.append({m_answerAt, Sound::Quiet, -1, QStringLiteral("service on the line")});
    schedulePrompt(m_answerAt);
}

QStringList ReservationService::advance(qint64 nowMs)
{
    QStringList lines;
    for (; m_announced < m_segments.size() && m_segments[m_announced].startMs <= nowMs;
         ++m_announced) {
        if (!m_segments[m_announced].announcement.isEmpty())
            lines << m_segments[m_announced].announcement;
    }
    return lines;
}

qint64 ReservationService::nextEventAt() const
{
    return m_announced < m_segments.size() ? m_segments[m_announced].startMs : -1;
}

QStringList ReservationService::hearTones(const QString& digits, qint64 beginMs, qint64 endMs)
{
    // Before the service answers, and after its last step, nobody listens for digits.
    if (!m_inCall || beginMs < m_answerAt || m_step >= m_script.steps.size())
        return {QStringLiteral("tones %1").arg(digits)};
    const ServiceScript::Step& step = m_script.steps[m_step];
    const bool during = beginMs < m_promptEnd;
    const QString line = QStringLiteral("tones %1 %2")
                             .arg(digits, during ? QStringLiteral("DURING the prompt")
                                                 : QStringLiteral("after the prompt"));
    if (step.digits != ServiceScript::AnyDigits && digits.size() != step.digits)
        return {line + QStringLiteral(": %1 waits for %2 digits").arg(step.name).arg(step.digits)};
    cutAt(beginMs);
    m_verdicts[m_step] = {true, during};
    ++m_step;
    schedulePrompt(endMs);
    return {line};
}

QStringList ReservationService::hangUp()
{
    if (!m_inCall)
        return {};
    m_inCall = false;
    m_segments.clear();
    m_announced = 0;
    return summary();
}

ReservationService::Moment ReservationService::momentAt(double ms) const
{
    // Before the dial, and once the call is over, the exchange's dial tone.
    for (auto segment = m_segments.crbegin(); segment != m_segments.crend(); ++segment) {
        if (segment->startMs <= ms)
            return {segment->sound, ms - double(segment->startMs), segment->step};
    }
    return {Sound::DialTone, ms, -1};
}

void ReservationService::schedulePrompt(qint64 readyMs)
{
    if (m_step >= m_script.steps.size()) {
        if (m_script.hangsUp)
            m_segments.append({readyMs + ServiceScript::DefaultPauseMs, Sound::Busy, -1,
                               QStringLiteral("service hung up")});
        return;
    }
    const ServiceScript::Step& step = m_script.steps[m_step];
    const qint64 start = readyMs + step.pauseMs;
    m_promptEnd = start + step.promptMs;
    if (step.promptMs == 0)
        return;
    m_segments.append({start, Sound::Speech, m_step, QStringLiteral("prompt %1").arg(step.name)});
    m_segments.append({m_promptEnd, Sound::Quiet, -1, {}});
}

// What was still to come is not said; a prompt speaking at that moment stops.
void ReservationService::cutAt(qint64 ms)
{
    while (!m_segments.isEmpty() && m_segments.last().startMs > ms)
        m_segments.removeLast();
    if (!m_segments.isEmpty() && m_segments.last().sound == Sound::Speech)
        m_segments.append({ms, Sound::Quiet, -1, {}});
    m_announced = qMin(m_announced, int(m_segments.size()));
}

QStringList ReservationService::summary() const
{
    QStringList after;
    QStringList during;
    QString missing;
    for (int i = 0; i < m_script.steps.size(); ++i) {
        const QString& name = m_script.steps[i].name;
        if (m_verdicts[i].heard)
            (m_verdicts[i].during ? during : after) << name;
        else if (missing.isEmpty() && i < m_script.acceptedAfter)
            missing = name;
    }
    const auto list = [](const QStringList& names) {
        return names.isEmpty() ? QStringLiteral("none") : names.join(QLatin1Char(' '));
    };
    return {QStringLiteral("summary: after the prompt: %1").arg(list(after)),
            QStringLiteral("summary: DURING the prompt: %1").arg(list(during)),
            missing.isEmpty()
                ? QStringLiteral("summary: 予約受付")
                : QStringLiteral("summary: not accepted, no digits for %1").arg(missing)};
}
