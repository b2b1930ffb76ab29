#include "ModemSimulator.h"
#include "SerialPortOpener.h"
#include "SettingsFile.h"
#include "VoiceCallBytes.h"
#include "WindowFixture.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Step = CallProcedure::Step;

const QString Demo = qEnvironmentVariable("TARVIK_SOURCE_DIR") + "/data/demo/Tarvik.ini";
// The reservation call with short prompts; the PIN asked for on its own.
const QByteArray Script = "service 800 3 150\n"
                          "service-ok 600 1 150\n"
                          "registration 700 8 150\n"
                          "pin 1200 4 150\n"
                          "facility 700 4 150\n"
                          "breakdown 0 2 0\n"
                          "conditions 600 any 150\n"
                          "conditions-ok 600 1 150\n"
                          "date 600 2 150\n"
                          "time-slot 600 2 150\n"
                          "purpose 600 2 150\n"
                          "purpose-ok 600 1 150\n"
                          "accept\n"
                          "next 800 1 150\n";

} // namespace

// The automatic run of the real window over the simulator's pseudo-terminal, judged by the
// simulated service: in voice mode paced by the prompts it hears, without voice mode by the
// recorded waits; and a service that never ends its prompt hands the call back.
class TestAutomaticCall : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QFile script(m_dir->filePath("script"));
        QVERIFY(script.open(QIODevice::WriteOnly) && script.write(Script) == Script.size());
    }

    // Every step after the prompt that asks for it, never while it speaks.
    void voiceRunHearsEachPromptOut()
    {
        ModemSimulator simulator;
        QVERIFY(simulator.start({"--service-script", m_dir->filePath("script")}));
        LineControl::Timing timing = WindowFixture::shortTiming();
        timing.pairPauseMs = 1000; // the PIN's prompt begins within it
        const auto fixture = window(simulator, true, timing);
        WindowFixture& f = *fixture;
        run(f);
        QTRY_VERIFY_WITH_TIMEOUT(runState(f).startsWith("自動実行が終わりました"), 60000);

        QByteArray expected = VoiceCallBytes::SetUp + "ATDT0451234567;\rAT+VRX\r";
        for (const char* tones :
             {"002", "1", "12345678", "1234", "0101", "01", "1", "1", "15", "02", "21", "1"})
            expected += VoiceCallBytes::tones(tones);
        QCOMPARE(simulator.received(), expected);
        QCOMPARE(f.line().state(), LineControl::State::Dialled);
        QCOMPARE(f.focused(), f.ui().button(Step::NextReservation));
        f.click(Step::HookOff);
        QVERIFY(simulator.waitForLine(QRegularExpression("^summary: 予約受付$")));
        QCOMPARE(simulator.lines().filter("DURING"),
                 QStringList{"summary: DURING the prompt: none"});
    }

    // The service's prompts timed as in voice mode; the run waits what the user once did.
    void plainRunFollowsTheRecordedPace()
    {
        ModemSimulator simulator;
        QVERIFY(simulator.start({"--no-voice", "--service-script", m_dir->filePath("script")}));
        LineControl::Timing timing = WindowFixture::shortTiming();
        timing.pairPauseMs = 2000; // as the real 3 s: longer than the PIN's own prompt
        const auto fixture = window(simulator, false, timing);
        WindowFixture& f = *fixture;
        run(f);
        QTRY_VERIFY_WITH_TIMEOUT(runState(f).startsWith("自動実行が終わりました"), 60000);
        f.click(Step::HookOff);
        QVERIFY(simulator.waitForLine(QRegularExpression("^summary: 予約受付$")));
        QCOMPARE(simulator.lines().filter("DURING"),
                 QStringList{"summary: DURING the prompt: none"});
    }

    // No prompt ends in time: the run stops, the call stays up, the user goes on by hand.
    void silentServiceHandsTheCallBack()
    {
        ModemSimulator simulator;
        QVERIFY(simulator.start({"--ringback", "9"}));
        const auto fixture = window(simulator, true, WindowFixture::shortTiming(), 500);
        WindowFixture& f = *fixture;
        run(f);
        QTRY_VERIFY_WITH_TIMEOUT(runState(f).startsWith("案内の終わり"), 10000);
        QCOMPARE(runState(f), "案内の終わりが聞き取れないので止めました。次は「Service」です");
        QCOMPARE(f.line().state(), LineControl::State::Dialled);
        QCOMPARE(f.focused(), f.ui().button(Step::Service));
        f.click(Step::HookOff);
        QTRY_COMPARE(f.line().state(), LineControl::State::Idle);
    }

private:
    // The demo's settings, in voice mode or with a recorded call, the simulator as COM1.
    std::unique_ptr<WindowFixture> window(const ModemSimulator& simulator, bool voice,
                                          const LineControl::Timing& timing,
                                          int stallMs = 5000) const
    {
        Settings settings = SettingsFile::load(Demo);
        settings.voice = voice;
        for (const Step step : CallProcedure::typicalPath().mid(1))
            settings.recordedPaces[std::size_t(step)] = 900; // with a fifth more: each prompt out
        const QString path = m_dir->filePath("Tarvik.ini");
        QFile::remove(path);
        if (!SettingsFile::save(path, settings, nullptr))
            qFatal("cannot write the settings");
        auto f = std::make_unique<WindowFixture>(m_opener, path, timing, simulator.asCom1());
        f->setRunStallMs(stallMs);
        f->restart();
        f->showActive();
        return f;
    }

    static void run(WindowFixture& f) { f.window().findChild<QAction*>("MenuAutoRun")->trigger(); }
    static QString runState(WindowFixture& f) { return f.control<QLabel>("RunState")->text(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    mutable SerialPortOpener m_opener;
};

QTEST_MAIN(TestAutomaticCall)
#include "tst_automaticcall.moc"
