// Places the whole typical call 50 times in a row, through the real window and serial port,
// against the modem simulator, and prints the open file descriptors and the resident memory
// after every 10 calls: both must stay flat. Run by bench/reliability.

#include "LineControl.h"
#include "MessageBoxes.h"
#include "ModemCheck.h"
#include "ReserveForm.h"
#include "SerialPortOpener.h"
#include "SettingsStore.h"
#include "SimulatorProcess.h"
#include "SystemSerialDevices.h"
#include "VoiceReceiver.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int Calls = 50;
constexpr int ReportEvery = 10;
using Step = CallProcedure::Step;

// The typical call, then a second facility, a "*" from the tone pad, another service, HookOFF.
const Step TypicalCall[] = {
    Step::Hook,     Step::Dial,       Step::Service,         Step::FirstYes, Step::Member,
    Step::Facility, Step::Conditions, Step::SecondYes,       Step::Date,     Step::TimeSlot,
    Step::Purpose,  Step::ThirdYes,   Step::NextReservation, Step::Facility};
constexpr int StarKey = 10;

// A box during the soak is a fault: it is printed and counted, and answered at once.
class CountingBoxes : public MessageBoxes {
public:
    Answer show(QWidget*, const QString& title, const QString& text, Buttons) override
    {
        std::fprintf(stderr, "box: %s: %s\n", qPrintable(title), qPrintable(text));
        ++shown;
        return Answer::Ok;
    }
    int shown = 0;
};

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot).size());
}

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QProcess simulator;
    simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const QString device = SimulatorProcess::start(simulator);
    QTemporaryDir folder;
    const QString settings = folder.filePath(QStringLiteral("Tarvik.ini"));
    if (device.isEmpty() ||
        !QFile::copy(qEnvironmentVariable("TARVIK_SOURCE_DIR") + "/data/demo/Tarvik.ini",
                     settings)) {
        std::fputs("cannot start: set TARVIK_MODEMSIM and TARVIK_SOURCE_DIR\n", stderr);
        return 1;
    }
    PortMapping::Overrides com1;
    com1[0] = device;

    SerialPortOpener opener;
    LineControl::Timing timing;
    timing.replyTimeoutMs = 2000;
    timing.dialPauseMs = timing.pairPauseMs = 10;
    timing.exitReplyTimeoutMs = 500;
    VoiceReceiver voice;
    LineControl line(opener, voice, timing);
    ModemCheck check(opener);
    SystemSerialDevices serialDevices;
    CountingBoxes boxes;
    const SettingsStore store([&] { return settings; });
    ReserveForm window(line, check, serialDevices, boxes, store, com1);
    int hangUps = 0; // the simulator's transcript says "hung up" at the end of each call
    std::printf("| calls | open file descriptors | resident memory |\n|---|---|---|\n");
    for (int call = 1; call <= Calls; ++call) {
        const ReserveFormControls ui = ReserveFormLayout::find(&window);
        for (const Step step : TypicalCall)
            ui.button(step)->click();
        ui.keyButtons[StarKey]->click();
        ui.button(Step::OtherService)->click();
        ui.button(Step::HookOff)->click();
        simulator.waitForReadyRead(1000);
        hangUps += int(simulator.readAllStandardOutput().count("hung up"));
        if (call % ReportEvery == 0)
            std::printf("| %d | %d | %ld kB |\n", call, openDescriptors(), residentKilobytes());
    }
    simulator.terminate();
    simulator.waitForFinished();
    std::printf("\nCalls the modem heard end: %d of %d; boxes shown (each a fault): %d\n", hangUps,
                Calls, boxes.shown);
    return hangUps == Calls && boxes.shown == 0 ? 0 : 1;
}
