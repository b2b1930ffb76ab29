#include "AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using Step = AtomicFile::Step;

Q_DECLARE_METATYPE(Step)

namespace {

const QByteArray OldBytes = "[COM]\r\nCH=1\r\n";
const QByteArray NewBytes = "[COM]\r\nCH=2\r\n[PHONE]\r\nNumber=0451234567\r\n";

struct Crash {};

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace

// Replacing the settings file must never lose it: whatever step fails, and wherever the
// program dies, the folder holds the old file or the new one, each whole.
class TestAtomicFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QFile file(target());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(OldBytes) == OldBytes.size());
    }

    // Failing the folder's sync, after the rename, still leaves the new file in place.
    void failedStepKeepsTheOldFile_data()
    {
        QTest::addColumn<Step>("step");
        QTest::addColumn<QString>("reason"); // empty: the save succeeds
        QTest::addColumn<QByteArray>("afterCrash");
        QTest::newRow("create") << Step::CreateTemporary << "一時ファイルを作成できません"
                                << OldBytes;
        QTest::newRow("write") << Step::Write << "書き込めません" << OldBytes;
        QTest::newRow("sync") << Step::Sync << "ディスクに書き出せません" << OldBytes;
        QTest::newRow("close") << Step::Close << "書き込めません" << OldBytes;
        QTest::newRow("rename") << Step::Rename << "ファイルを置き換えられません" << OldBytes;
        QTest::newRow("folder's sync") << Step::SyncFolder << QString() << NewBytes;
    }

    void failedStepKeepsTheOldFile()
    {
        QFETCH(Step, step);
        QFETCH(QString, reason);
        QString error;
        const bool written =
            AtomicFile::write(target(), NewBytes, &error, [step](Step now) { return now != step; });
        QCOMPARE(written, reason.isEmpty());
        QCOMPARE(error, written ? QString() : reason + QStringLiteral("（システムエラー 5）"));
        QCOMPARE(readFile(target()), written ? NewBytes : OldBytes);
        QCOMPARE(leftInFolder(), QStringList{"Tarvik.ini"}); // no temporary file behind
    }

    void crashLeavesTheOldFileOrTheNewOne_data() { failedStepKeepsTheOldFile_data(); }
    void crashLeavesTheOldFileOrTheNewOne()
    {
        QFETCH(Step, step);
        bool crashed = false;
        try {
            AtomicFile::write(target(), NewBytes, nullptr, [step](Step now) {
                if (now == step)
                    throw Crash();
                return true;
            });
        } catch (const Crash&) {
            crashed = true;
        }
        QVERIFY(crashed);
        QTEST(readFile(target()), "afterCrash");
    }

    // The file holds PINs: a replacement is private even where the old file was not.
    void replacedFileIsTheOwnersOnly()
    {
        QVERIFY(QFile::setPermissions(target(), QFile::ReadOwner | QFile::WriteOwner |
                                                    QFile::ReadOther | QFile::WriteOther));
        QVERIFY(AtomicFile::write(target(), NewBytes, nullptr));
        struct stat status = {};
        QCOMPARE(::stat(QFile::encodeName(target()).constData(), &status), 0);
        QCOMPARE(status.st_mode & 0777, mode_t(0600));
    }

    // A file the user made read-only is not replaced, although the folder would allow it.
    void readOnlyFileIsKept()
    {
        if (::geteuid() == 0)
            QSKIP("root writes to read-only files");
        QVERIFY(QFile::setPermissions(target(), QFile::ReadOwner));
        QString error;
        QVERIFY(!AtomicFile::write(target(), NewBytes, &error));
        QCOMPARE(error, "ファイルが読み取り専用です（書き込みの権限がありません）");
        QCOMPARE(readFile(target()), OldBytes);
    }

private:
    QString target() const { return m_dir->filePath(QStringLiteral("Tarvik.ini")); }
    QStringList leftInFolder() const { return QDir(m_dir->path()).entryList(QDir::Files); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
