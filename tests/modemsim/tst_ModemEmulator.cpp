#include "ModemEmulator.h"

#include <QTest>

using Options = ModemEmulator::Options;
Q_DECLARE_METATYPE(ModemEmulator::Options)

class tst_ModemEmulator : public QObject {
    Q_OBJECT
private slots:
    void answers_data();
    void answers();
    void pausesBeforeAnswers_data();
    void pausesBeforeAnswers();
};

namespace {

Options faulty(void (*fault)(Options&))
{
    Options options;
    fault(options);
    return options;
}

} // namespace

void tst_ModemEmulator::answers_data()
{
    QTest::addColumn<Options>("options");
    QTest::addColumn<QByteArrayList>("reads"); // one receive() each
    QTest::addColumn<QByteArray>("expectedOut");
    QTest::addColumn<QStringList>("expectedTranscript");
    QTest::addColumn<bool>("lineClosed");
    QTest::addColumn<int>("garbageStarts");

    const Options plain;
    const QByteArray ok = "\r\nOK\r\n";
    const QByteArray error = "\r\nERROR\r\n";
    const QByteArray longLine = "AT" + QByteArray(300, 'E');

    QTest::newRow("AT") << plain << QByteArrayList{"AT\r"} << "AT\r" + ok << QStringList{} << false
                        << 0;
    QTest::newRow("lower-case at")
        << plain << QByteArrayList{"at\r"} << "at\r" + ok << QStringList{} << false << 0;
    QTest::newRow("LF after CR neither echoed nor run")
        << plain << QByteArrayList{"AT\r\n"} << "AT\r" + ok << QStringList{} << false << 0;
    QTest::newRow("line split over reads")
        << plain << QByteArrayList{"AT", "H1", "\r"} << "ATH1\r" + ok << QStringList{"off hook"}
        << false << 0;
    QTest::newRow("two lines in one read")
        << plain << QByteArrayList{"ATH1\rATH0\r"} << "ATH1\r" + ok + "ATH0\r" + ok
        << QStringList{"off hook", "hung up"} << false << 0;
    QTest::newRow("E0 stops the echo after its own line")
        << plain << QByteArrayList{"ATE0\r", "AT\r"} << "ATE0\r" + ok + ok
        << QStringList{"echo off"} << false << 0;
    QTest::newRow("E1 brings it back")
        << plain << QByteArrayList{"ATE0\r", "ATE1\r", "AT\r"} << "ATE0\r" + ok + ok + "AT\r" + ok
        << QStringList{"echo off", "echo on"} << false << 0;
    QTest::newRow("H without a digit hangs up")
        << plain << QByteArrayList{"ATH1\r", "ATH\r"} << "ATH1\r" + ok + "ATH\r" + ok
        << QStringList{"off hook", "hung up"} << false << 0;
    QTest::newRow("H0 on hook changes nothing")
        << plain << QByteArrayList{"ATH0\r"} << "ATH0\r" + ok << QStringList{} << false << 0;
    QTest::newRow("tone dial holds the call")
        << plain << QByteArrayList{"ATH1\r", "ATDT0451234567;\r"}
        << "ATH1\r" + ok + "ATDT0451234567;\r" + ok
        << QStringList{"off hook", "dialled 0451234567 (tone)"} << false << 0;
    QTest::newRow("pulse dial on hook takes the line")
        << plain << QByteArrayList{"ATDP045-123;\r"} << "ATDP045-123;\r" + ok
        << QStringList{"off hook", "dialled 045-123 (pulse)"} << false << 0;
    QTest::newRow("tones while the call is up")
        << plain << QByteArrayList{"ATD045;\r", "ATDT0*#;\r\n", "ATDT;\r\n"}
        << "ATD045;\r" + ok + "ATDT0*#;\r" + ok + "ATDT;\r" + ok
        << QStringList{"off hook", "dialled 045 (tone)", "tones 0*#", "tones (empty)"} << false
        << 0;
    QTest::newRow("after hang-up a dial is a new call")
        << plain << QByteArrayList{"ATDT1;\r", "ATH0\r", "ATDT2;\r"}
        << "ATDT1;\r" + ok + "ATH0\r" + ok + "ATDT2;\r" + ok
        << QStringList{"off hook", "dialled 1 (tone)", "hung up", "off hook", "dialled 2 (tone)"}
        << false << 0;
    QTest::newRow("dial without ';' finds no carrier")
        << plain << QByteArrayList{"ATDT123\r", "ATDT4;\r"}
        << "ATDT123\r\r\nNO CARRIER\r\nATDT4;\r" + ok
        << QStringList{"off hook", "dialled 123 (tone) without ';'",
                       "hung up",  "answered NO CARRIER",
                       "off hook", "dialled 4 (tone)"}
        << false << 0;
    QTest::newRow("unknown command") << plain << QByteArrayList{"ATX\r"} << "ATX\r" + error
                                     << QStringList{"error: unknown command ATX"} << false << 0;
    QTest::newRow("H2 is unknown") << plain << QByteArrayList{"ATH2\r"} << "ATH2\r" + error
                                   << QStringList{"error: unknown command ATH2"} << false << 0;
    QTest::newRow("letter in the dial string")
        << plain << QByteArrayList{"ATDT1x;\r"} << "ATDT1x;\r" + error
        << QStringList{"error: unknown command ATDT1x;"} << false << 0;
    QTest::newRow("over-long line refused")
        << plain << QByteArrayList{longLine + "\r"} << longLine + "\r" + error
        << QStringList{"error: unknown command " + QString::fromLatin1(longLine.left(255))} << false
        << 0;
    QTest::newRow("line without AT is ignored")
        << plain << QByteArrayList{"hello\r", "\r"} << QByteArray("hello\r\r")
        << QStringList{"ignored hello"} << false << 0;
    QTest::newRow("several commands in one line")
        << plain << QByteArrayList{"ATE0H1\r"} << "ATE0H1\r" + ok
        << QStringList{"echo off", "off hook"} << false << 0;
    QTest::newRow("Z hangs up and turns echo on")
        << plain << QByteArrayList{"ATE0H1\r", "ATZ\r", "AT\r"}
        << "ATE0H1\r" + ok + ok + "AT\r" + ok
        << QStringList{"echo off", "off hook", "hung up", "reset"} << false << 0;

    QTest::newRow("silent answers nothing")
        << faulty([](Options& o) { o.silent = true; }) << QByteArrayList{"ATH1\r", "ATDT1;\r"}
        << QByteArray() << QStringList{"off hook", "dialled 1 (tone)"} << false << 0;
    QTest::newRow("lower-case ok")
        << faulty([](Options& o) { o.lowercaseOk = true; }) << QByteArrayList{"AT\r", "ATX\r"}
        << "AT\r\r\nok\r\nATX\r" + error << QStringList{"error: unknown command ATX"} << false << 0;
    QTest::newRow("split ok still reads OK")
        << faulty([](Options& o) { o.splitOk = true; }) << QByteArrayList{"AT\r"} << "AT\r" + ok
        << QStringList{} << false << 0;
    QTest::newRow("NO DIALTONE to dial and tones only")
        << faulty([](Options& o) { o.dialAnswer = "NO DIALTONE"; })
        << QByteArrayList{"ATH1\r", "ATDT1;\r", "ATDT2;\r"}
        << "ATH1\r" + ok + "ATDT1;\r\r\nNO DIALTONE\r\nATDT2;\r\r\nNO DIALTONE\r\n"
        << QStringList{"off hook", "dialled 1 (tone)", "answered NO DIALTONE", "tones 2",
                       "answered NO DIALTONE"}
        << false << 0;
    QTest::newRow("ERROR to the dial")
        << faulty([](Options& o) { o.dialAnswer = "ERROR"; }) << QByteArrayList{"ATDT1;\r"}
        << "ATDT1;\r" + error << QStringList{"off hook", "dialled 1 (tone)", "answered ERROR"}
        << false << 0;
    QTest::newRow("hang-up after two commands")
        << faulty([](Options& o) { o.hangupAfter = 2; })
        << QByteArrayList{"AT\r", "ATH1\rATDT1;\r", "AT\r"} << "AT\r" + ok + "ATH1\r" + ok
        << QStringList{"off hook", "line closed"} << true << 0;
    QTest::newRow("garbage starts once, after the first command")
        << faulty([](Options& o) { o.garbage = true; }) << QByteArrayList{"hello\r", "AT\r", "AT\r"}
        << "hello\rAT\r" + ok + "AT\r" + ok << QStringList{"ignored hello", "garbage starts"}
        << false << 1;
}

void tst_ModemEmulator::answers()
{
    QFETCH(Options, options);
    QFETCH(QByteArrayList, reads);

    ModemEmulator modem(options);
    QByteArray out;
    QStringList transcript;
    bool lineClosed = false;
    int garbageStarts = 0;
    for (const QByteArray& bytes : reads) {
        const ModemEmulator::Output output = modem.receive(bytes);
        for (const ModemEmulator::Chunk& chunk : output.chunks)
            out += chunk.bytes;
        transcript += output.transcript;
        lineClosed = lineClosed || output.closeLine;
        garbageStarts += output.startGarbage ? 1 : 0;
    }

    QTEST(out, "expectedOut");
    QTEST(transcript, "expectedTranscript");
    QTEST(lineClosed, "lineClosed");
    QTEST(garbageStarts, "garbageStarts");
}

void tst_ModemEmulator::pausesBeforeAnswers_data()
{
    QTest::addColumn<Options>("options");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArrayList>("expectedChunks");
    QTest::addColumn<QList<int>>("expectedPauses");

    const Options split = faulty([](Options& o) { o.splitOk = true; });
    const Options delayed = faulty([](Options& o) { o.answerDelayMs = 200; });
    const Options both = faulty([](Options& o) {
        o.answerDelayMs = 200;
        o.splitOk = true;
    });

    QTest::newRow("split ok") << split << QByteArray("AT\r") << QByteArrayList{"AT\r\r\nO", "K\r\n"}
                              << QList<int>{0, 50};
    QTest::newRow("split applies to OK only")
        << split << QByteArray("ATX\r") << QByteArrayList{"ATX\r\r\nERROR\r\n"} << QList<int>{0};
    QTest::newRow("echo at once, answer delayed")
        << delayed << QByteArray("AT\r") << QByteArrayList{"AT\r", "\r\nOK\r\n"}
        << QList<int>{0, 200};
    QTest::newRow("each answer delayed, next echo after it")
        << delayed << QByteArray("AT\rAT\r")
        << QByteArrayList{"AT\r", "\r\nOK\r\nAT\r", "\r\nOK\r\n"} << QList<int>{0, 200, 200};
    QTest::newRow("delay, then split")
        << both << QByteArray("AT\r") << QByteArrayList{"AT\r", "\r\nO", "K\r\n"}
        << QList<int>{0, 200, 50};
}

void tst_ModemEmulator::pausesBeforeAnswers()
{
    QFETCH(Options, options);
    QFETCH(QByteArray, input);

    ModemEmulator modem(options);
    QByteArrayList chunks;
    QList<int> pauses;
    for (const ModemEmulator::Chunk& chunk : modem.receive(input).chunks) {
        chunks << chunk.bytes;
        pauses << chunk.pauseBeforeMs;
    }

    QTEST(chunks, "expectedChunks");
    QTEST(pauses, "expectedPauses");
}

QTEST_APPLESS_MAIN(tst_ModemEmulator)
#include "tst_ModemEmulator.moc"
