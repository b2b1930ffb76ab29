#include "SettingsFile.h"

#include "LargeFileProbe.h"

#include <QDir>
#include <QElapsedTimer>
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

Settings exampleSettings()
{
    Settings settings;
    settings.portIndex = 0;
    settings.dialModeIndex = 1;
    settings.number = QStringLiteral("0000000000");
    settings.conditionsCode = QStringLiteral("1");
    settings.purposeCode = QStringLiteral("21");
    settings.date = QStringLiteral("15");
    settings.timeSlot = QStringLiteral("02");
    settings.members = {QStringLiteral("山田太郎 12345678 0123"), QString(),
                        QStringLiteral("表示 87654321 9999")};
    settings.facilities = {QStringLiteral("0101 01 体育館"),
                           QStringLiteral("0102 03 テニスコート")};
    return settings;
}

const QByteArray ExampleFile =
    Head + "[MEMBER]\r\n001=" + Yamada + " 12345678 0123\r\n002=\r\n003=" + Display +
    " 87654321 9999\r\n[FACIRITY]\r\n001=0101 01 " + Gym + "\r\n002=0102 03 " + Tennis + "\r\n";

QStringList numbered(const QString& prefix, int count)
{
    QStringList entries;
    for (int n = 1; n <= count; ++n)
        entries << prefix + QString::number(n);
    return entries;
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

constexpr bool SanitizedBuild =
#if defined(__SANITIZE_ADDRESS__)
    true;
#else
    false;
#endif

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
private slots:
    void init();

    void listKeys_data();
    void listKeys();
    void pathIsInTheCurrentDirectory();

    void loadsCodePage932File();
    void savesCodePage932File();
    void saveThenLoadIsByteStable_data();
    void saveThenLoadIsByteStable();
    void savesEmptyListsAsNoSection();
    void saveDropsStaleKeysAndHandAddedSections();
    void writesValuesUntrimmed();

    void readsListsLikeTheProfileReader_data();
    void readsListsLikeTheProfileReader();
    void readsIndexesWithinTheirLists_data();
    void readsIndexesWithinTheirLists();
    void readsNamesInAnyCase();

    void survivesBadFiles_data();
    void survivesBadFiles();
    void loadsA50MegabyteFileQuicklyAndLean();

    void savedFileIsPrivate_data();
    void savedFileIsPrivate();
    void refusesValuesItCannotStore_data();
    void refusesValuesItCannotStore();
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

void TestSettingsFile::listKeys_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("key");
    QTest::newRow("1") << 1 << "001";
    QTest::newRow("9") << 9 << "009";
    QTest::newRow("10") << 10 << "0010";
    QTest::newRow("64") << 64 << "0064";
    QTest::newRow("70") << 70 << "0070";
    QTest::newRow("100") << 100 << "00100";
}

void TestSettingsFile::listKeys()
{
    QFETCH(int, n);
    QFETCH(QString, key);
    QCOMPARE(SettingsFile::listKey(n), key);
}

void TestSettingsFile::pathIsInTheCurrentDirectory()
{
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    const QString path = SettingsFile::pathInCurrentDirectory();
    QDir::setCurrent(before);
    QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("Tarvik.ini"));
    QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(m_dir->path()).absoluteFilePath());
}

void TestSettingsFile::loadsCodePage932File()
{
    QVERIFY(writeFile(pathIn(), ExampleFile));
    QCOMPARE(SettingsFile::load(pathIn()), exampleSettings());
}

void TestSettingsFile::savesCodePage932File()
{
    QString error;
    QVERIFY(SettingsFile::save(pathIn(), exampleSettings(), &error));
    QCOMPARE(readFile(pathIn()), ExampleFile);
    QVERIFY(error.isEmpty());
}

void TestSettingsFile::saveThenLoadIsByteStable_data()
{
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<Settings>("loaded"); // what the file gives back, within its limits
    Settings none = exampleSettings();
    none.portIndex = -1;
    none.dialModeIndex = -1;
    QTest::newRow("example") << exampleSettings() << exampleSettings();
    QTest::newRow("nothing selected") << none << none;
    QTest::newRow("defaults") << Settings() << Settings();

    Settings blanks;
    blanks.number = QStringLiteral(" 012 ");
    blanks.members = {QStringLiteral(" 12345678 0123"), QStringLiteral("a")};
    Settings blanksLoaded;
    blanksLoaded.number = QStringLiteral("012");
    blanksLoaded.members = {QStringLiteral("12345678 0123"), QStringLiteral("a")};
    QTest::newRow("blanks dropped by the reader") << blanks << blanksLoaded;

    Settings long70;
    long70.facilities = numbered(QStringLiteral("0101 01 施設"), 70);
    Settings long64;
    long64.facilities = long70.facilities.mid(0, 64);
    QTest::newRow("70 facilities come back as 64") << long70 << long64;
}

void TestSettingsFile::saveThenLoadIsByteStable()
{
    QFETCH(Settings, settings);
    QFETCH(Settings, loaded);
    QVERIFY(SettingsFile::save(pathIn(), settings, nullptr));
    const Settings first = SettingsFile::load(pathIn());
    QCOMPARE(first, loaded);
    QVERIFY(SettingsFile::save(pathIn(), first, nullptr));
    const QByteArray firstBytes = readFile(pathIn());
    QCOMPARE(SettingsFile::load(pathIn()), loaded);
    QVERIFY(SettingsFile::save(pathIn(), SettingsFile::load(pathIn()), nullptr));
    QCOMPARE(readFile(pathIn()), firstBytes);
}

void TestSettingsFile::savesEmptyListsAsNoSection()
{
    Settings settings = exampleSettings();
    settings.members.clear();
    settings.facilities.clear();
    QVERIFY(SettingsFile::save(pathIn(), settings, nullptr));
    QCOMPARE(readFile(pathIn()), Head);
}

void TestSettingsFile::saveDropsStaleKeysAndHandAddedSections()
{
    QVERIFY(writeFile(
        pathIn(), "[MEMBER]\r\n001=a\r\n002=b\r\n003=c\r\n004=d\r\n005=e\r\n[MINE]\r\nx=1\r\n"));
    Settings settings = SettingsFile::load(pathIn());
    QCOMPARE(settings.members.size(), 5);
    settings.members = settings.members.mid(0, 3);
    QVERIFY(SettingsFile::save(pathIn(), settings, nullptr));
    const QByteArray saved = readFile(pathIn());
    QVERIFY(saved.endsWith("[MEMBER]\r\n001=a\r\n002=b\r\n003=c\r\n"));
    QVERIFY(!saved.contains("[MINE]"));
}

void TestSettingsFile::writesValuesUntrimmed()
{
    Settings settings;
    settings.number = QStringLiteral("  12 ");
    settings.facilities = {QStringLiteral("0101 01 ")};
    QByteArray bytes;
    QVERIFY(SettingsFile::serialize(settings, &bytes, nullptr));
    QVERIFY(bytes.contains("\r\nNumber=  12 \r\n"));
    QVERIFY(bytes.endsWith("[FACIRITY]\r\n001=0101 01 \r\n"));
}

void TestSettingsFile::readsListsLikeTheProfileReader_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("members");
    QByteArray keys70 = "[MEMBER]\n";
    for (int n = 1; n <= 70; ++n)
        keys70 += SettingsFile::listKey(n).toLatin1() + "=m" + QByteArray::number(n) + "\n";

    QTest::newRow("gap ends the list")
        << QByteArray("[MEMBER]\n001=a\n002=b\n004=d\n") << QStringList{"a", "b"};
    QTest::newRow("at most 64") << keys70 << numbered(QStringLiteral("m"), 64);
    QTest::newRow("key 01 is no list key") << QByteArray("[MEMBER]\n01=a\n") << QStringList();
    QTest::newRow("key 1 is no list key") << QByteArray("[MEMBER]\n1=a\n") << QStringList();
    QTest::newRow("010 is no list key")
        << QByteArray(
               "[MEMBER]\n001=1\n002=2\n003=3\n004=4\n005=5\n006=6\n007=7\n008=8\n009=9\n010=x\n")
        << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9"};
    QTest::newRow("Stop ends the list")
        << QByteArray("[MEMBER]\n001=a\n002=Stop\n003=c\n") << QStringList{"a"};
    QTest::newRow("Stopper ends the list")
        << QByteArray("[MEMBER]\n001=Stopper 12345678 0000\n002=c\n") << QStringList();
    QTest::newRow("blanks then Stop end the list")
        << QByteArray("[MEMBER]\n001=   Stop\n002=c\n") << QStringList();
    QTest::newRow("stop in lower case is an entry")
        << QByteArray("[MEMBER]\n001=stop\n002=STOP\n") << QStringList{"stop", "STOP"};
    QTest::newRow("empty entry keeps the next")
        << QByteArray("[MEMBER]\n001=\n002=x\n") << QStringList{"", "x"};
    QTest::newRow("leading blank of an empty name dropped")
        << QByteArray("[MEMBER]\r\n001= 12345678 0123\r\n") << QStringList{"12345678 0123"};
    QTest::newRow("keys out of order")
        << QByteArray("[MEMBER]\n002=b\n001=a\n") << QStringList{"a", "b"};
    QTest::newRow("undecodable bytes kept as U+FFFD")
        << QByteArray("[MEMBER]\n001=a\x80z\n") << QStringList{QStringLiteral("a\uFFFDz")};
    QTest::newRow("0x5C trail byte before =")
        << QByteArray("[MEMBER]\n001=" + Display + "\n002=" + QByteArray::fromHex("955c") + "]\n")
        << QStringList{QStringLiteral("表示"), QStringLiteral("表]")};
}

void TestSettingsFile::readsListsLikeTheProfileReader()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, members);
    const Settings settings = SettingsFile::parse(file);
    QCOMPARE(settings.members, members);
    QCOMPARE(settings.facilities, QStringList());
}

void TestSettingsFile::readsIndexesWithinTheirLists_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("dialMode");
    QTest::newRow("no file") << QByteArray() << 0 << 0;
    QTest::newRow("highest") << QByteArray("[COM]\nCH=3\n[PHONE]\nDIAL=1\n") << 3 << 1;
    QTest::newRow("none selected") << QByteArray("[COM]\nCH=-1\n[PHONE]\nDIAL=-1\n") << -1 << -1;
    QTest::newRow("one too high") << QByteArray("[COM]\nCH=4\n[PHONE]\nDIAL=2\n") << -1 << -1;
    QTest::newRow("too low") << QByteArray("[COM]\nCH=-2\n[PHONE]\nDIAL=-5\n") << -1 << -1;
    QTest::newRow("huge") << QByteArray(
                                 "[COM]\nCH=99999999999999999999\n[PHONE]\nDIAL=-99999999999\n")
                          << -1 << -1;
    QTest::newRow("empty values") << QByteArray("[COM]\nCH=\n[PHONE]\nDIAL=\n") << 0 << 0;
    QTest::newRow("text") << QByteArray("[COM]\nCH=COM2\n[PHONE]\nDIAL=Tone\n") << 0 << 0;
    QTest::newRow("number then text")
        << QByteArray("[COM]\nCH=2 # COM3\n[PHONE]\nDIAL=1x\n") << 2 << 1;
}

void TestSettingsFile::readsIndexesWithinTheirLists()
{
    QFETCH(QByteArray, file);
    QFETCH(int, port);
    QFETCH(int, dialMode);
    const Settings settings = SettingsFile::parse(file);
    QCOMPARE(settings.portIndex, port);
    QCOMPARE(settings.dialModeIndex, dialMode);
}

void TestSettingsFile::readsNamesInAnyCase()
{
    const Settings settings =
        SettingsFile::parse("[phone]\r\nnumber=0123\r\n[Code]\r\n" + Conditions +
                            "=7\r\n[facirity]\r\n001=0101 01 x\r\n");
    QCOMPARE(settings.number, QStringLiteral("0123"));
    QCOMPARE(settings.conditionsCode, QStringLiteral("7"));
    QCOMPARE(settings.facilities, QStringList{QStringLiteral("0101 01 x")});
}

void TestSettingsFile::survivesBadFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<int>("port");
    QByteArray everyByte;
    for (int i = 0; i < 4096; ++i)
        everyByte += char(i % 256); // no line starts with "[": nothing is read
    QTest::newRow("missing") << "missing" << QByteArray() << 0;
    QTest::newRow("empty") << "file" << QByteArray() << 0;
    QTest::newRow("directory named Tarvik.ini") << "directory" << QByteArray() << 0;
    QTest::newRow("binary") << "file" << everyByte << 0;
    QTest::newRow("long line") << "file"
                               << "[COM]\nCH=" + QByteArray(4 << 20, '7') << -1;
}

void TestSettingsFile::survivesBadFiles()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, contents);
    QFETCH(int, port);
    if (kind == QLatin1String("file"))
        QVERIFY(writeFile(pathIn(), contents));
    if (kind == QLatin1String("directory"))
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("Tarvik.ini")));
    Settings expected;
    expected.portIndex = port;
    QCOMPARE(SettingsFile::load(pathIn()), expected);
}

void TestSettingsFile::loadsA50MegabyteFileQuicklyAndLean()
{
    constexpr qint64 Size = qint64(50) << 20;
    QVERIFY(LargeFileProbe::writeGarbage(pathIn(), Size));
    const bool peakReset = LargeFileProbe::resetPeakResident();
    const long residentBefore = LargeFileProbe::statusKilobytes("VmRSS:");

    QElapsedTimer timer;
    timer.start();
    SettingsFile::load(pathIn());
    const qint64 elapsed = timer.elapsed();

    const long peakGrowth = LargeFileProbe::statusKilobytes("VmHWM:") - residentBefore;
    qInfo("50 MB: %lld ms, peak grew by %ld kB", elapsed, peakGrowth);
    // Generous: the suite runs in parallel on a shared machine. The benchmark measures the
    // goal of under a second.
    if (!SanitizedBuild)
        QVERIFY2(elapsed < 3000, qPrintable(QString::number(elapsed)));
    if (peakReset)
        QVERIFY2(peakGrowth * 1024 < 4 * Size, qPrintable(QString::number(peakGrowth)));
}

void TestSettingsFile::savedFileIsPrivate_data()
{
    QTest::addColumn<bool>("replacing");
    QTest::newRow("new file") << false;
    QTest::newRow("replacing a readable one") << true;
}

void TestSettingsFile::savedFileIsPrivate()
{
    QFETCH(bool, replacing);
    if (replacing) {
        QVERIFY(writeFile(pathIn(), "[COM]\r\nCH=2\r\n"));
        QVERIFY(::chmod(QFile::encodeName(pathIn()).constData(), 0644) == 0);
    }
    const mode_t oldMask = ::umask(0);
    const bool saved = SettingsFile::save(pathIn(), exampleSettings(), nullptr);
    ::umask(oldMask);
    QVERIFY(saved);
    QCOMPARE(modeOf(pathIn()), mode_t(0600));
    QCOMPARE(filesInFolder(), QStringList{"Tarvik.ini"});
}

void TestSettingsFile::refusesValuesItCannotStore_data()
{
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<QStringList>("named"); // parts the message must contain
    Settings number = exampleSettings();
    number.number = QStringLiteral("01😀");
    QTest::newRow("emoji in the number") << number << QStringList{"電話番号", "😀"};
    Settings timeSlot = exampleSettings();
    timeSlot.timeSlot = QStringLiteral("€");
    QTest::newRow("euro in the time slot") << timeSlot << QStringList{"時間帯", "€"};
    Settings member = exampleSettings();
    member.members[2] = QStringLiteral("한 12345678 0000");
    QTest::newRow("hangul in the third member") << member << QStringList{"メンバー", "3件目", "한"};
    Settings facility = exampleSettings();
    facility.facilities[1] = QStringLiteral("0101 01 a\r\n[COM]");
    QTest::newRow("line break in the second facility")
        << facility << QStringList{"施設", "2件目", "改行"};
}

void TestSettingsFile::refusesValuesItCannotStore()
{
    QFETCH(Settings, settings);
    QFETCH(QStringList, named);
    const QByteArray old = "[COM]\r\nCH=2\r\n";
    QVERIFY(writeFile(pathIn(), old));
    QString error;
    QVERIFY(!SettingsFile::save(pathIn(), settings, &error));
    for (const QString& part : named)
        QVERIFY2(error.contains(part), qPrintable(error));
    QVERIFY(error.contains(QStringLiteral("保存できません")));
    QCOMPARE(readFile(pathIn()), old);
    QCOMPARE(filesInFolder(), QStringList{"Tarvik.ini"});
}

void TestSettingsFile::failedSaveKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::newRow("folder is a file") << "folder is a file";
    QTest::newRow("directory in place of the file") << "directory";
    QTest::newRow("read-only folder") << "read-only folder";
    QTest::newRow("read-only file") << "read-only file";
}

void TestSettingsFile::failedSaveKeepsTheOldFile()
{
    QFETCH(QString, obstacle);
    const bool root = ::geteuid() == 0;
    const QByteArray old = "[COM]\r\nCH=2\r\n";
    QString target = pathIn();
    if (obstacle == QLatin1String("folder is a file")) {
        QVERIFY(writeFile(pathIn(QStringLiteral("folder")), old));
        target = pathIn(QStringLiteral("folder/Tarvik.ini"));
    } else if (obstacle == QLatin1String("directory")) {
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("Tarvik.ini/inside")));
    } else {
        if (root)
            QSKIP("root ignores permission bits");
        QVERIFY(writeFile(pathIn(), old));
        const bool folder = obstacle == QLatin1String("read-only folder");
        QVERIFY(::chmod(QFile::encodeName(folder ? m_dir->path() : pathIn()).constData(),
                        folder ? 0555 : 0444) == 0);
    }
    QString error;
    const bool saved = SettingsFile::save(target, exampleSettings(), &error);
    ::chmod(QFile::encodeName(m_dir->path()).constData(), 0755);

    QVERIFY(!saved);
    QVERIFY2(error.startsWith(QStringLiteral("設定ファイルを保存できませんでした")),
             qPrintable(error));
    QVERIFY2(error.count(u'（') == 1, qPrintable(error)); // one reason, in Japanese
    if (obstacle == QLatin1String("directory"))
        QVERIFY(QFileInfo(pathIn()).isDir());
    else
        QCOMPARE(readFile(obstacle == QLatin1String("folder is a file")
                              ? pathIn(QStringLiteral("folder"))
                              : pathIn()),
                 old);
    QVERIFY(filesInFolder().size() <= 1); // no temporary file left behind
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
