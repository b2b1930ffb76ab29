#include "ExitSignals.h"
#include "LineControl.h"
#include "ModemCheck.h"
#include "PortMapping.h"
#include "QtMessageBoxes.h"
#include "ReserveForm.h"
#include "SerialPortOpener.h"
#include "SettingsFile.h"
#include "SettingsStore.h"
#include "SystemSerialDevices.h"
#include "VoiceReceiver.h"

#include <QApplication>
#include <QCommandLineParser>

namespace {

void describeCommandLine(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "音声モデムで予約サービスに電話をかけ、予約の各項目をトーン信号で送ります。\n"
        "Places a reservation with a touch-tone booking service through a voice "
        "modem."));
    parser.addHelpOption();
    parser.addVersionOption();
}

// --help and --version are answered before the window system is needed, so that they also
// work in a terminal without a display. Returns when neither was asked for; every other
// option is judged once QApplication has taken its own (-style, -session, ...).
void answerQuestionsWithoutWindow(int& argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    describeCommandLine(parser);
    parser.parse(arguments);
    const bool version = parser.isSet(QStringLiteral("version"));
    if (!version && !parser.isSet(QStringLiteral("help")))
        return;
    const QCoreApplication app(argc, argv); // names the program in the usage line
    if (version)
        parser.showVersion();
    parser.showHelp();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("tarvik"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVIK_VERSION));
    answerQuestionsWithoutWindow(argc, argv);

    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tarvik.Tarvik"));
    QCommandLineParser parser;
    describeCommandLine(parser);
    parser.process(app);

    SerialPortOpener opener;
    // Loads the sound plugin only when a call in voice mode first needs it.
    VoiceReceiver voice;
    LineControl line(opener, voice);
    ModemCheck check(opener);
    SystemSerialDevices serialDevices;
    QtMessageBoxes boxes;
    const SettingsStore store(&SettingsFile::pathInCurrentDirectory);
    ReserveForm window(line, check, serialDevices, boxes, store,
                       PortMapping::overridesFromEnvironment());
    // Leaving from the menu has asked its questions already; the close box's must not follow.
    QObject::connect(&window, &ReserveForm::exitRequested, &app, [] { QCoreApplication::exit(0); });
    // The end of the desktop session, Ctrl+C or a closed terminal: hang up, then end.
    ExitSignals exitSignals;
    QObject::connect(&exitSignals, &ExitSignals::exitRequested, &window,
                     &ReserveForm::leaveWithoutQuestions);
    window.show();
    return app.exec();
}
