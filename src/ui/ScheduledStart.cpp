#include "ScheduledStart.h"

#include "MessageBoxes.h"

#include <algorithm>

namespace {

constexpr qint64 MsPerSecond = 1000;

// Whole seconds left, rounded up: the countdown shows 00:00:00 only when the run starts.
qint64 secondsLeft(qint64 remainingMs)
{
    return (remainingMs + MsPerSecond - 1) / MsPerSecond;
}

// Until the countdown shows one second less; the remaining time itself in the last second.
std::chrono::milliseconds untilNextSecondShown(qint64 remainingMs)
{
    return std::chrono::milliseconds((remainingMs - 1) % MsPerSecond + 1);
}

// A start on another day than today names its day.
QString dayOf(const QDate& at, const QDate& today)
{
    switch (today.daysTo(at)) {
    case 0:
        return QString();
    case 1:
        return QStringLiteral("明日 ");
    default:
        return at.toString(QStringLiteral("yyyy/MM/dd "));
    }
}

QString countdownText(const QDateTime& at, const QDateTime& now)
{
    const qint64 seconds = secondsLeft(now.msecsTo(at));
    const QChar zero(u'0');
    return QStringLiteral("発信予約 %1%2 まで %3:%4:%5")
        .arg(dayOf(at.date(), now.date()), at.time().toString(QStringLiteral("HH:mm:ss")))
        .arg(seconds / 3600, 2, 10, zero)
        .arg(seconds / 60 % 60, 2, 10, zero)
        .arg(seconds % 60, 2, 10, zero);
}

} // namespace

ScheduledStart::ScheduledStart(WallClock clock, std::chrono::milliseconds longestSleep,
                               QObject* parent)
    : QObject(parent), m_clock(std::move(clock)), m_longestSleep(longestSleep)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ScheduledStart::wake);
}

void ScheduledStart::schedule(const QDateTime& at)
{
    if (!at.isValid())
        return;
    m_at = at;
    wake();
}

bool ScheduledStart::mayLeave(MessageBoxes& boxes, QWidget* parent)
{
    if (!isScheduled())
        return true;
    // The start waits while the user decides: a call dialled behind the question would be
    // hung up again at once if the answer is to leave.
    m_timer.stop();
    const MessageBoxes::Answer answer = boxes.show(
        parent, QStringLiteral("終了確認"), QStringLiteral("発信予約を取り消して終了しますか？"),
        MessageBoxes::Buttons::OkCancel);
    if (answer == MessageBoxes::Answer::Cancel) {
        if (isScheduled())
            wake();
        return false;
    }
    cancel();
    return true;
}

void ScheduledStart::cancel()
{
    if (!isScheduled())
        return;
    finish();
    Q_EMIT cancelled();
}

// Timers may fire early or, after a suspend or a clock change, far from the wall clock's time:
// only the wall clock says whether the time has come.
void ScheduledStart::wake()
{
    const QDateTime now = m_clock();
    const qint64 remainingMs = now.msecsTo(m_at);
    if (remainingMs <= 0) {
        start();
        return;
    }
    showCountdown(countdownText(m_at, now));
    m_timer.start(std::min(untilNextSecondShown(remainingMs), m_longestSleep));
}

void ScheduledStart::start()
{
    finish();
    Q_EMIT started();
}

void ScheduledStart::finish()
{
    m_timer.stop();
    m_at = QDateTime();
    showCountdown(QString());
}

void ScheduledStart::showCountdown(const QString& text)
{
    if (text == m_countdown)
        return;
    m_countdown = text;
    Q_EMIT countdownChanged(text);
}
