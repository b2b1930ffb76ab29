// tarvik-modemsim: a voice modem on a pseudo-terminal, for tests and for trying Tarvik without
// a modem. See usage() for the flags; the transcript goes to stdout.
#include "ExitSignals.h"
#include "SimulatorSession.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <csignal>
#include <cstdio>
#include <optional>

namespace {

constexpr int ExitUsage = 2;
// Labels 2 to 4 are the local phone's and the speaker's configurations.
constexpr int LineLabelsAfterSpeaker = 5;
constexpr int HighestLineLabel = 99;

struct Arguments {
    ModemEmulator::Options options;
    QString linkPath;
    QString recordPath;
};

void addOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        QStringLiteral(
            "Answers AT commands like a V.250 voice modem on a pseudo-terminal:\n"
            "ATE, ATH, ATZ, ATD (tones with ';'), ATI and AT+FCLASS=?, and in voice mode\n"
            "(AT+FCLASS=8) V.253's +VSM, +VLS, +VTD, +VTS and +VRX (ended by DLE !).\n"
            "A dialled call reaches the booking service of the script below, which judges\n"
            "whether each step's tones came after its prompt or DURING it.\n"
            "Prints \"device: /dev/pts/N\", then one transcript line per event.\n\n") +
        QString::fromUtf8(ServiceScript::FormatHelp) + ServiceScript::reservationText());
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("link"), QStringLiteral("Also offer the device as symlink <path>."),
         QStringLiteral("path")},
        {QStringLiteral("record"), QStringLiteral("Append every byte received to <file>."),
         QStringLiteral("file")},
        {QStringLiteral("silent"), QStringLiteral("Never answer, not even the echo.")},
        {QStringLiteral("lowercase-ok"), QStringLiteral("Answer \"ok\" instead of \"OK\".")},
        {QStringLiteral("split-ok"), QStringLiteral("Send OK in two pieces, 50 ms apart.")},
        {QStringLiteral("answer"),
         QStringLiteral("Answer <code> (ERROR, \"NO DIALTONE\", BUSY...) to dial and tones."),
         QStringLiteral("code")},
        {QStringLiteral("delay"), QStringLiteral("Wait <ms> before every result code."),
         QStringLiteral("ms")},
        {QStringLiteral("hangup-after"),
         QStringLiteral("Close the device after <n> commands, like an unplugged modem."),
         QStringLiteral("n")},
        {QStringLiteral("garbage"), QStringLiteral("Stream random bytes after the first command.")},
        {QStringLiteral("no-voice"),
         QStringLiteral("Be a data modem: no class 8 in AT+FCLASS=?, ERROR to AT+FCLASS=8 and "
                        "to every voice command.")},
        {QStringLiteral("refuse-queries"),
         QStringLiteral("Answer ERROR to ATI and AT+FCLASS=?, like a modem that knows neither.")},
        {QStringLiteral("refuse"),
         QStringLiteral("Answer ERROR to a command line starting with <command> (+VLS=1, "
                        "+FCLASS=8...), like a modem that cannot do that step. Repeatable."),
         QStringLiteral("command")},
        {QStringLiteral("voice-methods"),
         QStringLiteral("The compression methods AT+VSM=? offers: default (unsigned PCM, IMA "
                        "ADPCM, u-law, A-law, as Conexant lists them), ulaw or alaw (that and "
                        "IMA ADPCM), signed (signed PCM, U.S. Robotics' form), adpcm (ADPCM "
                        "only), semicolon (ZyXEL's ';'-separated list of its own codings). "
                        "Codings the simulator cannot produce answer ERROR to AT+VRX."),
         QStringLiteral("name")},
        {QStringLiteral("line-label"),
         QStringLiteral("Number the AT+VLS configuration of the line alone (\"T\") <n>: 1 as "
                        "most modems do, or 5 and up for a modem without label 1."),
         QStringLiteral("n")},
        {QStringLiteral("vcon"),
         QStringLiteral("Answer VCON instead of OK after a voice dial, after AT+VLS with the "
                        "line and at the end of a receive.")},
        {QStringLiteral("fixed-tone-length"),
         QStringLiteral("Play every AT+VTS tone for 1 s and know no AT+VTD, nor {digit,length}.")},
        {QStringLiteral("ringback"),
         QStringLiteral("Ring back <n> times before the service answers (Japan's ringback: "
                        "400 Hz modulated at 16 Hz, 1 s on, 2 s off)."),
         QStringLiteral("n")},
        {QStringLiteral("report-ringback"),
         QStringLiteral("Report each ringback as DLE r in the receive stream.")},
        {QStringLiteral("service-script"),
         QStringLiteral("Read the service's steps from <file> (format above)."),
         QStringLiteral("file")},
    });
}

std::optional<int> count(const QCommandLineParser& parser, const QString& name, int minimum)
{
    if (!parser.isSet(name))
        return 0;
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value < minimum)
        return std::nullopt;
    return value;
}

std::optional<ServiceScript> readScript(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QString problem;
    const std::optional<ServiceScript> script =
        ServiceScript::parse(QString::fromUtf8(file.readAll()), &problem);
    if (!script)
        *error = QStringLiteral("%1: %2").arg(path, problem);
    return script;
}

// "+VLS=1" and "at+vls=1" alike: the start of the command line after "AT".
std::optional<QByteArrayList> refusals(const QStringList& commands)
{
    QByteArrayList starts;
    for (const QString& command : commands) {
        QByteArray start = command.toLatin1().toUpper();
        if (start.startsWith("AT"))
            start.remove(0, 2);
        if (start.isEmpty())
            return std::nullopt;
        starts << start;
    }
    return starts;
}

// The voice and service switches; false with *error set when one is wrong.
bool parseVoiceOptions(const QCommandLineParser& parser, ModemEmulator::Options& options,
                       QString* error)
{
    const std::optional<int> ringback = count(parser, QStringLiteral("ringback"), 0);
    const std::optional<int> lineLabel = parser.isSet(QStringLiteral("line-label"))
                                             ? count(parser, QStringLiteral("line-label"), 1)
                                             : 1;
    const QString methodsName = parser.isSet(QStringLiteral("voice-methods"))
                                    ? parser.value(QStringLiteral("voice-methods"))
                                    : QStringLiteral("default");
    const std::optional<VoiceMethods::Catalogue> methods = VoiceMethods::named(methodsName);
    const std::optional<QByteArrayList> refused = refusals(parser.values(QStringLiteral("refuse")));
    if (!ringback || !refused)
        return false;
    if (!lineLabel || (*lineLabel > 1 && *lineLabel < LineLabelsAfterSpeaker) ||
        *lineLabel > HighestLineLabel) {
        *error = QStringLiteral("--line-label is 1 or 5 to %1").arg(HighestLineLabel);
        return false;
    }
    if (!methods) {
        *error = QStringLiteral("--voice-methods is one of: %1")
                     .arg(VoiceMethods::names().join(QStringLiteral(", ")));
        return false;
    }
    if (parser.isSet(QStringLiteral("service-script"))) {
        const std::optional<ServiceScript> script =
            readScript(parser.value(QStringLiteral("service-script")), error);
        if (!script)
            return false;
        options.script = *script;
    }
    options.refusals = *refused;
    options.voiceMethods = *methods;
    options.lineLabel = *lineLabel;
    options.vcon = parser.isSet(QStringLiteral("vcon"));
    options.fixedToneLength = parser.isSet(QStringLiteral("fixed-tone-length"));
    options.ringbackCycles = *ringback;
    options.reportRingback = parser.isSet(QStringLiteral("report-ringback"));
    return true;
}

// Empty with *error set, or left empty for the usage text, when the arguments are wrong.
std::optional<Arguments> parseArguments(QCommandLineParser& parser, QString* error)
{
    if (!parser.parse(QCoreApplication::arguments()) || !parser.positionalArguments().isEmpty())
        return std::nullopt;
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    const std::optional<int> delay = count(parser, QStringLiteral("delay"), 0);
    const std::optional<int> hangupAfter = count(parser, QStringLiteral("hangup-after"), 1);
    const QString answer = parser.value(QStringLiteral("answer"));
    if (!delay || !hangupAfter || (parser.isSet(QStringLiteral("answer")) && answer.isEmpty()))
        return std::nullopt;

    Arguments arguments;
    arguments.linkPath = parser.value(QStringLiteral("link"));
    arguments.recordPath = parser.value(QStringLiteral("record"));
    ModemEmulator::Options& options = arguments.options;
    options.silent = parser.isSet(QStringLiteral("silent"));
    options.lowercaseOk = parser.isSet(QStringLiteral("lowercase-ok"));
    options.splitOk = parser.isSet(QStringLiteral("split-ok"));
    options.dialAnswer = answer.toLatin1();
    options.answerDelayMs = *delay;
    options.hangupAfter = *hangupAfter;
    options.garbage = parser.isSet(QStringLiteral("garbage"));
    options.noVoice = parser.isSet(QStringLiteral("no-voice"));
    options.refuseQueries = parser.isSet(QStringLiteral("refuse-queries"));
    if (!parseVoiceOptions(parser, options, error))
        return std::nullopt;
    return arguments;
}

} // namespace

int main(int argc, char* argv[])
{
    std::signal(SIGPIPE, SIG_IGN); // a reader that went away fails a write, it ends nothing
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarvik-modemsim"));

    QCommandLineParser parser;
    addOptions(parser);
    QString error;
    const std::optional<Arguments> arguments = parseArguments(parser, &error);
    if (!arguments) {
        std::fputs(qPrintable(error.isEmpty() ? parser.helpText()
                                              : QStringLiteral("tarvik-modemsim: %1\n").arg(error)),
                   stderr);
        return ExitUsage;
    }

    // Before the device line: whoever reads it may end the simulator at once, and the link
    // is removed only when the event loop ends normally.
    ExitSignals exitSignals;
    QObject::connect(&exitSignals, &ExitSignals::exitRequested, &app, &QCoreApplication::quit);
    SimulatorSession session(arguments->options);
    if (!session.start(arguments->linkPath, arguments->recordPath, &error)) {
        std::fputs(qPrintable(QStringLiteral("tarvik-modemsim: %1\n").arg(error)), stderr);
        return 1;
    }
    QObject::connect(&session, &SimulatorSession::lineClosed, &app, &QCoreApplication::quit);
    const int status = app.exec();
    session.finish();
    return status;
}
