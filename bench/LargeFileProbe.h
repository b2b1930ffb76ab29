#pragma once

// For the settings benchmark: a large file of random bytes and the process's resident
// memory, to measure how fast and how lean loading it is.

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <QString>

namespace LargeFileProbe {

// Random bytes, written in pieces so that the caller does not hold the file in memory.
inline bool writeGarbage(const QString& path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QRandomGenerator random(932);
    QByteArray piece(1 << 20, Qt::Uninitialized);
    for (qint64 written = 0; written < size; written += piece.size()) {
        random.fillRange(reinterpret_cast<quint32*>(piece.data()), piece.size() / 4);
        if (file.write(piece) != piece.size())
            return false;
    }
    return true;
}

// A field of /proc/self/status in kB ("VmRSS:", "VmHWM:"), -1 when unknown.
inline long statusKilobytes(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Sets the peak resident size (VmHWM) back to the current one; false when the kernel
// does not allow it.
inline bool resetPeakResident()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

} // namespace LargeFileProbe
