// Measures the modem waits over a real serial port on a pseudo-terminal: the CPU time a
// silent wait costs, how soon a wait returns after "OK" CR LF arrives, and how late each
// wait ends. Prints the figures; run it on an otherwise idle machine.

#include "CommandChannel.h"
#include "SerialPortOpener.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int LatencyRuns = 200;
constexpr int LatenessRuns = 50;

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double millisecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

struct Spread {
    double min, median, p99, max;
};

Spread spreadOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const auto at = [&](double share) { return values[size_t(share * double(values.size() - 1))]; };
    return {values.front(), at(0.5), at(0.99), values.back()};
}

void printSpread(const char* what, const Spread& s)
{
    std::printf("%-34s min %7.3f  median %7.3f  p99 %7.3f  max %7.3f ms\n", what, s.min, s.median,
                s.p99, s.max);
}

// The modem's end of the pseudo-terminal; the program opens the other end, *programEnd.
int openModemEnd(QString* programEnd)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        return -1;
    *programEnd = QString::fromLocal8Bit(ptsname(master));
    return master;
}

void measureCpu(CommandChannel& channel)
{
    double cpu = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    channel.waitOk(5000);
    std::printf("silent waitOk (5 s):      wall %7.1f ms, CPU %6.2f ms = %.3f %% of one core\n",
                double(wall.nsecsElapsed()) / 1e6, (cpuSeconds() - cpu) * 1e3,
                100.0 * (cpuSeconds() - cpu) / (double(wall.nsecsElapsed()) / 1e9));

    cpu = cpuSeconds();
    wall.restart();
    channel.waitMilliseconds(3000);
    std::printf("waitMilliseconds(3000):   wall %7.1f ms, CPU %6.2f ms = %.3f %% of one core\n",
                double(wall.nsecsElapsed()) / 1e6, (cpuSeconds() - cpu) * 1e3,
                100.0 * (cpuSeconds() - cpu) / (double(wall.nsecsElapsed()) / 1e9));
}

// From the moment "OK" CR LF is written on the modem's end to waitOk's return.
void measureLatency(CommandChannel& channel, int master)
{
    std::vector<double> latencies;
    for (int run = 0; run < LatencyRuns; ++run) {
        Clock::time_point written;
        std::thread modem([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            written = Clock::now();
            if (write(master, "\r\nOK\r\n", 6) != 6)
                std::abort();
        });
        const CommandChannel::Reply reply = channel.waitOk(1000);
        const Clock::time_point returned = Clock::now();
        modem.join();
        if (reply.outcome != CommandChannel::Outcome::Ok)
            std::abort();
        latencies.push_back(millisecondsBetween(written, returned));
    }
    printSpread("OK arrived -> waitOk returned:", spreadOf(latencies));
}

// How long after its length each wait ends (negative would be early).
template <typename Wait> void measureLateness(const char* what, int lengthMs, Wait wait)
{
    std::vector<double> lateness;
    for (int run = 0; run < LatenessRuns; ++run) {
        const Clock::time_point start = Clock::now();
        wait();
        lateness.push_back(millisecondsBetween(start, Clock::now()) - lengthMs);
    }
    printSpread(what, spreadOf(lateness));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QString programEnd;
    const int master = openModemEnd(&programEnd);
    if (master < 0) {
        std::perror("pseudo-terminal");
        return 1;
    }
    SerialPortOpener opener;
    const PortOpener::Result port = opener.open(programEnd, PortOpener::Speed::Commands);
    if (!port.device) {
        std::fprintf(stderr, "%s\n", "the pseudo-terminal did not open");
        return 1;
    }
    CommandChannel channel(port.device.get());
    std::printf("serial port %s on a pseudo-terminal\n", qPrintable(programEnd));

    measureCpu(channel);
    measureLatency(channel, master);
    measureLateness("silent waitOk(100) late by:", 100, [&] { channel.waitOk(100); });
    measureLateness("waitMilliseconds(100) late by:", 100, [&] { channel.waitMilliseconds(100); });
    measureLateness("waitMilliseconds(37) late by:", 37, [&] { channel.waitMilliseconds(37); });
    close(master);
    return 0;
}
