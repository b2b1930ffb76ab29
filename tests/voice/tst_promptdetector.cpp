#include "PromptDetector.h"
#include "SyntheticLine.h"

#include <QTest>

using Times = QList<qint64>;
Q_DECLARE_METATYPE(SyntheticLine)

class TestPromptDetector : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findsPrompts_data();
    void findsPrompts();
    void reportsTheLevel();
};

namespace {

struct Heard {
    Times starts;
    Times ends;
    Times endsEmittedAt; // less the silence rule: the prompt's end as the emission tells it
    Times tooLong;
    QList<double> levels;
};

// Feeds the line in 20 ms reads, as the modem's stream comes, and notes every signal.
Heard listen(const SyntheticLine& line)
{
    PromptDetector detector;
    Heard heard;
    QObject::connect(&detector, &PromptDetector::promptStarted,
                     [&](qint64 at) { heard.starts << at; });
    QObject::connect(&detector, &PromptDetector::promptEnded, [&](qint64 at) {
        heard.ends << at;
        heard.endsEmittedAt << detector.audioTimeMs() - PromptTimings().silenceMs;
    });
    QObject::connect(&detector, &PromptDetector::promptTooLong,
                     [&](qint64 at) { heard.tooLong << at; });
    QObject::connect(&detector, &PromptDetector::levelChanged,
                     [&](double dbfs) { heard.levels << dbfs; });
    for (qsizetype at = 0; at < line.samples().size(); at += 160)
        detector.process(line.samples().mid(at, 160));
    return heard;
}

// The times, each replaced by the expected one where it lies within a frame of it, so that a
// comparison shows both lists when one is off.
Times snapped(Times actual, const Times& expected)
{
    for (qsizetype i = 0; i < std::min(actual.size(), expected.size()); ++i) {
        if (qAbs(actual[i] - expected[i]) <= PromptDetector::FrameMs)
            actual[i] = expected[i];
    }
    return actual;
}

// A prompt of ms at dbfs after a second of the noise, and a second and a half after it.
SyntheticLine prompt(double noiseDbfs, int ms, double dbfs)
{
    return SyntheticLine().setNoise(noiseDbfs).silence(1000).speech(ms, dbfs).silence(1500);
}

void addRow(const char* name, const SyntheticLine& line, const Times& starts = {},
            const Times& ends = {}, const Times& tooLong = {})
{
    QTest::newRow(name) << line << starts << ends << tooLong;
}

} // namespace

void TestPromptDetector::findsPrompts_data()
{
    QTest::addColumn<SyntheticLine>("line");
    QTest::addColumn<Times>("starts");
    QTest::addColumn<Times>("ends");
    QTest::addColumn<Times>("tooLong");

    const int japan = 400;
    const SyntheticLine line = SyntheticLine().setNoise(-60);
    addRow("one prompt, its end inside a frame", prompt(-60, 3010, -20), {1000}, {4010});
    addRow(
        "two sentences 400 ms apart are one prompt",
        SyntheticLine(line).silence(1000).speech(1600, -20).silence(400).speech(1400, -20).silence(
            1500),
        {1000}, {4400});
    addRow(
        "two prompts 1 s apart",
        SyntheticLine(line).silence(1000).speech(1200, -20).silence(1000).speech(1400, -20).silence(
            1500),
        {1000, 3200}, {2200, 4600});
    addRow("50 Hz hum all through",
           SyntheticLine().setNoise(-70).tones(6000, 0, 1, {50, 150, 250}, -30));
    addRow("60 Hz hum and line noise",
           SyntheticLine().setNoise(-45).tones(6000, 0, 1, {60, 180, 300}, -40));
    addRow("line 18 dB noisier and staying so, then a prompt",
           SyntheticLine(line).silence(2000).setNoise(-42).silence(4000).speech(2000, -15).silence(
               1500),
           {6000}, {8000});
    addRow("ringback in Japan, 16 Hz modulation",
           SyntheticLine(line).tones(1000, 2000, 3, {japan}, -18, 16));
    addRow("ringback 440+480 Hz", SyntheticLine(line).tones(2000, 4000, 2, {440, 480}, -18));
    addRow("busy tone", SyntheticLine(line).tones(500, 500, 6, {japan}, -15));
    addRow("greeting after a ringback",
           SyntheticLine(line)
               .tones(1000, 2000, 2, {japan}, -18, 16)
               .silence(300)
               .speech(2500, -20)
               .silence(1500),
           {6300}, {8800});
    addRow("quiet line at -70 dBFS", prompt(-70, 2000, -40), {1000}, {3000});
    addRow("loud noisy line at -35 dBFS", prompt(-35, 2000, -12), {1000}, {3000});
    addRow("prompt longer than 60 s", prompt(-60, 62000, -20), {1000}, {63000}, {61000});
}

void TestPromptDetector::findsPrompts()
{
    QFETCH(SyntheticLine, line);
    QFETCH(Times, starts);
    QFETCH(Times, ends);
    QFETCH(Times, tooLong);

    const Heard heard = listen(line);

    QCOMPARE(snapped(heard.starts, starts), starts);
    QCOMPARE(snapped(heard.ends, ends), ends);
    QCOMPARE(snapped(heard.endsEmittedAt, ends), ends);
    QCOMPARE(snapped(heard.tooLong, tooLong), tooLong);
}

void TestPromptDetector::reportsTheLevel()
{
    const Heard heard = listen(SyntheticLine().setNoise(-60).silence(1000).speech(1000, -20));

    QCOMPARE(heard.levels.size(), 20); // every 100 ms
    QCOMPARE_LT(*std::max_element(heard.levels.begin(), heard.levels.begin() + 10), -50.0);
    QCOMPARE_GT(*std::max_element(heard.levels.begin() + 10, heard.levels.end()), -25.0);
}

QTEST_GUILESS_MAIN(TestPromptDetector)
#include "tst_promptdetector.moc"
