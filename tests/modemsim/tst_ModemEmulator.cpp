#include "ModemEmulator.h"

#include <QTest>

using Options = ModemEmulator::Options;
Q_DECLARE_METATYPE(ModemEmulator::Options)

namespace {

const QByteArray OkReply = "\r\nOK\r\n";
const QByteArray ErrorReply = "\r\nERROR\r\n";

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
private Q_SLOTS:
    void answersLikeAVoiceModem_data();
    void answersLikeAVoiceModem();
};

void tst_ModemEmulator::answersLikeAVoiceModem_data()
{
    QTest::addColumn<Options>("options");
    QTest::addColumn<QByteArrayList>("reads"); // one receive() each
    QTest::addColumn<QByteArray>("expected");

    // Any case, an LF after CR neither echoed nor run, lines split over reads or two in one.
    row("line framing, AT in any case", {"AT\r\n", "at", "H1", "\rATH0\r"},
        "AT\r" + OkReply + "atH1\r" + OkReply + "ATH0\r" + OkReply + "{off hook}{hung up}");
    row("pulse dial takes the line, after hang-up a dial is a new call",
        {"ATDP045-123;\r", "ATH0\r", "ATD2;\r"},
        "ATDP045-123;\r" + OkReply + "{off hook}{dialled 045-123 (pulse)}ATH0\r" + OkReply +
            "{hung up}ATD2;\r" + OkReply + "{off hook}{dialled 2 (tone)}");
    row("dial without ';' finds no carrier", {"ATDT123\r", "ATDT4;\r"},
        "ATDT123\r\r\nNO CARRIER\r\n{off hook}{dialled 123 (tone) without ';'}{hung up}"
        "{answered NO CARRIER}ATDT4;\r" +
            OkReply + "{off hook}{dialled 4 (tone)}");
    row("unknown commands", {"ATX\r", "ATDT1x;\r"},
        "ATX\r" + ErrorReply + "{error: unknown command ATX}ATDT1x;\r" + ErrorReply +
            "{error: unknown command ATDT1x;}");
    // Silence, NO DIALTONE, a vanishing line and the answer delay are met through the
    // simulator by the program's own tests.
    row("split OK only", {"ATX\r", "AT\r"},
        "ATX\r" + ErrorReply + "{error: unknown command ATX}AT\r\r\nO<50 ms>K\r\n",
        faulty([](Options& o) { o.splitOk = true; }));
    row("garbage starts once, after the first command; no AT: ignored", {"hello\r", "AT\r", "AT\r"},
        "hello\r{ignored hello}AT\r" + OkReply + "<garbage>{garbage starts}AT\r" + OkReply,
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
