// tarvik-modemsim: a voice modem on a pseudo-terminal, for tests and for trying Tarvik without
// a modem. See usage() for the flags; the transcript goes to stdout.
#include "ExitSignals.h"
#include "SimulatorSession.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <optional>

namespace {

constexpr int ExitUsage = 2;

struct Arguments {
    ModemEmulator::Options options;
    QString linkPath;
    QString recordPath;
};

void addOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Answers AT commands like a V.250 voice modem on a pseudo-terminal:\n"
                       "ATE, ATH, ATZ, ATD (tones with ';'), ATI and AT+FCLASS=?.\n"
                       "Prints \"device: /dev/pts/N\", then one transcript line per event."));
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
         QStringLiteral("List no voice class 8 in answer to AT+FCLASS=?, like a data modem.")},
        {QStringLiteral("refuse-queries"),
         QStringLiteral("Answer ERROR to ATI and AT+FCLASS=?, like a modem that knows neither.")},
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

std::optional<Arguments> parseArguments(QCommandLineParser& parser)
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
    const std::optional<Arguments> arguments = parseArguments(parser);
    if (!arguments) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return ExitUsage;
    }

    // Before the device line: whoever reads it may end the simulator at once, and the link
    // is removed only when the event loop ends normally.
    ExitSignals exitSignals;
    QObject::connect(&exitSignals, &ExitSignals::exitRequested, &app, &QCoreApplication::quit);
    SimulatorSession session(arguments->options);
    QString error;
    if (!session.start(arguments->linkPath, arguments->recordPath, &error)) {
        std::fputs(qPrintable(QStringLiteral("tarvik-modemsim: %1\n").arg(error)), stderr);
        return 1;
    }
    QObject::connect(&session, &SimulatorSession::lineClosed, &app, &QCoreApplication::quit);
    return app.exec();
}
