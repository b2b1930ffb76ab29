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
    void init();
    void failedStepKeepsTheOldFile_data();
    void failedStepKeepsTheOldFile();
    void crashLeavesTheOldFileOrTheNewOne_data();
    void crashLeavesTheOldFileOrTheNewOne();
    void replacedFileIsTheOwnersOnly();
    void refusals_data();
    void refusals();

private:
    QString target() const { return m_dir->filePath(QStringLiteral("Tarvik.ini")); }
    QStringList leftInFolder() const { return QDir(m_dir->path()).entryList(QDir::Files); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestAtomicFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QFile file(target());
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(OldBytes) == OldBytes.size());
}

void TestAtomicFile::failedStepKeepsTheOldFile_data()
{
    QTest::addColumn<Step>("step");
    QTest::addColumn<QString>("reason");
    QTest::newRow("create") << Step::CreateTemporary << "一時ファイルを作成できません";
    QTest::newRow("write") << Step::Write << "書き込めません";
    QTest::newRow("sync") << Step::Sync << "ディスクに書き出せません";
    QTest::newRow("close") << Step::Close << "書き込めません";
    QTest::newRow("rename") << Step::Rename << "ファイルを置き換えられません";
}

void TestAtomicFile::failedStepKeepsTheOldFile()
{
    QFETCH(Step, step);
    QFETCH(QString, reason);
    QString error;
    const bool written =
        AtomicFile::write(target(), NewBytes, &error, [step](Step now) { return now != step; });
    QVERIFY(!written);
    QCOMPARE(error, reason + QStringLiteral("（システムエラー 5）"));
    QCOMPARE(readFile(target()), OldBytes);
    QCOMPARE(leftInFolder(), QStringList{"Tarvik.ini"}); // no temporary file behind
}

void TestAtomicFile::crashLeavesTheOldFileOrTheNewOne_data()
{
    QTest::addColumn<Step>("step");
    QTest::addColumn<QByteArray>("found");
    QTest::newRow("before create") << Step::CreateTemporary << OldBytes;
    QTest::newRow("before write") << Step::Write << OldBytes;
    QTest::newRow("before sync") << Step::Sync << OldBytes;
    QTest::newRow("before close") << Step::Close << OldBytes;
    QTest::newRow("before rename") << Step::Rename << OldBytes;
    QTest::newRow("before the folder's sync") << Step::SyncFolder << NewBytes;
}

void TestAtomicFile::crashLeavesTheOldFileOrTheNewOne()
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
    QTEST(readFile(target()), "found");
}

// The file holds PINs: a replacement is private even where the old file was not.
void TestAtomicFile::replacedFileIsTheOwnersOnly()
{
    QVERIFY(QFile::setPermissions(target(), QFile::ReadOwner | QFile::WriteOwner |
                                                QFile::ReadOther | QFile::WriteOther));
    bool syncedFolder = false;
    QVERIFY(AtomicFile::write(target(), NewBytes, nullptr, [&](Step step) {
        syncedFolder = syncedFolder || step == Step::SyncFolder;
        return true;
    }));
    QCOMPARE(readFile(target()), NewBytes);
    struct stat status = {};
    QCOMPARE(::stat(QFile::encodeName(target()).constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, mode_t(0600));
    QVERIFY(syncedFolder);
    QCOMPARE(leftInFolder(), QStringList{"Tarvik.ini"});
}

void TestAtomicFile::refusals_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("asUser");
    QTest::newRow("no such folder")
        << "missing/Tarvik.ini"
        << "一時ファイルを作成できません（保存先のフォルダーがありません）" << false;
    QTest::newRow("a folder in the file's place")
        << "folder"
        << "ファイルを置き換えられません（同じ名前のフォルダーがあります）" << false;
    QTest::newRow("read-only file") << "Tarvik.ini"
                                    << "ファイルが読み取り専用です（" << true;
}

void TestAtomicFile::refusals()
{
    QFETCH(QString, relativePath);
    QFETCH(QString, reason);
    QFETCH(bool, asUser);
    if (asUser && ::geteuid() == 0)
        QSKIP("root writes to read-only files");
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder")));
    QVERIFY(QFile::setPermissions(target(), QFile::ReadOwner));
    QString error;
    QVERIFY(!AtomicFile::write(m_dir->filePath(relativePath), NewBytes, &error));
    QVERIFY2(error.startsWith(reason), qPrintable(error));
    QCOMPARE(readFile(target()), OldBytes);
    QCOMPARE(leftInFolder(), QStringList{"Tarvik.ini"});
}

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
