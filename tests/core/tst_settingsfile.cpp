#include "SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(Settings)

namespace {

// Code page 932 bytes of the Japanese texts, from `iconv -f UTF-8 -t CP932`.
const QByteArray Conditions = QByteArray::fromHex("979897708ff08c8f");     // 利用条件
const QByteArray Purpose = QByteArray::fromHex("9798977096da9349");        // 利用目的
const QByteArray Date = QByteArray::fromHex("93fa9574");                   // 日付
const QByteArray TimeSlot = QByteArray::fromHex("8e9e8ad491d1");           // 時間帯
const QByteArray Yamada = QByteArray::fromHex("8e52936391be9859");         // 山田太郎
const QByteArray Gym = QByteArray::fromHex("91cc88e78ad9");                // 体育館
const QByteArray Tennis = QByteArray::fromHex("8365836a83588352815b8367"); // テニスコート
const QByteArray Display = QByteArray::fromHex("955c8ea6");                // 表示

const QByteArray Head = "[COM]\r\nCH=0\r\n[PHONE]\r\nDIAL=1\r\nNumber=0000000000\r\n[CODE]\r\n" +
                        Conditions + "=1\r\n" + Purpose + "=21\r\n" + Date + "=15\r\n" + TimeSlot +
                        "=02\r\n";
const QByteArray ExampleFile =
    Head + "[MEMBER]\r\n001=" + Yamada + " 12345678 0123\r\n002=\r\n003=" + Display +
    " 87654321 9999\r\n[FACIRITY]\r\n001=0101 01 " + Gym + "\r\n002=0102 03 " + Tennis + "\r\n";
const QStringList ExampleMembers{"山田太郎 12345678 0123", "", "表示 87654321 9999"};
const QStringList ExampleFacilities{"0101 01 体育館", "0102 03 テニスコート"};
const Settings Example{
    0, 1, "0000000000", "1", "21", "15", "02", ExampleMembers, ExampleFacilities};

// Settings read from a file with only these values.
Settings readBack(int port, int dialMode, const QStringList& members = {},
                  const QStringList& facilities = {})
{
    return {port, dialMode, {}, {}, {}, {}, {}, members, facilities};
}

// The entries "m1", "m2"... of memberFile(count).
QStringList numbered(int count)
{
    QStringList entries;
    for (int n = 1; n <= count; ++n)
        entries << QStringLiteral("m%1").arg(n);
    return entries;
}

// A member list of `count` entries "m1", "m2"..., keys written by hand.
QByteArray memberFile(int count)
{
    QByteArray file = "[MEMBER]\n";
    for (int n = 1; n <= count; ++n)
        file += "00" + QByteArray::number(n) + "=m" + QByteArray::number(n) + "\n";
    return file;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

mode_t modeOf(const QString& path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();

    void saveReplacesTheWholeFileWithExactBytes_data();
    void saveReplacesTheWholeFileWithExactBytes();

    void parsesLikeTheProfileReader_data();
    void parsesLikeTheProfileReader();
    void loadsDefaultsWithoutAReadableFile();

    void failedSaveKeepsTheOldFile_data();
    void failedSaveKeepsTheOldFile();

private:
    QString pathIn(const QString& name = QStringLiteral("Tarvik.ini")) const
    {
        return m_dir->filePath(name);
    }
    QStringList filesInFolder() const { return QDir(m_dir->path()).entryList(QDir::Files); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSettingsFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestSettingsFile::saveReplacesTheWholeFileWithExactBytes_data()
{
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Settings>("loaded"); // what the file gives back
    Settings noLists = Example;
    noLists.members.clear();
    noLists.facilities.clear();
    Settings blankName = Example;
    blankName.members[1] = QStringLiteral(" 12345678 0123");
    Settings trimmed = Example;
    trimmed.members[1] = QStringLiteral("12345678 0123");

    QTest::newRow("example") << Example << ExampleFile << Example;
    QTest::newRow("empty lists leave no section") << noLists << Head << noLists;
    QTest::newRow("empty name: blank written, dropped by the reader")
        << blankName << QByteArray(ExampleFile).replace("002=\r", "002= 12345678 0123\r")
        << trimmed;
}

// Entries beyond the new lists and sections added by hand would come back at the next load;
// the old file's mode would show the phone number and PINs to other users.
void TestSettingsFile::saveReplacesTheWholeFileWithExactBytes()
{
    QFETCH(Settings, settings);
    QFETCH(Settings, loaded);
    QVERIFY(writeFile(pathIn(), memberFile(5) + "[MINE]\r\nx=1\r\n" + ExampleFile));
    QVERIFY(::chmod(QFile::encodeName(pathIn()).constData(), 0644) == 0);

    QString error;
    QVERIFY2(SettingsFile::save(pathIn(), settings, &error), qPrintable(error));
    QTEST(readFile(pathIn()), "bytes");
    QCOMPARE(modeOf(pathIn()), mode_t(0600));
    QCOMPARE(filesInFolder(), QStringList{"Tarvik.ini"});
    QCOMPARE(SettingsFile::load(pathIn()), loaded);
    // What was loaded goes round unchanged from then on.
    QVERIFY(SettingsFile::save(pathIn(), loaded, nullptr));
    QCOMPARE(SettingsFile::load(pathIn()), loaded);
}

void TestSettingsFile::parsesLikeTheProfileReader_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Settings>("expected");
    const auto row = [](const char* name, const QByteArray& file, const Settings& expected) {
        QTest::newRow(name) << file << expected;
    };
    QByteArray everyByte; // no line starts with "[": nothing is read
    for (int i = 0; i < 4096; ++i)
        everyByte += char(i % 256);

    row("keys in any order, a gap ends the list", "[MEMBER]\n002=b\n001=a\n004=d\n",
        readBack(0, 0, {"a", "b"}));
    row("at most 64, keys up to 0070", memberFile(70), readBack(0, 0, numbered(64)));
    row("010 is no list key", memberFile(9) + "010=x\n", readBack(0, 0, numbered(9)));
    row("a value starting with Stop ends the list, blanks before it too",
        "[MEMBER]\n001=a\n002=  Stopper 12345678 0000\n003=c\n", readBack(0, 0, {"a"}));
    row("stop in lower case is an entry", "[MEMBER]\n001=stop\n002=STOP\n",
        readBack(0, 0, {"stop", "STOP"}));
    row("empty entry keeps the next", "[MEMBER]\n001=\n002=x\n", readBack(0, 0, {"", "x"}));
    row("0x5C trail bytes kept, undecodable bytes as U+FFFD",
        "[FACIRITY]\n001=" + Display + "\n002=" + QByteArray::fromHex("955c") + "]\n003=a\x80z\n",
        readBack(0, 0, {}, {"表示", "表]", "a\uFFFDz"}));

    row("indexes at both ends, names in any case", "[com]\nch=3\n[Phone]\nDial=-1\n",
        readBack(3, -1));
    row("indexes one too high", "[COM]\nCH=4\n[PHONE]\nDIAL=2\n", readBack(-1, -1));
    row("indexes one too low", "[COM]\nCH=-2\n[PHONE]\nDIAL=-2\n", readBack(-1, -1));

    row("empty", "", Settings());
    row("binary", everyByte, Settings());
    row("long line", "[COM]\nCH=" + QByteArray(4 << 20, '7'), readBack(-1, 0));
}

void TestSettingsFile::parsesLikeTheProfileReader()
{
    QFETCH(QByteArray, file);
    QFETCH(Settings, expected);
    QCOMPARE(SettingsFile::parse(file), expected);
}

void TestSettingsFile::loadsDefaultsWithoutAReadableFile()
{
    QCOMPARE(SettingsFile::load(pathIn()), Settings()); // missing
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("Tarvik.ini")));
    QCOMPARE(SettingsFile::load(pathIn()), Settings());
}

// What the file cannot hold, and what the system refuses: the reason is named, the old file
// stays as it was and no temporary file is left behind.
void TestSettingsFile::failedSaveKeepsTheOldFile_data()
{
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("reason");
    Settings number = Example;
    number.number = QStringLiteral("01😀");
    Settings member = Example;
    member.members[2] = QStringLiteral("한 12345678 0000");
    Settings facility = Example;
    facility.facilities[1] = QStringLiteral("0101 01 a\r\n[COM]");
    const QString notInCodePage = QStringLiteral("は保存できません（シフトJISにない文字です）。");

    QTest::newRow("emoji in the number")
        << number << QString() << "「電話番号」の文字「😀」" + notInCodePage;
    QTest::newRow("hangul in the third member")
        << member << QString() << "「メンバーの3件目」の文字「한」" + notInCodePage;
    QTest::newRow("line break in the second facility")
        << facility << QString() << "「施設の2件目」の改行などの制御文字は保存できません。";
    QTest::newRow("folder is a file")
        << Example << "folder is a file"
        << "一時ファイルを作成できません（保存先のフォルダーがありません）";
    QTest::newRow("directory in place of the file")
        << Example << "directory"
        << "ファイルを置き換えられません（同じ名前のフォルダーがあります）";
    QTest::newRow("read-only file") << Example << "read-only file"
                                    << "ファイルが読み取り専用です（書き込みの権限がありません）";
}

void TestSettingsFile::failedSaveKeepsTheOldFile()
{
    QFETCH(Settings, settings);
    QFETCH(QString, obstacle);
    QFETCH(QString, reason);
    const QByteArray old = "[COM]\r\nCH=2\r\n";
    const bool folderIsAFile = obstacle == QLatin1String("folder is a file");
    const bool directory = obstacle == QLatin1String("directory");
    const QString oldFile = folderIsAFile ? pathIn(QStringLiteral("folder")) : pathIn();
    if (directory)
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("Tarvik.ini/inside")));
    else
        QVERIFY(writeFile(oldFile, old));
    if (obstacle == QLatin1String("read-only file")) {
        if (::geteuid() == 0)
            QSKIP("root ignores permission bits");
        QVERIFY(::chmod(QFile::encodeName(oldFile).constData(), 0444) == 0);
    }

    QString error;
    QVERIFY(!SettingsFile::save(
        folderIsAFile ? pathIn(QStringLiteral("folder/Tarvik.ini")) : pathIn(), settings, &error));
    QCOMPARE(error, reason);
    QCOMPARE(QFileInfo(pathIn(QStringLiteral("Tarvik.ini/inside"))).isDir(), directory);
    QCOMPARE(readFile(oldFile), directory ? QByteArray() : old);
    QCOMPARE(filesInFolder(),
             directory ? QStringList() : QStringList{QFileInfo(oldFile).fileName()});
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
