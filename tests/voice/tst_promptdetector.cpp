#include "PromptDetector.h"
#include "SyntheticLine.h"

#include <QTest>

using Times = QList<qint64>;

class TestPromptDetector : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findsPrompts_data();
    void findsPrompts();
    void reportsTheLevel();
};

namespace {

constexpr qint64 Frame = PromptDetector::FrameMs;

struct Heard {
    Times starts;
    Times ends;
    Times endsEmittedAt;
    Times tooLong;
};

// Feeds the line in 20 ms reads, as the modem's stream comes, and notes every signal.
Heard listen(const QList<qint16>& line)
{
    PromptDetector detector;
    Heard heard;
    QObject::connect(&detector, &PromptDetector::promptStarted,
                     [&](qint64 atMs) { heard.starts << atMs; });
    QObject::connect(&detector, &PromptDetector::promptEnded, [&](qint64 atMs) {
        heard.ends << atMs;
        heard.endsEmittedAt << detector.audioTimeMs();
    });
    QObject::connect(&detector, &PromptDetector::promptTooLong,
                     [&](qint64 atMs) { heard.tooLong << atMs; });
    for (qsizetype at = 0; at < line.size(); at += 160)
        detector.process(line.mid(at, 160));
    return heard;
}

// The times, each replaced by the expected one where it lies within a frame of it, so that a
// comparison shows both lists when one is off.
Times snapped(Times actual, const Times& expected)
{
    for (qsizetype i = 0; i < std::min(actual.size(), expected.size()); ++i) {
        if (qAbs(actual[i] - expected[i]) <= Frame)
            actual[i] = expected[i];
    }
    return actual;
}

Times later(Times times, qint64 byMs)
{
    for (qint64& time : times)
        time += byMs;
    return times;
}

} // namespace

void TestPromptDetector::findsPrompts_data()
{
    QTest::addColumn<QList<qint16>>("line");
    QTest::addColumn<Times>("starts");
    QTest::addColumn<Times>("ends");
    QTest::addColumn<Times>("tooLong");

    const int japan = 400;
    QTest::newRow("one prompt")
        << SyntheticLine().setNoise(-60).silence(1000).speech(3000, -20).silence(1500).samples()
        << Times{1000} << Times{4000} << Times{};
    QTest::newRow("two sentences 400 ms apart are one prompt")
        << SyntheticLine()
               .setNoise(-60)
               .silence(1000)
               .speech(1600, -20)
               .silence(400)
               .speech(1400, -20)
               .silence(1500)
               .samples()
        << Times{1000} << Times{4400} << Times{};
    QTest::newRow("two prompts 1 s apart") << SyntheticLine()
                                                  .setNoise(-60)
                                                  .silence(1000)
                                                  .speech(1200, -20)
                                                  .silence(1000)
                                                  .speech(1400, -20)
                                                  .silence(1500)
                                                  .samples()
                                           << Times{1000, 3200} << Times{2200, 4600} << Times{};
    QTest::newRow("50 Hz hum all through")
        << SyntheticLine().setHum(-30, 50).setNoise(-70).silence(6000).samples() << Times{}
        << Times{} << Times{};
    QTest::newRow("60 Hz hum and line noise all through")
        << SyntheticLine().setHum(-40, 60).setNoise(-45).silence(6000).samples() << Times{}
        << Times{} << Times{};
    QTest::newRow("line 18 dB noisier and staying so, then a prompt")
        << SyntheticLine()
               .setNoise(-60)
               .silence(2000)
               .setNoise(-42)
               .silence(4000)
               .speech(2000, -15)
               .silence(1500)
               .samples()
        << Times{6000} << Times{8000} << Times{};
    QTest::newRow("ringback in Japan, 16 Hz modulation")
        << SyntheticLine().setNoise(-60).cadence(1000, 2000, 3, {japan}, -18, 16).samples()
        << Times{} << Times{} << Times{};
    QTest::newRow("ringback 440+480 Hz")
        << SyntheticLine().setNoise(-60).cadence(2000, 4000, 2, {440, 480}, -18).samples()
        << Times{} << Times{} << Times{};
    QTest::newRow("ringback 425 Hz")
        << SyntheticLine().setNoise(-55).cadence(1000, 4000, 2, {425}, -18).samples() << Times{}
        << Times{} << Times{};
    QTest::newRow("busy tone")
        << SyntheticLine().setNoise(-60).cadence(500, 500, 6, {japan}, -15).samples() << Times{}
        << Times{} << Times{};
    QTest::newRow("greeting after a ringback") << SyntheticLine()
                                                      .setNoise(-60)
                                                      .cadence(1000, 2000, 2, {japan}, -18, 16)
                                                      .silence(300)
                                                      .speech(2500, -20)
                                                      .silence(1500)
                                                      .samples()
                                               << Times{6300} << Times{8800} << Times{};
    QTest::newRow("quiet line at -70 dBFS")
        << SyntheticLine().setNoise(-70).silence(1000).speech(2000, -40).silence(1500).samples()
        << Times{1000} << Times{3000} << Times{};
    QTest::newRow("loud noisy line at -35 dBFS")
        << SyntheticLine().setNoise(-35).silence(1000).speech(2000, -12).silence(1500).samples()
        << Times{1000} << Times{3000} << Times{};
    QTest::newRow("prompt longer than 60 s")
        << SyntheticLine().setNoise(-60).silence(1000).speech(62000, -20).silence(1000).samples()
        << Times{1000} << Times{63000} << Times{61000};
}

void TestPromptDetector::findsPrompts()
{
    QFETCH(QList<qint16>, line);
    QFETCH(Times, ends);

    const Heard heard = listen(line);

    QFETCH(Times, starts);
    QCOMPARE(snapped(heard.starts, starts), starts);
    QCOMPARE(snapped(heard.ends, ends), ends);
    const Times emitted = later(ends, PromptTimings().silenceMs);
    QCOMPARE(snapped(heard.endsEmittedAt, emitted), emitted);
    QFETCH(Times, tooLong);
    QCOMPARE(snapped(heard.tooLong, tooLong), tooLong);
}

void TestPromptDetector::reportsTheLevel()
{
    PromptDetector detector;
    QList<qint64> times;
    QList<double> levels;
    connect(&detector, &PromptDetector::levelChanged, [&](double dbfs) {
        times << detector.audioTimeMs();
        levels << dbfs;
    });
    detector.process(SyntheticLine().setNoise(-60).silence(1000).speech(1000, -20).samples());

    QCOMPARE(levels.size(), 20);
    for (qsizetype i = 1; i < times.size(); ++i)
        QCOMPARE_GE(times[i] - times[i - 1], 50);
    QCOMPARE_LT(*std::max_element(levels.begin(), levels.begin() + 10), -50.0);
    QCOMPARE_GT(*std::max_element(levels.begin() + 10, levels.end()), -25.0);
}

QTEST_GUILESS_MAIN(TestPromptDetector)
#include "tst_promptdetector.moc"
