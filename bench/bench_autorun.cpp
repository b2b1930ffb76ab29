// How soon an automatic run in voice mode answers a prompt: from the prompt detector's
// promptEnded to the first byte of the step's commands handed to the serial port (DLE !, which
// ends the receive before the tones), over a pseudo-terminal against the modem simulator,
// through the real window. Prints each step's delay and the median and worst.

#include "LineControl.h"
#include "MessageBoxes.h"
#include "ModemCheck.h"
#include "ReserveForm.h"
#include "SerialPortOpener.h"
#include "SettingsFile.h"
#include "SettingsStore.h"
#include "SimulatorProcess.h"
#include "SystemSerialDevices.h"
#include "VoiceReceiver.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

const QByteArray Script = "service 800 3 150\nservice-ok 600 1 150\nregistration 700 8 150\n"
                          "pin 0 4 0\nfacility 700 4 150\nbreakdown 0 2 0\n"
                          "conditions 600 any 150\nconditions-ok 600 1 150\ndate 600 2 150\n"
                          "time-slot 600 2 150\npurpose 600 2 150\npurpose-ok 600 1 150\n";

class AnsweringBoxes : public MessageBoxes {
public:
    Answer show(QWidget*, const QString& title, const QString& text, Buttons) override
    {
        std::fprintf(stderr, "box: %s: %s\n", qPrintable(title), qPrintable(text));
        return Answer::Ok;
    }
};

// The real serial port, whose writes the benchmark watches.
class WatchedOpener : public PortOpener {
public:
    explicit WatchedOpener(std::function<void()> written) : m_written(std::move(written)) {}
    Result open(const QString& devicePath, Speed speed) override
    {
        Result result = SerialPortOpener().open(devicePath, speed);
        if (result.device)
            QObject::connect(result.device.get(), &QIODevice::bytesWritten, m_written);
        return result;
    }

private:
    std::function<void()> m_written;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir folder;
    QFile script(folder.filePath("script"));
    Settings settings =
        SettingsFile::load(qEnvironmentVariable("TARVIK_SOURCE_DIR") + "/data/demo/Tarvik.ini");
    settings.voice = true;
    QProcess simulator;
    simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (!script.open(QIODevice::WriteOnly) || script.write(Script) != Script.size() ||
        !(script.close(), SettingsFile::save(folder.filePath("Tarvik.ini"), settings, nullptr))) {
        std::fputs("cannot write the settings\n", stderr);
        return 1;
    }
    PortMapping::Overrides com1;
    com1[0] = SimulatorProcess::start(simulator, {"--service-script", script.fileName()});
    if (com1[0].isEmpty()) {
        std::fputs("cannot start: set TARVIK_MODEMSIM and TARVIK_SOURCE_DIR\n", stderr);
        return 1;
    }

    QElapsedTimer clock;
    clock.start();
    qint64 endedNs = -1;
    QList<double> delaysMs;
    WatchedOpener opener([&] {
        if (endedNs >= 0)
            delaysMs << double(clock.nsecsElapsed() - endedNs) / 1e6;
        endedNs = -1;
    });
    VoiceReceiver voice;
    LineControl line(opener, voice);
    ModemCheck check(opener);
    SystemSerialDevices serialDevices;
    AnsweringBoxes boxes;
    const SettingsStore store([&] { return folder.filePath("Tarvik.ini"); });
    ReserveForm window(line, check, serialDevices, boxes, store, com1);
    // A prompt that ends while a step still runs (the greeting during the dial's pause) is
    // answered once that step is over: that wait is the step's, not the run's.
    QObject::connect(&voice, &VoiceReceiver::promptEnded, [&] {
        if (!line.isBusy())
            endedNs = clock.nsecsElapsed();
    });
    window.findChild<QAction*>("MenuAutoRun")->trigger();
    QEventLoop finished;
    QTimer::singleShot(120000, &finished, &QEventLoop::quit);
    const auto* state = window.findChild<QLabel*>("RunState");
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!state->text().startsWith(QStringLiteral("自動実行中")))
            finished.quit();
    });
    poll.start(100);
    finished.exec();
    line.hangUpForExit();
    simulator.terminate();
    simulator.waitForFinished();

    std::printf("%s\n", qPrintable(state->text()));
    for (const double ms : delaysMs)
        std::printf("promptEnded -> first byte: %.2f ms\n", ms);
    std::sort(delaysMs.begin(), delaysMs.end());
    if (!delaysMs.isEmpty())
        std::printf("steps %lld, median %.2f ms, worst %.2f ms (goal: under 20 ms)\n",
                    delaysMs.size(), delaysMs[delaysMs.size() / 2], delaysMs.last());
    return delaysMs.isEmpty() ? 1 : 0;
}
