#include "ModemEmulator.h"

#include <QTest>

using Options = ModemEmulator::Options;
Q_DECLARE_METATYPE(ModemEmulator::Options)

namespace {

const QByteArray ok = "\r\nOK\r\n";
const QByteArray error = "\r\nERROR\r\n";

Options faulty(void (*fault)(Options&))
{
    Options options;
    fault(options);
    return options;
}

void row(const char* name, const QByteArrayList& reads, const QByteArray& expected,
         const Options& options = {})
{
    QTest::newRow(name) << options << reads << expected;
}

// Everything one receive() makes the modem do, in order: the bytes, "<N ms>" where it pauses,
// "<closed>" where the line vanishes, "<garbage>" where the random stream starts, then
// "{line}" for each transcript line.
QByteArray described(const ModemEmulator::Output& output)
{
    QByteArray out;
    for (const ModemEmulator::Chunk& chunk : output.chunks) {
        if (chunk.pauseBeforeMs > 0)
            out += '<' + QByteArray::number(chunk.pauseBeforeMs) + " ms>";
        out += chunk.bytes;
    }
    out +=
        QByteArray(output.closeLine ? "<closed>" : "") + (output.startGarbage ? "<garbage>" : "");
    for (const QString& line : output.transcript)
        out += '{' + line.toLatin1() + '}';
    return out;
}

} // namespace

class tst_ModemEmulator : public QObject {
    Q_OBJECT
private slots:
    void answersLikeAVoiceModem_data();
    void answersLikeAVoiceModem();
};

void tst_ModemEmulator::answersLikeAVoiceModem_data()
{
    QTest::addColumn<Options>("options");
    QTest::addColumn<QByteArrayList>("reads"); // one receive() each
    QTest::addColumn<QByteArray>("expected");
    const QByteArray longLine = "AT" + QByteArray(300, 'E');
    const QByteArray noDialTone = "\r\nNO DIALTONE\r\n";

    row("AT in any case, LF after CR neither echoed nor run", {"AT\r\n", "at\r"},
        "AT\r" + ok + "at\r" + ok);
    row("lines split over reads and two in one read", {"AT", "H1", "\rATH0\r"},
        "ATH1\r" + ok + "ATH0\r" + ok + "{off hook}{hung up}");
    row("E0 stops the echo after its own line, E1 brings it back",
        {"ATE0\r", "AT\r", "ATE1\r", "AT\r"},
        "ATE0\r" + ok + "{echo off}" + ok + ok + "{echo on}AT\r" + ok);
    row("H0 on hook changes nothing, H alone hangs up", {"ATH0\r", "ATH1\r", "ATH\r"},
        "ATH0\r" + ok + "ATH1\r" + ok + "{off hook}ATH\r" + ok + "{hung up}");
    row("tone dial holds the call, then tones",
        {"ATH1\r", "ATDT0451234567;\r", "ATDT0*#;\r\n", "ATDT;\r"},
        "ATH1\r" + ok + "{off hook}ATDT0451234567;\r" + ok +
            "{dialled 0451234567 (tone)}ATDT0*#;\r" + ok + "{tones 0*#}ATDT;\r" + ok +
            "{tones (empty)}");
    row("pulse dial takes the line, after hang-up a dial is a new call",
        {"ATDP045-123;\r", "ATH0\r", "ATD2;\r"},
        "ATDP045-123;\r" + ok + "{off hook}{dialled 045-123 (pulse)}ATH0\r" + ok +
            "{hung up}ATD2;\r" + ok + "{off hook}{dialled 2 (tone)}");
    row("dial without ';' finds no carrier", {"ATDT123\r", "ATDT4;\r"},
        "ATDT123\r\r\nNO CARRIER\r\n{off hook}{dialled 123 (tone) without ';'}{hung up}"
        "{answered NO CARRIER}ATDT4;\r" +
            ok + "{off hook}{dialled 4 (tone)}");
    row("unknown commands", {"ATX\r", "ATH2\r", "ATDT1x;\r"},
        "ATX\r" + error + "{error: unknown command ATX}ATH2\r" + error +
            "{error: unknown command ATH2}ATDT1x;\r" + error + "{error: unknown command ATDT1x;}");
    row("over-long line refused", {longLine + "\r"},
        longLine + "\r" + error + "{error: unknown command " + longLine.left(255) + "}");
    row("line without AT is ignored", {"hello\r", "\r"}, "hello\r{ignored hello}\r");
    row("several commands in one line, Z hangs up and turns echo on", {"ATE0H1\r", "ATZ\r", "AT\r"},
        "ATE0H1\r" + ok + "{echo off}{off hook}" + ok + "{hung up}{reset}AT\r" + ok);

    row("silent answers nothing", {"ATH1\r", "ATDT1;\r"}, "{off hook}{dialled 1 (tone)}",
        faulty([](Options& o) { o.silent = true; }));
    row("lower-case ok", {"AT\r"}, "AT\r\r\nok\r\n",
        faulty([](Options& o) { o.lowercaseOk = true; }));
    row("split OK only", {"ATX\r", "AT\r"},
        "ATX\r" + error + "{error: unknown command ATX}AT\r\r\nO<50 ms>K\r\n",
        faulty([](Options& o) { o.splitOk = true; }));
    row("each answer delayed, next echo after it", {"AT\rAT\r"},
        "AT\r<200 ms>" + ok + "AT\r<200 ms>" + ok,
        faulty([](Options& o) { o.answerDelayMs = 200; }));
    row("NO DIALTONE to dial and tones only", {"ATH1\r", "ATDT1;\r", "ATDT2;\r"},
        "ATH1\r" + ok + "{off hook}ATDT1;\r" + noDialTone +
            "{dialled 1 (tone)}{answered NO DIALTONE}ATDT2;\r" + noDialTone +
            "{tones 2}{answered NO DIALTONE}",
        faulty([](Options& o) { o.dialAnswer = "NO DIALTONE"; }));
    row("hang-up after two commands", {"AT\r", "ATH1\rATDT1;\r", "AT\r"},
        "AT\r" + ok + "ATH1\r" + ok + "<closed>{off hook}{line closed}",
        faulty([](Options& o) { o.hangupAfter = 2; }));
    row("garbage starts once, after the first command", {"hello\r", "AT\r", "AT\r"},
        "hello\r{ignored hello}AT\r" + ok + "<garbage>{garbage starts}AT\r" + ok,
        faulty([](Options& o) { o.garbage = true; }));
}

void tst_ModemEmulator::answersLikeAVoiceModem()
{
    QFETCH(Options, options);
    QFETCH(QByteArrayList, reads);
    QFETCH(QByteArray, expected);
    ModemEmulator modem(options);
    QByteArray out;
    for (const QByteArray& bytes : reads)
        out += described(modem.receive(bytes));
    QCOMPARE(out, expected);
}

QTEST_APPLESS_MAIN(tst_ModemEmulator)
#include "tst_ModemEmulator.moc"
