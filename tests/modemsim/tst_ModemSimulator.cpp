#include "ModemEmulator.h"
#include "ModemSimulator.h"
#include "SerialPortOpener.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

using Options = ModemEmulator::Options;
Q_DECLARE_METATYPE(ModemEmulator::Options)

namespace {

constexpr int ReplyTimeoutMs = 3000;
constexpr int DelayMs = 300;
constexpr int LateBoundMs = 300;
const QByteArray OkReply = "\r\nOK\r\n";
const QByteArray ErrorReply = "\r\nERROR\r\n";
const QByteArray VoiceMode = "ATE0+FCLASS=8\r";
const QByteArray Connect = "\r\nCONNECT\r\n";
const QByteArray EndOfStream = "\x10\x03";
constexpr int PieceMs = 20;

// The bytes one receive() makes the modem send, "<N ms>" where it pauses, and "<garbage>" where
// the random stream starts; the transcript is met by the tests that run the simulator.
QByteArray described(const ModemEmulator::Output& output)
{
    QByteArray out;
    for (const ModemEmulator::Chunk& chunk : output.chunks)
        out += (chunk.pauseBeforeMs ? '<' + QByteArray::number(chunk.pauseBeforeMs) + " ms>" : "") +
               chunk.bytes;
    return out + (output.startGarbage ? "<garbage>" : "");
}

// Information lines framed as V.250 frames them, then OK.
QByteArray information(const QByteArrayList& lines)
{
    QByteArray text = "\r\n";
    for (const QByteArray& line : lines)
        text += line + "\r\n\r\n";
    return text + "OK\r\n";
}

// Plays the reads to a modem whose clock stands still but for "@<ms>", which moves it and
// polls; returns what the modem sent, described.
QByteArray conversation(const Options& options, const QByteArrayList& reads)
{
    qint64 nowMs = 0;
    ModemEmulator modem(options, [&nowMs] { return nowMs; });
    QByteArray out;
    for (const QByteArray& read : reads) {
        if (read.startsWith('@'))
            nowMs = read.mid(1).toLongLong();
        out += described(read.startsWith('@') ? modem.poll() : modem.receive(read));
    }
    return out;
}

// In voice mode with the line taken, the setup commands at 0, then the receive from startMs,
// polled every 20 ms up to endMs: the stream's bytes after CONNECT.
QByteArray receiveStream(const Options& options, const QByteArrayList& setup, qint64 startMs,
                         qint64 endMs)
{
    qint64 nowMs = 0;
    ModemEmulator modem(options, [&nowMs] { return nowMs; });
    for (const QByteArray& command : QByteArrayList{"ATE0+FCLASS=8;+VLS=1\r"} + setup)
        modem.receive(command);
    nowMs = startMs;
    QByteArray out = described(modem.receive("AT+VRX\r"));
    for (nowMs += PieceMs; nowMs <= endMs; nowMs += PieceMs)
        out += described(modem.poll());
    return out.mid(out.indexOf(Connect) + Connect.size());
}

struct Unshielded {
    QByteArray data;
    QByteArray events; // "?" for a DLE followed by a byte a modem never sends so
};

Unshielded unshielded(const QByteArray& stream)
{
    Unshielded result;
    for (qsizetype i = 0; i < stream.size(); ++i) {
        if (stream[i] != 0x10) {
            result.data += stream[i];
            continue;
        }
        const char code = ++i < stream.size() ? stream[i] : 0;
        if (code == 0x10)
            result.data += code;
        else if (code == 0x1a)
            result.data += "\x10\x10";
        else
            result.events += QByteArray("lbr").contains(code) ? code : '?';
    }
    return result;
}

int muLawSample(char byte)
{
    const int bits = ~quint8(byte) & 0xff;
    const int magnitude = ((((bits & 0x0f) << 3) + 0x84) << ((bits >> 4) & 7)) - 0x84;
    return bits & 0x80 ? -magnitude : magnitude;
}

// The loudness of each 20 ms of a µ-law stream at 8000 samples a second.
QList<double> loudness(const QByteArray& muLaw)
{
    constexpr int WindowSamples = 8000 * PieceMs / 1000;
    QList<double> levels;
    for (qsizetype start = 0; start + WindowSamples <= muLaw.size(); start += WindowSamples) {
        double sum = 0;
        for (qsizetype i = start; i < start + WindowSamples; ++i)
            sum += std::pow(muLawSample(muLaw[i]), 2);
        levels << std::sqrt(sum / WindowSamples);
    }
    return levels;
}

ServiceScript script(const char* text)
{
    QString error;
    return ServiceScript::parse(QString::fromUtf8(text), &error).value();
}

QByteArray readUntil(QIODevice& port, const QByteArray& end)
{
    QByteArray reply;
    while (!reply.endsWith(end) && port.waitForReadyRead(ReplyTimeoutMs))
        reply += port.readAll();
    return reply;
}

// Opens the device as the program does for each call, sends one command and returns what came
// back up to the end of the result line.
QByteArray exchange(const QString& device, const QByteArray& command)
{
    const std::unique_ptr<QIODevice> port =
        SerialPortOpener().open(device, PortOpener::Speed::Commands).device;
    QByteArray reply;
    if (port && port->write(command) == command.size()) {
        while (!reply.endsWith("\r\n") && port->waitForReadyRead(ReplyTimeoutMs))
            reply += port->readAll();
    }
    return reply;
}

} // namespace

class tst_ModemSimulator : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void interpreterAnswers_data();
    void interpreterAnswers();
    void receiveIsPacedByTheClock_data();
    void receiveIsPacedByTheClock();
    void receiveWaitsForTonesStillPlaying();
    void receiveShieldsTheDataLinkEscape();
    void receiveReportsLineEvents_data();
    void receiveReportsLineEvents();
    void promptsSoundLikeSpeech();
    void callsThroughTheLinkAndTheReopenedPort();
    void voiceCallIsJudgedInRealTime();
};

void tst_ModemSimulator::interpreterAnswers_data()
{
    QTest::addColumn<Options>("options");
    // One receive() each; "@<ms>" moves the clock there and polls.
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<QByteArray>("expected");

    const auto row = [](
                         const char* name, const QByteArrayList& reads, const QByteArray& expected,
                         void (*modem)(Options&) = [](Options&) {}) {
        Options options;
        modem(options);
        QTest::newRow(name) << options << reads << expected;
    };
    // In voice mode, without echo.
    const auto voiceRow = [&row](
                              const char* name, const QByteArrayList& reads,
                              const QByteArray& expected,
                              void (*modem)(Options&) = [](Options&) {}) {
        row(name, QByteArrayList{VoiceMode} + reads, VoiceMode + OkReply + expected, modem);
    };
    // Only the fault options no test of the program meets through the simulator; silence,
    // NO DIALTONE, a vanishing line and the answer delay are met there.
    row("lower-case ok", {"AT\r"}, "AT\r\r\nok\r\n", [](Options& o) { o.lowercaseOk = true; });
    row("split OK only", {"ATX\r", "AT\r"}, "ATX\r\r\nERROR\r\nAT\r\r\nO<50 ms>K\r\n",
        [](Options& o) { o.splitOk = true; });
    row("garbage starts once, after the first command", {"hello\r", "AT\r", "AT\r"},
        "hello\rAT\r" + OkReply + "<garbage>AT\r" + OkReply, [](Options& o) { o.garbage = true; });
    // Class 8 as V.253 and the Conexant, U.S. Robotics and ZyXEL manuals answer it.
    voiceRow("methods as Conexant lists them, the default chosen", {"AT+VSM=?\r", "AT+VSM?\r"},
             information({"1,\"UNSIGNED PCM\",8,0,(7200,8000,11025),0,0",
                          "129,\"IMA ADPCM\",4,0,(7200,8000),0,0",
                          "130,\"UNSIGNED PCM\",8,0,(7200,8000,11025),0,0",
                          "131,\"ULAW\",8,0,(8000),0,0", "132,\"ALAW\",8,0,(8000),0,0"}) +
                 information({"1,8000,0,0"}));
    voiceRow("u-law only: what it does not offer is refused",
             {"AT+VSM=?\r", "AT+VSM=1,8000\r", "AT+VSM=131,11025\r", "AT+VSM=131,8000,0,1\r",
              "AT+VSM=131,8000,0,0\r", "AT+VSM?\r"},
             information(
                 {"129,\"IMA ADPCM\",4,0,(7200,8000),(0),(0)", "131,\"ULAW\",8,0,(8000),(0),(0)"}) +
                 ErrorReply + ErrorReply + ErrorReply + OkReply + information({"131,8000,0,0"}),
             [](Options& o) { o.voiceMethods = VoiceMethods::Catalogue::MuLaw; });
    voiceRow("ZyXEL's list, chosen by label alone", {"AT+VSM=?\r", "AT+VSM=3\r", "AT+VSM?\r"},
             information({"1;CELP;1;0;(9600)", "2;ADPCM;2;0;(9600)", "3;ADPCM;3;0;(9600)"}) +
                 OkReply + information({"3;0;9600"}),
             [](Options& o) { o.voiceMethods = VoiceMethods::Catalogue::Semicolon; });
    voiceRow(
        "line labels: T takes the line", {"AT+VLS=?\r", "AT+VLS=1\r", "AT+VLS?\r"},
        information({"0,\"\",B0804100,B0804100,B0804100", "1,\"T\",0B8433C1,0FE431C1,0B8431C1",
                     "2,\"L\",08800300,0CE00100,08800100", "3,\"LT\",0B8433C1,0FE431C1,0B8431C1",
                     "4,\"S\",00800300,04E00100,20800100", "5,\"ST\",0B8433C1,0FE431C1,0B8431C1"}) +
            OkReply + information({"1"}));
    voiceRow("T at 5: no label 1", {"AT+VLS=1\r", "AT+VLS=?\r", "AT+VLS=5\r"},
             ErrorReply +
                 information(
                     {"0,\"\",B0804100,B0804100,B0804100", "2,\"L\",08800300,0CE00100,08800100",
                      "3,\"LT\",0B8433C1,0FE431C1,0B8431C1", "4,\"S\",00800300,04E00100,20800100",
                      "5,\"T\",0B8433C1,0FE431C1,0B8431C1"}) +
                 "\r\nVCON\r\n",
             [](Options& o) {
                 o.lineLabel = 5;
                 o.vcon = true;
             });
    voiceRow("VCON after a voice dial, OK after its tones",
             {"ATDT123;\r", "ATDT4;\r", "AT+VLS=0\r"}, "\r\nVCON\r\n" + OkReply + OkReply,
             [](Options& o) { o.vcon = true; });
    voiceRow("without ';' VCON comes once the far end answers", {"ATDT123\r"},
             "<6000 ms>\r\nVCON\r\n", [](Options& o) { o.ringbackCycles = 2; });
    voiceRow("tones last +VTD and are 50 ms apart; OK once played",
             {"AT+VLS=1\r", "AT+VTD=10\r", "AT+VTD?\r", "AT+VTS=1,2,3\r"},
             OkReply + OkReply + information({"10"}) + "<400 ms>" + OkReply);
    voiceRow("{digit,length} and [freq,freq,length] elements",
             {"AT+VLS=1\r", "AT+VTS={1,20},[440,0,30]\r"}, OkReply + "<550 ms>" + OkReply);
    voiceRow("tones wait for the tones still playing",
             {"AT+VLS=1\r", "AT+VTS=1\r", "@500", "AT+VTS=2\r"},
             OkReply + "<1000 ms>" + OkReply + "<1500 ms>" + OkReply);
    voiceRow("fixed 1 s tones: no +VTD, no {digit,length}",
             {"AT+VLS=1\r", "AT+VTD=10\r", "AT+VTS={1,20}\r", "AT+VTS=1,2\r"},
             OkReply + ErrorReply + ErrorReply + "<2050 ms>" + OkReply,
             [](Options& o) { o.fixedToneLength = true; });
    voiceRow(
        "tones need the line and a digit per element",
        {"AT+VTS=1\r", "AT+VLS=1\r", "AT+VTS=\r", "AT+VTS=12\r", "AT+VTS=1,,2\r", "AT+VTS=E\r"},
        ErrorReply + OkReply + ErrorReply + ErrorReply + ErrorReply + ErrorReply);
    voiceRow("DLE ! ends a receive; nothing else does, DLE DLE is data",
             {"AT+VLS=1\r", "AT+VRX\r", "AT\r\x10\x10!", "\x10", "!AT\r"},
             OkReply + Connect + EndOfStream + OkReply + OkReply);
    voiceRow("VCON at the end of a receive", {"AT+VLS=1\r", "AT+VRX\r", "\x10!"},
             "\r\nVCON\r\n" + Connect + EndOfStream + "\r\nVCON\r\n",
             [](Options& o) { o.vcon = true; });
    voiceRow("a receive needs the line and a coding it can produce",
             {"AT+VRX\r", "AT+VLS=1\r", "AT+VSM=140\r", "AT+VRX\r", "AT+VSM=129\r", "AT+VRX\r"},
             ErrorReply + OkReply + OkReply + ErrorReply + OkReply + Connect,
             [](Options& o) { o.voiceMethods = VoiceMethods::Catalogue::AdpcmOnly; });
    row("voice commands need class 8",
        {"ATE0\r", "AT+VLS=1\r", "AT+FCLASS=8;+VLS=1\r", "AT+FCLASS?\r", "ATZ\r", "AT+VTD?\r"},
        "ATE0\r" + OkReply + ErrorReply + OkReply + information({"8"}) + OkReply + "AT+VTD?\r" +
            ErrorReply);
    row("without voice, a data modem's answers",
        {"ATE0\r", "AT+FCLASS=?\r", "AT+FCLASS=8\r", "AT+VSM=?\r", "AT+FCLASS=1\r"},
        "ATE0\r" + OkReply + information({"0,1,1.0"}) + ErrorReply + ErrorReply + OkReply,
        [](Options& o) { o.noVoice = true; });
    row("one step refused", {"ATE0\r", "AT+FCLASS=8\r", "AT+FCLASS=0\r"},
        "ATE0\r" + OkReply + ErrorReply + OkReply, [](Options& o) { o.refusals = {"+FCLASS=8"}; });
}

void tst_ModemSimulator::interpreterAnswers()
{
    QFETCH(Options, options);
    QFETCH(QByteArrayList, reads);
    QTEST(conversation(options, reads), "expected");
}

// A second of the stream holds a second of samples, however the polls fall.
void tst_ModemSimulator::receiveIsPacedByTheClock_data()
{
    QTest::addColumn<Options>("options");
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<int>("bytesPerSecond");
    Options signedPcm;
    signedPcm.voiceMethods = VoiceMethods::Catalogue::SignedPcm;
    QTest::newRow("u-law") << Options() << QByteArray("AT+VSM=131\r") << 8000;
    QTest::newRow("unsigned PCM at 11025") << Options() << QByteArray("AT+VSM=1,11025\r") << 11025;
    QTest::newRow("IMA ADPCM at 7200, two samples a byte")
        << Options() << QByteArray("AT+VSM=129,7200\r") << 3600;
    QTest::newRow("signed PCM") << signedPcm << QByteArray("AT+VSM=128\r") << 8000;
}

void tst_ModemSimulator::receiveIsPacedByTheClock()
{
    QFETCH(Options, options);
    QFETCH(QByteArray, method);
    const Unshielded stream = unshielded(receiveStream(options, {method, "ATDT1;\r"}, 0, 1000 * 3));
    QCOMPARE(stream.events, QByteArray());
    QTEST(int(stream.data.size() / 3), "bytesPerSecond");
}

// The stream starts when the tones end, and the modem sleeps until then.
void tst_ModemSimulator::receiveWaitsForTonesStillPlaying()
{
    qint64 nowMs = 0;
    ModemEmulator modem({}, [&nowMs] { return nowMs; });
    modem.receive("ATE0+FCLASS=8;+VLS=1\rAT+VTS=1\rAT+VRX\r");
    QCOMPARE(modem.msUntilPoll(), 1000 + PieceMs);
    nowMs = 990;
    QCOMPARE(described(modem.poll()), QByteArray());
    QCOMPARE(modem.msUntilPoll(), 10 + PieceMs);
}

// While the service speaks, 0x10 data bytes are sent as DLE DLE, two of them as DLE SUB.
void tst_ModemSimulator::receiveShieldsTheDataLinkEscape()
{
    const QByteArray stream = receiveStream({}, {"AT+VSM=131\r", "ATDT1;\r"}, 0, 3000);
    const Unshielded content = unshielded(stream);
    QVERIFY(stream.contains("\x10\x10"));
    QVERIFY(stream.contains("\x10\x1a"));
    QVERIFY(content.data.contains("\x10\x10"));
    QCOMPARE(content.events, QByteArray());
}

void tst_ModemSimulator::receiveReportsLineEvents_data()
{
    QTest::addColumn<Options>("options");
    QTest::addColumn<QByteArrayList>("setup");
    QTest::addColumn<int>("startMs");
    QTest::addColumn<QByteArray>("events");
    Options ringback;
    ringback.ringbackCycles = 2;
    QTest::newRow("ringback is not reported unless asked")
        << ringback << QByteArrayList{"ATDT1;\r"} << 0 << QByteArray();
    ringback.reportRingback = true;
    QTest::newRow("each ringback, when asked")
        << ringback << QByteArrayList{"ATDT1;\r"} << 0 << QByteArray("rr");
    Options hangsUp;
    hangsUp.script = script("a 100 1\nhangup\n");
    // The 1 s tone ends at 1000, the service hangs up at 1500 and the busy tone is heard 2 s
    // later, then every 4 s.
    QTest::newRow("the far end hangs up: loop current, then busy")
        << hangsUp << QByteArrayList{"ATDT1;\r", "AT+VTS=1\r"} << 1000 << QByteArray("lbb");
}

void tst_ModemSimulator::receiveReportsLineEvents()
{
    QFETCH(Options, options);
    QFETCH(QByteArrayList, setup);
    QFETCH(int, startMs);
    QTEST(unshielded(receiveStream(options, setup, startMs, 8000)).events, "events");
}

// A prompt is loud but for word gaps well under the 700 ms a caller takes for its end; the line
// around it is quiet yet never digital silence.
void tst_ModemSimulator::promptsSoundLikeSpeech()
{
    constexpr int PromptFromWindow = 500 / PieceMs;
    constexpr int PromptToWindow = 6500 / PieceMs;
    constexpr double Speaking = 1000;
    Options options;
    options.script = script("long 6000 1 500\n");
    const QList<double> levels =
        loudness(unshielded(receiveStream(options, {"AT+VSM=131\r", "ATDT1;\r"}, 0, 7000)).data);
    int quietRun = 0;
    int longestQuietRun = 0;
    int wordGaps = 0;
    for (int window = 0; window < levels.size(); ++window) {
        const bool inPrompt = window >= PromptFromWindow && window < PromptToWindow;
        if (!inPrompt) {
            QVERIFY2(levels[window] > 0 && levels[window] < LineAudio::NoiseFloor,
                     qPrintable(QString::number(window)));
            continue;
        }
        quietRun = levels[window] < Speaking ? quietRun + 1 : 0;
        wordGaps += quietRun == 100 / PieceMs;
        longestQuietRun = qMax(longestQuietRun, quietRun);
    }
    QCOMPARE_LT(longestQuietRun * PieceMs, 700);
    QCOMPARE_GE(wordGaps, 6); // about two words a second
}

// The program opens and closes the port for each call, here also through the link a fixed
// device name points at; the modem must survive that and pause before each result, no longer.
void tst_ModemSimulator::callsThroughTheLinkAndTheReopenedPort()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("modem");
    QVERIFY(QFile::link("/dev/null", link)); // left behind by a killed run: replaced
    ModemSimulator modem;
    QVERIFY(modem.start({"--link", link, "--delay", QString::number(DelayMs)}));
    QCOMPARE(QFileInfo(link).symLinkTarget(), modem.devicePath());
    QCOMPARE(exchange(link, "ATH1\r"), "ATH1\r\r\nOK\r\n");
    QElapsedTimer clock;
    clock.start();

    QCOMPARE(exchange(modem.devicePath(), "ATDT0451234567;\r\n"), "ATDT0451234567;\r\r\nOK\r\n");

    QCOMPARE_GE(clock.elapsed(), DelayMs);
    QCOMPARE_LT(clock.elapsed(), DelayMs + LateBoundMs); // twice the delay would reach it
    QCOMPARE(modem.stop(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

// The tones of a real call take their time; the transcript judges them against the prompts
// and sums the call up when it ends.
void tst_ModemSimulator::voiceCallIsJudgedInRealTime()
{
    constexpr int ToneMs = 200;
    QTemporaryDir dir;
    QFile scriptFile(dir.filePath("script"));
    QVERIFY(scriptFile.open(QIODevice::WriteOnly));
    scriptFile.write("first 300 2 100\nsecond 2000 1 0\n");
    scriptFile.close();
    ModemSimulator modem;
    QVERIFY(modem.start({"--service-script", scriptFile.fileName()}));
    const std::unique_ptr<QIODevice> port =
        SerialPortOpener().open(modem.devicePath(), PortOpener::Speed::VoiceStream).device;
    QVERIFY(port);
    const QByteArray setup = "ATE0+FCLASS=8;+VLS=1;+VSM=131;+VTD=20\r";
    port->write(setup + "ATDT1;\r");
    QCOMPARE(readUntil(*port, OkReply + OkReply), setup + OkReply + OkReply);
    QVERIFY(modem.waitForLine(QRegularExpression("^prompt first$")));

    port->write("AT+VRX\r"); // the prompt's 300 ms, then the end of the receive
    QByteArray stream;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 400 && port->waitForReadyRead(ReplyTimeoutMs))
        stream += port->readAll();
    QVERIFY(stream.startsWith(Connect));
    port->write("\x10!");
    QVERIFY(readUntil(*port, OkReply).endsWith(EndOfStream + OkReply));
    clock.restart();
    port->write("AT+VTS=1,2\r");
    QCOMPARE(readUntil(*port, OkReply), OkReply);
    QCOMPARE_GE(clock.elapsed(), 2 * ToneMs + ModemEmulator::ToneGapMs);
    port->write("AT+VTS=3\r");
    QCOMPARE(readUntil(*port, OkReply), OkReply);
    port->write("ATH0\r");

    QVERIFY(modem.waitForLine(QRegularExpression("^summary: 予約受付$")));
    const QStringList lines = modem.lines();
    QVERIFY(lines.contains("tones 12 after the prompt"));
    QVERIFY(lines.contains("tones 3 DURING the prompt"));
    QVERIFY(lines.contains("summary: DURING the prompt: second"));
}

QTEST_GUILESS_MAIN(tst_ModemSimulator)
#include "tst_ModemSimulator.moc"
