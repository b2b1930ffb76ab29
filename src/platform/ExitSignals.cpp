#include "ExitSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <iterator>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int HandledSignals[] = {SIGTERM, SIGINT, SIGHUP};
static_assert(std::size(HandledSignals) == ExitSignals::SignalCount);
int pipeEnds[2] = {-1, -1}; // [0] read in the event loop, [1] written by the handler

void writeSignalNumber(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

ExitSignals::ExitSignals(QObject* parent) : QObject(parent)
{
    Q_ASSERT(pipeEnds[0] < 0);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pipeEnds) != 0)
        return;
    m_notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ExitSignals::readSignal);

    struct sigaction action = {};
    action.sa_handler = writeSignalNumber;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < SignalCount; ++i)
        ::sigaction(HandledSignals[i], &action, &m_previous[i]);
}

ExitSignals::~ExitSignals()
{
    if (!m_notifier)
        return;
    for (int i = 0; i < SignalCount; ++i)
        ::sigaction(HandledSignals[i], &m_previous[i], nullptr);
    delete m_notifier;
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

void ExitSignals::readSignal()
{
    char byte = 0;
    if (::read(pipeEnds[0], &byte, 1) == 1)
        Q_EMIT exitRequested(int(byte));
}
