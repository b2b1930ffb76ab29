#include "AtomicFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString errnoText(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("書き込みの権限がありません");
    case EROFS:
        return QStringLiteral("読み取り専用の場所です");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("ディスクの空き容量が足りません");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("保存先のフォルダーがありません");
    case EISDIR:
        return QStringLiteral("同じ名前のフォルダーがあります");
    default:
        return QStringLiteral("システムエラー %1").arg(error);
    }
}

bool fail(QString* error, const QString& step)
{
    if (error)
        *error = QStringLiteral("%1（%2）").arg(step, errnoText(errno));
    return false;
}

bool writeAll(int fd, QByteArrayView contents)
{
    const char* data = contents.data();
    qsizetype left = contents.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, std::size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

using Step = AtomicFile::Step;

bool mayTake(const AtomicFile::StepCheck& beforeStep, Step step)
{
    if (!beforeStep || beforeStep(step))
        return true;
    errno = EIO;
    return false;
}

// After the rename the new file is in place; syncing the folder only makes the rename
// itself survive a power cut, so a failure here is no reason to report the save as failed.
void syncFolder(const QString& path, const AtomicFile::StepCheck& beforeStep)
{
    if (!mayTake(beforeStep, Step::SyncFolder))
        return;
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool fillTemporary(int fd, QByteArrayView contents, QString* error,
                   const AtomicFile::StepCheck& beforeStep)
{
    if (::fchmod(fd, S_IRUSR | S_IWUSR) != 0)
        return fail(error, QStringLiteral("権限を設定できません"));
    if (!mayTake(beforeStep, Step::Write) || !writeAll(fd, contents))
        return fail(error, QStringLiteral("書き込めません"));
    if (!mayTake(beforeStep, Step::Sync) || ::fsync(fd) != 0)
        return fail(error, QStringLiteral("ディスクに書き出せません"));
    return true;
}

bool closeTemporary(int fd, const AtomicFile::StepCheck& beforeStep)
{
    const bool closed = ::close(fd) == 0; // the descriptor goes in any case
    return mayTake(beforeStep, Step::Close) && closed;
}

} // namespace

bool AtomicFile::write(const QString& path, QByteArrayView contents, QString* error,
                       const StepCheck& beforeStep)
{
    const QByteArray target = QFile::encodeName(path);
    // A file the user made read-only is not replaced behind their back, although the
    // folder's permissions alone would allow the rename.
    if (::access(target.constData(), F_OK) == 0 && ::access(target.constData(), W_OK) != 0)
        return fail(error, QStringLiteral("ファイルが読み取り専用です"));
    QByteArray temporary = target + ".XXXXXX";
    const int fd =
        mayTake(beforeStep, Step::CreateTemporary) ? ::mkostemp(temporary.data(), O_CLOEXEC) : -1;
    if (fd < 0)
        return fail(error, QStringLiteral("一時ファイルを作成できません"));
    bool ok = fillTemporary(fd, contents, error, beforeStep);
    if (!closeTemporary(fd, beforeStep) && ok)
        ok = fail(error, QStringLiteral("書き込めません"));
    if (!ok) {
        ::unlink(temporary.constData());
        return false;
    }
    if (!mayTake(beforeStep, Step::Rename) ||
        ::rename(temporary.constData(), target.constData()) != 0) {
        fail(error, QStringLiteral("ファイルを置き換えられません"));
        ::unlink(temporary.constData());
        return false;
    }
    syncFolder(path, beforeStep);
    return true;
}
