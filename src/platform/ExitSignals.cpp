#include "ExitSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <iterator>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int HandledSignals[] = {SIGTERM, SIGINT, SIGHUP};
static_assert(std::size(HandledSignals) == ExitSignals::SignalCount);
int socketEnds[2] = {-1, -1}; // [0] read in the event loop, [1] written by the handler

void writeSignalNumber(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(socketEnds[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

ExitSignals::ExitSignals(QObject* parent) : QObject(parent)
{
    Q_ASSERT(socketEnds[0] < 0);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, socketEnds) != 0)
        return;
    m_notifier = new QSocketNotifier(socketEnds[0], QSocketNotifier::Read, this);
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
    ::close(socketEnds[0]);
    ::close(socketEnds[1]);
    socketEnds[0] = socketEnds[1] = -1;
}

void ExitSignals::readSignal()
{
    char byte = 0;
    if (::read(socketEnds[0], &byte, 1) == 1)
        Q_EMIT exitRequested(int(byte));
}
