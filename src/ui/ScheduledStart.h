#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

class MessageBoxes;
class QWidget;

// "発信予約": starts the automatic run once, when the wall clock reaches the chosen time.
// The wait runs on a monotonic timer, which a clock change does not move and a suspend stops,
// so it wakes at least once a second and compares with the wall clock each time: a clock set
// forward past the time starts the run at the next wake, a clock set back makes it wait the new
// remaining time, and once started nothing is scheduled any more. Needs no widgets: the window
// shows the countdown, and the question before leaving goes through the message-box seam.
class ScheduledStart : public QObject {
    Q_OBJECT
public:
    using WallClock = std::function<QDateTime()>;

    // longestSleep: how long the wait may go without looking at the wall clock.
    explicit ScheduledStart(WallClock clock = &QDateTime::currentDateTime,
                            std::chrono::milliseconds longestSleep = std::chrono::seconds(1),
                            QObject* parent = nullptr);

    // Replaces any start scheduled before; a time already reached starts at once. An invalid
    // time schedules nothing.
    void schedule(const QDateTime& at);
    bool isScheduled() const { return m_at.isValid(); }

    // For each way of leaving the program: true when nothing is scheduled, or when the user
    // agrees to cancel the start (which is then cancelled).
    bool mayLeave(MessageBoxes& boxes, QWidget* parent);

public Q_SLOTS:
    // "中止"; does nothing when nothing is scheduled.
    void cancel();

Q_SIGNALS:
    // The time is reached. Nothing is scheduled any more when this is emitted, so a run that
    // waits in an event loop of its own is never started again, and may schedule the next one.
    void started();
    // For the status bar, "発信予約 12:30:00 まで 00:04:59", each time the seconds left change;
    // empty when the schedule is over, started or cancelled.
    void countdownChanged(const QString& text);
    void cancelled();

private:
    void wake();
    void start();
    void finish();
    void showCountdown(const QString& text);

    WallClock m_clock;
    std::chrono::milliseconds m_longestSleep;
    QTimer m_timer;
    QDateTime m_at;
    QString m_countdown;
};
