// Measures a call in voice mode end to end, in real time: the real LineControl and
// VoiceReceiver, playing through this build's sound plugin, over the modem simulator's
// pseudo-terminal. Prints
//  - the CPU time of this process and of the simulator for a minute of receive (the dial,
//    then listening): the process's first call, which loads the sound plugin, and two later
//    ones in two of the simulator's formats;
//  - for each prompt of a short service, how long after the prompt's audio ended on the line
//    promptEnded came, by the wall clock, against the 700 ms rule.
// bench/voice-call runs it with a sound server of its own.

#include "AudioOutputLoader.h"
#include "LineControl.h"
#include "SerialPortOpener.h"
#include "VoiceReceiver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QProcess>
#include <QTemporaryFile>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <functional>
#include <utility>

namespace {

constexpr qint64 ListenMs = 60000;
constexpr qint64 DeadlineMs = 15000;
constexpr double NsPerMs = 1e6;
const QString Number = QStringLiteral("0451234567");

// Lengths whose ends fall anywhere in the stream's 20 ms pieces; each step waits for one digit.
const QList<std::pair<QByteArray, int>> Prompts = {
    {"first", 1510}, {"second", 3005}, {"third", 7113}, {"fourth", 4297}, {"fifth", 2555}};

double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    const timeval& user = usage.ru_utime;
    const timeval& system = usage.ru_stime;
    return double(user.tv_sec + system.tv_sec) + double(user.tv_usec + system.tv_usec) / 1e6;
}

// Runs events until done() holds, asked whenever wake fires, or deadlineMs has passed by the
// monotonic clock; a timer that fires early is started again for the rest.
template <typename Sender, typename Signal>
bool waitFor(const Sender* sender, Signal wake, qint64 deadlineMs,
             const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(sender, wake, &loop, &QEventLoop::quit);
    while (!done() && clock.elapsed() < deadlineMs) {
        deadline.start(int(deadlineMs - clock.elapsed()));
        loop.exec();
    }
    return done();
}

// The simulator with the wall time, on the bench's clock, of each prompt's transcript line.
class Simulator {
public:
    Simulator(const QElapsedTimer& clock, const QStringList& arguments) : m_clock(clock)
    {
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] { readLines(); });
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(TARVIK_MODEMSIM_PATH), arguments);
        waitFor(&m_process, &QProcess::readyReadStandardOutput, DeadlineMs,
                [this] { return !m_device.isEmpty(); });
    }

    const QString& device() const { return m_device; }
    qint64 promptStartNs(const QByteArray& step) const { return m_promptStartNs.value(step, -1); }

    // Ends the simulator and returns the CPU seconds it used over its life.
    double finish()
    {
        const double before = cpuSeconds(RUSAGE_CHILDREN);
        m_process.terminate();
        m_process.waitForFinished();
        return cpuSeconds(RUSAGE_CHILDREN) - before;
    }

private:
    void readLines()
    {
        while (m_process.canReadLine()) {
            const QByteArray line = m_process.readLine().trimmed();
            if (line.startsWith("device: "))
                m_device = QString::fromLocal8Bit(line.mid(8));
            if (line.startsWith("prompt "))
                m_promptStartNs.insert(line.mid(7), m_clock.nsecsElapsed());
        }
    }

    const QElapsedTimer& m_clock;
    QProcess m_process;
    QString m_device;
    QHash<QByteArray, qint64> m_promptStartNs;
};

// A call in voice mode through the real line control, off-hook once constructed.
struct Call {
    Call(const QElapsedTimer& clock, const QStringList& arguments)
        : simulator(clock, arguments),
          voice([] { return AudioOutputLoader({TARVIK_AUDIO_FOLDER}).createOutput(); },
                PromptTimings()),
          line(opener, voice)
    {
        line.hook(simulator.device(), LineControl::Mode::Voice);
    }

    bool inVoiceMode() const
    {
        return line.state() == LineControl::State::OffHook && line.voiceFormat();
    }

    Simulator simulator;
    SerialPortOpener opener;
    VoiceReceiver voice;
    LineControl line;
};

QString described(const Call& call)
{
    const VoiceFormat& format = *call.line.voiceFormat();
    return QStringLiteral("%1 at %2/s, %3")
        .arg(format.modemName)
        .arg(format.sampleRate)
        .arg(call.voice.isPlaying() ? QStringLiteral("played on a sound device")
                                    : QStringLiteral("no sound device"));
}

void measureCpu(const QElapsedTimer& clock, const QStringList& arguments)
{
    const qint64 started = clock.elapsed();
    Call call(clock, arguments);
    if (!call.inVoiceMode()) {
        std::puts("no call in voice mode");
        return;
    }
    const double before = cpuSeconds(RUSAGE_SELF);
    QElapsedTimer listening;
    listening.start();
    call.line.dial(LineControl::DialMode::Tone, Number);
    waitFor(&call.line, &LineControl::stateChanged, ListenMs,
            [&] { return listening.elapsed() >= ListenMs; });
    const double programMs = 1000 * (cpuSeconds(RUSAGE_SELF) - before);
    const QString what = described(call);
    call.line.hookOff();
    const double simulatorMs = 1000 * call.simulator.finish();
    const double simulatorLifeMs = double(clock.elapsed() - started);
    std::printf("%s: program %.0f ms CPU in %lld s = %.2f %% of one core; "
                "simulator %.0f ms in %.0f s = %.2f %%\n",
                qPrintable(what), programMs, ListenMs / 1000, 100 * programMs / double(ListenMs),
                simulatorMs, simulatorLifeMs / 1000, 100 * simulatorMs / simulatorLifeMs);
}

QByteArray serviceScript()
{
    QByteArray text;
    for (const auto& [step, promptMs] : Prompts)
        text += step + ' ' + QByteArray::number(promptMs) + " 1\n";
    return text;
}

// Each step's digit is sent once promptEnded has come, as one who listens would.
void measureDelays(const QElapsedTimer& clock)
{
    QTemporaryFile script;
    if (!script.open() || script.write(serviceScript()) < 0 || !script.flush())
        return;
    Call call(clock, {QStringLiteral("--service-script"), script.fileName()});
    if (!call.inVoiceMode()) {
        std::puts("no call in voice mode");
        return;
    }
    QList<qint64> startedNs;
    QList<qint64> endedNs;
    QObject::connect(&call.voice, &VoiceReceiver::promptStarted,
                     [&] { startedNs << clock.nsecsElapsed(); });
    QObject::connect(&call.voice, &VoiceReceiver::promptEnded,
                     [&] { endedNs << clock.nsecsElapsed(); });
    call.line.dial(LineControl::DialMode::Tone, Number);
    std::printf("%s, rule %d ms\n", qPrintable(described(call)), PromptTimings().silenceMs);
    for (int i = 0; i < Prompts.size(); ++i) {
        const auto& [step, promptMs] = Prompts[i];
        if (!waitFor(&call.voice, &VoiceReceiver::promptEnded, DeadlineMs,
                     [&] { return endedNs.size() > i; })) {
            std::printf("%s: no promptEnded\n", step.constData());
            break;
        }
        const qint64 startNs = call.simulator.promptStartNs(step);
        const double endedMs = double(endedNs[i] - startNs) / NsPerMs - promptMs;
        std::printf("prompt of %4d ms: promptStarted %5.1f ms after its start, promptEnded "
                    "%5.1f ms after its end (%+5.1f ms against the rule)\n",
                    promptMs, double(startedNs.value(i) - startNs) / NsPerMs, endedMs,
                    endedMs - PromptTimings().silenceMs);
        call.line.sendTones(QStringLiteral("1"));
    }
    call.line.hookOff();
    call.simulator.finish();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QElapsedTimer clock;
    clock.start();
    std::puts("A minute of receive: the dial, then listening");
    std::fputs("first call, the sound plugin loaded: ", stdout);
    measureCpu(clock, {});
    for (const QString& methods : {QStringLiteral("default"), QStringLiteral("ulaw")}) {
        std::fputs("next call: ", stdout);
        measureCpu(clock, {QStringLiteral("--voice-methods"), methods});
    }
    std::puts("\nThe end of each prompt on the line to promptEnded");
    measureDelays(clock);
    return 0;
}
