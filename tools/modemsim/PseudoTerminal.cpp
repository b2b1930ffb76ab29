#include "PseudoTerminal.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString systemError(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(strerror(errno)));
}

} // namespace

PseudoTerminal::PseudoTerminal(QObject* parent) : QObject(parent) {}

PseudoTerminal::~PseudoTerminal()
{
    close();
}

bool PseudoTerminal::open(QString* error)
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        *error = systemError("posix_openpt");
        close();
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(ptsname(m_master));
    m_slave = ::open(ptsname(m_master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios mode{};
    if (m_slave < 0 || tcgetattr(m_slave, &mode) != 0) {
        *error = systemError("open slave");
        close();
        return false;
    }
    // A serial line moves bytes unchanged: no CR/LF translation, no echo by the tty itself.
    cfmakeraw(&mode);
    tcsetattr(m_slave, TCSANOW, &mode);

    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PseudoTerminal::readyRead);
    return true;
}

bool PseudoTerminal::link(const QString& linkPath, QString* error)
{
    const QByteArray path = QFile::encodeName(linkPath);
    struct stat existing {};
    // A link left behind by a killed run is replaced; anything else at the path is kept.
    if (lstat(path.constData(), &existing) == 0 && S_ISLNK(existing.st_mode))
        unlink(path.constData());
    if (symlink(QFile::encodeName(m_slavePath).constData(), path.constData()) != 0) {
        *error = systemError("symlink");
        return false;
    }
    m_linkPath = linkPath;
    return true;
}

void PseudoTerminal::close()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (!m_linkPath.isEmpty())
        unlink(QFile::encodeName(m_linkPath).constData());
    m_linkPath.clear();
    for (int* fd : {&m_slave, &m_master}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

QByteArray PseudoTerminal::readAll()
{
    QByteArray bytes;
    char buffer[4096];
    ssize_t count;
    while (m_master >= 0 && (count = ::read(m_master, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, count);
    return bytes;
}

int PseudoTerminal::unreadByProgram() const
{
    int count = 0;
    return m_slave >= 0 && ioctl(m_slave, TIOCINQ, &count) == 0 ? count : 0;
}

void PseudoTerminal::write(const QByteArray& bytes)
{
    qsizetype written = 0;
    ssize_t count = 0;
    while (m_master >= 0 && written < bytes.size() &&
           (count = ::write(m_master, bytes.constData() + written, bytes.size() - written)) > 0)
        written += count;
}
