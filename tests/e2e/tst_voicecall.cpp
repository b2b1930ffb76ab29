#include "ModemSimulator.h"
#include "SerialPortOpener.h"
#include "SettingsFile.h"
#include "VoiceCallBytes.h"
#include "WindowFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Step = CallProcedure::Step;

const QString Demo = qEnvironmentVariable("TARVIK_SOURCE_DIR") + "/data/demo/Tarvik.ini";
// Short prompts, so that a call is heard whole in a few seconds.
const QByteArray Script = "service 700 3 200\n"
                          "service-ok 400 1\n"
                          "registration 500 8\n"
                          "pin 1500 4 200\n" // asked for on its own, after the number
                          "accept\n";

using VoiceCallBytes::SetUp;
using VoiceCallBytes::tones;
const QByteArray Dial = "ATDT0451234567;\rAT+VRX\r";
const QByteArray HangUp = "\x10!ATH0\rAT+FCLASS=0\r";

} // namespace

Q_DECLARE_METATYPE(MessageBoxes::Answer)

// A call in voice mode through the real window, over the simulator's pseudo-terminal: the exact
// commands in order, the service's prompts heard through the audio, and what happens when the
// modem cannot do voice mode or refuses a step of it.
class TestVoiceCall : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_script = m_dir->filePath("script");
        QFile script(m_script);
        QVERIFY(script.open(QIODevice::WriteOnly) && script.write(Script) == Script.size());
    }

    // Each step after the prompt that asks for it has ended, as one who listens would; the PIN
    // after its own prompt, which begins within the pause after the number.
    void callHeardThroughTheComputer()
    {
        ModemSimulator simulator;
        QVERIFY(simulator.start({"--service-script", m_script}));
        LineControl::Timing timing = WindowFixture::shortTiming();
        timing.pairPauseMs = 1000;
        WindowFixture f = voiceWindow(simulator, timing);
        QSignalSpy ended(&f.voice(), &VoiceReceiver::promptEnded);
        f.bringCallUp();
        for (const Step step : {Step::Service, Step::FirstYes, Step::Member}) {
            QVERIFY(ended.wait(5000));
            f.click(step);
        }
        QVERIFY(simulator.waitForLine(QRegularExpression("^tones 1234 ")));
        f.click(Step::HookOff);
        QTRY_COMPARE(f.line().state(), LineControl::State::Idle);

        QCOMPARE(simulator.received(), SetUp + Dial + tones("002") + tones("1") +
                                           tones("12345678") + tones("1234") + HangUp);
        QVERIFY(f.boxes().shown().isEmpty());
        QVERIFY(simulator.waitForLine(QRegularExpression("^summary: 予約受付$")));
        QCOMPARE(simulator.lines().filter("DURING"),
                 QStringList{"summary: DURING the prompt: none"});
        QVERIFY(f.audio() && !f.audio()->played.isEmpty());
    }

    void modemCannotOrWillNot_data()
    {
        QTest::addColumn<QStringList>("flags");
        QTest::addColumn<QString>("box");
        QTest::addColumn<MessageBoxes::Answer>("answer");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<LineControl::State>("state");
        const QString question = QStringLiteral("\r\n音声モードを使わずに続けますか？");
        QTest::newRow("no voice mode, go on without")
            << QStringList{"--no-voice"}
            << "音声モード: このモデムは音声モード（AT+FCLASS=8）を受け付けませんでした。" +
                   question
            << MessageBoxes::Answer::Yes << QByteArray("AT+FCLASS=8\rATH1\r")
            << LineControl::State::OffHook;
        QTest::newRow("ADPCM only, stay idle")
            << QStringList{"--voice-methods", "adpcm"}
            << "音声モード: このモデムの音声の形式は、どれもパソコンで再生できません（8 ビット "
               "PCM・μ-law・A-law のどれもありません）。" +
                   question
            << MessageBoxes::Answer::No
            << QByteArray("AT+FCLASS=8\rAT+VSM=?\rAT+VLS=?\rAT+FCLASS=0\r")
            << LineControl::State::Idle;
        QTest::newRow("ERROR to the line: hung up")
            << QStringList{"--refuse", "+VLS=1"}
            << QStringLiteral("音声モード: モデムが「AT+VLS=1」を受け付けませんでした（ERROR）。"
                              "\r\n音声モードの通話をやめ、回線を切りました。「ﾓﾃﾞﾑ」の「ポート"
                              "設定」で音声モードを外すと、これまでどおりに電話をかけられます。")
            << MessageBoxes::Answer::Ok << SetUp + "ATH0\rAT+FCLASS=0\r"
            << LineControl::State::Idle;
    }

    void modemCannotOrWillNot()
    {
        QFETCH(QStringList, flags);
        QFETCH(QString, box);
        QFETCH(MessageBoxes::Answer, answer);
        QFETCH(QByteArray, written);
        ModemSimulator simulator;
        QVERIFY(simulator.start(flags));
        WindowFixture f = voiceWindow(simulator);
        f.boxes().answerNext(answer);
        f.click(Step::Hook);
        QTRY_VERIFY(!f.line().isBusy());
        QCOMPARE(f.boxes().texts(), QStringList{box});
        QTRY_COMPARE(simulator.received(), written);
        QTEST(f.line().state(), "state");
        QCOMPARE(f.line().isPortOpen(), f.line().state() != LineControl::State::Idle);
    }

    // Tones of 1 s each take their time: an 8-digit step waits for them, without a box.
    void longTonesAreWaitedFor()
    {
        ModemSimulator simulator;
        QVERIFY(simulator.start({"--fixed-tone-length", "--service-script", m_script}));
        WindowFixture f = voiceWindow(simulator);
        f.takeAwayTheSoundDevice();
        f.bringCallUp();
        QVERIFY(f.control<QLabel>("NoSoundDevice")->isVisibleTo(&f.window()));
        f.ui().memberList->setCurrentIndex(0);
        f.click(Step::Member);
        QTRY_VERIFY_WITH_TIMEOUT(!f.line().isBusy(), 20000);
        QVERIFY(f.boxes().shown().isEmpty());
        QVERIFY(simulator.received().endsWith(tones("12345678") + tones("1234")));
        f.click(Step::HookOff);
        QTRY_COMPARE(f.line().state(), LineControl::State::Idle);
    }

private:
    // The demo's settings with voice mode on, the simulator as COM1.
    WindowFixture
    voiceWindow(const ModemSimulator& simulator,
                const LineControl::Timing& timing = WindowFixture::shortTiming()) const
    {
        Settings settings = SettingsFile::load(Demo);
        settings.voice = true;
        const QString path = m_dir->filePath("Tarvik.ini");
        QFile::remove(path);
        if (!SettingsFile::save(path, settings, nullptr))
            qFatal("cannot write the settings");
        return WindowFixture(m_opener, path, timing, simulator.asCom1());
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_script;
    mutable SerialPortOpener m_opener;
};

QTEST_MAIN(TestVoiceCall)
#include "tst_voicecall.moc"
