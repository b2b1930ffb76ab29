#include "ScheduledStart.h"
#include "ScriptedMessageBoxes.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <optional>

namespace {

using Answer = MessageBoxes::Answer;
// Wall clock settings one after another, in milliseconds after the time (before it: negative).
using ClockMoves = QList<qint64>;

const QDateTime Time(QDate(2024, 6, 12), QTime(12, 30));
// Long enough for several wakes of the test's monotonic timer.
constexpr int FewWakesMs = 20;

// The time comes while the question is open, as it may while a user reads it.
class SlowAnswerBoxes : public ScriptedMessageBoxes {
public:
    explicit SlowAnswerBoxes(QDateTime& clock) : m_clock(clock) {}
    Answer show(QWidget* parent, const QString& title, const QString& text,
                Buttons buttons) override
    {
        m_clock = Time;
        QTest::qWait(FewWakesMs);
        return ScriptedMessageBoxes::show(parent, title, text, buttons);
    }

private:
    QDateTime& m_clock;
};

} // namespace

Q_DECLARE_METATYPE(Answer)

// Against a wall clock the test sets, the timer waking every 2 ms; once against the real clock.
class TestScheduledStart : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_now = Time.addSecs(-2);
        m_schedule.emplace([this] { return m_now; }, std::chrono::milliseconds(2));
        m_started.emplace(&*m_schedule, &ScheduledStart::started);
        m_countdown.emplace(&*m_schedule, &ScheduledStart::countdownChanged);
        // A run that waits in an event loop of its own must find nothing left to start.
        connect(&*m_schedule, &ScheduledStart::started, this,
                [this] { QVERIFY(!m_schedule->isScheduled()); });
        m_schedule->schedule(Time);
    }

    void startsOnceWhenTheWallClockSaysSo_data()
    {
        QTest::addColumn<ClockMoves>("moves");
        QTest::addColumn<QList<int>>("starts"); // counted after each move
        QTest::addColumn<int>("cancelAfter"); // the move after which "中止" is pressed; -1: never
        QTest::newRow("on time, never early") << ClockMoves{-1, 0, 1000} << QList{0, 1, 1} << -1;
        QTest::newRow("clock set forward past the time")
            << ClockMoves{-3'600'000, 3'600'000} << QList{0, 1} << -1;
        QTest::newRow("clock set back after the start")
            << ClockMoves{0, -60'000, 0} << QList{1, 1, 1} << -1;
        QTest::newRow("clock set back before the time: the new remaining time")
            << ClockMoves{-1000, -3'600'000, -1, 0} << QList{0, 0, 0, 1} << -1;
        QTest::newRow("中止") << ClockMoves{-1000, 0} << QList{0, 0} << 0;
    }

    void startsOnceWhenTheWallClockSaysSo()
    {
        QFETCH(ClockMoves, moves);
        QFETCH(QList<int>, starts);
        QFETCH(int, cancelAfter);
        QSignalSpy cancelled(&*m_schedule, &ScheduledStart::cancelled);
        for (int i = 0; i < moves.size(); ++i) {
            m_now = Time.addMSecs(moves[i]);
            QTest::qWait(FewWakesMs); // for the moves that must not start it
            QTRY_COMPARE(m_started->size(), starts[i]);
            if (i == cancelAfter)
                m_schedule->cancel();
        }
        QCOMPARE(cancelled.size(), cancelAfter < 0 ? 0 : 1);
        QCOMPARE(m_schedule->isScheduled(), false);
        QCOMPARE(m_countdown->last().first().toString(), QString());
        // Once a second in the status bar, not at every wake.
        for (int i = 1; i < m_countdown->size(); ++i)
            QVERIFY(m_countdown->at(i) != m_countdown->at(i - 1));
    }

    void countdownText_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("text");
        const QDate today = Time.date();
        QTest::newRow("seconds rounded up")
            << QDateTime(today, QTime(12, 25, 0, 500)) << "発信予約 12:30:00 まで 00:05:00";
        QTest::newRow("tomorrow") << QDateTime(today.addDays(-1), QTime(18, 0, 0, 1))
                                  << "発信予約 明日 12:30:00 まで 18:30:00";
        QTest::newRow("days ahead") << QDateTime(today.addDays(-3), QTime(12, 30))
                                    << "発信予約 2024/06/12 12:30:00 まで 72:00:00";
    }

    void countdownText()
    {
        QFETCH(QDateTime, now);
        QFETCH(QString, text);
        m_now = now;
        QTRY_COMPARE(m_countdown->last().first().toString(), text);
    }

    void mayLeave_data()
    {
        QTest::addColumn<bool>("scheduled");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("leaves");
        QTest::newRow("nothing scheduled") << false << Answer::Ok << true;
        QTest::newRow("OK cancels, never starts") << true << Answer::Ok << true;
        QTest::newRow("キャンセル keeps, starts after it") << true << Answer::Cancel << false;
    }

    void mayLeave()
    {
        QFETCH(bool, scheduled);
        QFETCH(Answer, answer);
        QFETCH(bool, leaves);
        SlowAnswerBoxes boxes(m_now);
        if (scheduled)
            boxes.answerNext(answer);
        else
            m_schedule->cancel();
        QCOMPARE(m_schedule->mayLeave(boxes, nullptr), leaves);
        QCOMPARE(boxes.texts(), scheduled
                                    ? QStringList{"終了確認: 発信予約を取り消して終了しますか？"}
                                    : QStringList());
        QCOMPARE(m_started->size(), leaves ? 0 : 1);
        QVERIFY(!m_schedule->isScheduled());
    }

    // Never early, and within 100 ms on an idle machine; the bound leaves room for a busy one.
    void startsOnTimeByTheRealClock()
    {
        ScheduledStart schedule;
        QSignalSpy started(&schedule, &ScheduledStart::started);
        const QDateTime at = QDateTime::currentDateTime().addMSecs(300);
        schedule.schedule(at);
        QVERIFY(started.wait(5000)); // not QTRY: its polling would add lateness of its own
        const qint64 lateMs = at.msecsTo(QDateTime::currentDateTime());
        qInfo("started %lld ms after the time", lateMs);
        QVERIFY(lateMs >= 0 && lateMs <= 500);
    }

private:
    QDateTime m_now;
    std::optional<ScheduledStart> m_schedule;
    std::optional<QSignalSpy> m_started;
    std::optional<QSignalSpy> m_countdown;
};

QTEST_MAIN(TestScheduledStart)
#include "tst_scheduledstart.moc"
