#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

// Replaces a file in one step: the contents go to a new file beside it, which is synced to
// disk and then renamed over the old one. A failure at any point leaves the old file as
// it was. The file is readable and writable by its owner only (it holds PINs), also when
// it replaces one with other permissions.
class AtomicFile {
public:
    // The steps of a replacement, in order.
    enum class Step { CreateTemporary, Write, Sync, Close, Rename, SyncFolder };
    // Asked before each step; false makes the step fail as a failing disk would (EIO). The
    // way to show that a failure, or a crash, at any step leaves the old file or the new one.
    using StepCheck = std::function<bool(Step step)>;

    // False with a reason in Japanese in *error when the file could not be replaced.
    static bool write(const QString& path, QByteArrayView contents, QString* error,
                      const StepCheck& beforeStep = {});
};
