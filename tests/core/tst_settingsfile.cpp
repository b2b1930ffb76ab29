#include "SettingsFile.h"

#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(Settings)

namespace {

// Code page 932 bytes, from `iconv -f UTF-8 -t CP932`.
const QByteArray Conditions = QByteArray::fromHex("979897708ff08c8f");    // 利用条件
const QByteArray Purpose = QByteArray::fromHex("9798977096da9349");       // 利用目的
const QByteArray Date = QByteArray::fromHex("93fa9574");                  // 日付
const QByteArray TimeSlot = QByteArray::fromHex("8e9e8ad491d1");          // 時間帯
const QByteArray Yamada = QByteArray::fromHex("8e52936391be9859");        // 山田太郎
const QByteArray Display = QByteArray::fromHex("955c8ea6");               // 表示: 0x5C trail byte
const QByteArray Court = QByteArray::fromHex("91e6318160328352815b8367"); // 第1～2コート

const QByteArray Head = "[COM]\r\nCH=2\r\n[PHONE]\r\nDIAL=1\r\nNumber=0451234567\r\n[CODE]\r\n" +
                        Conditions + "=1\r\n" + Purpose + "=21\r\n" + Date + "=15\r\n" + TimeSlot +
                        "=02\r\n";
const QByteArray MemberSection =
    "[MEMBER]\r\n001=" + Yamada + " 12345678 0123\r\n002=\r\n003=" + Display + " 87654321 9999\r\n";
const QByteArray FacilitySection = "[FACIRITY]\r\n001=0101 01 " + Court + "\r\n";
const QStringList Members{"山田太郎 12345678 0123", "", "表示 87654321 9999"};
const Settings Example{
    2, 1, "0451234567", "1", "21", "15", "02", Members, {"0101 01 第1～2コート"}};

Settings changed(void (*change)(Settings&))
{
    Settings settings = Example;
    change(settings);
    return settings;
}

// What a file with only these values gives.
Settings only(int port, int dialMode, const QStringList& members = {}, const QString& number = {})
{
    return {port, dialMode, number, {}, {}, {}, {}, members, {}};
}

// List lines from..to, keys "00" + n as the file has them, entries "m" + n.
QByteArray listLines(int from, int to, QStringList* entries = nullptr)
{
    QByteArray lines;
    for (int n = from; n <= to; ++n) {
        lines += "00" + QByteArray::number(n) + "=m" + QByteArray::number(n) + "\r\n";
        if (entries)
            *entries << QStringLiteral("m%1").arg(n);
    }
    return lines;
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // What a save puts in the file: exact bytes, which read back unchanged (so loading and
    // saving a file the program wrote keeps its bytes), or a refusal that names the field.
    // A "?" in place of a character, or a line break that starts a line of its own, would
    // change the settings behind the user's back.
    void writesExactBytesOrRefuses_data()
    {
        QTest::addColumn<Settings>("settings");
        QTest::addColumn<QByteArray>("bytes"); // empty: refused
        QTest::addColumn<QString>("error");
        const Settings noMembers = changed([](Settings& s) { s.members.clear(); });
        Settings full = noMembers;
        const QByteArray fullList = listLines(1, 64, &full.members);
        QTest::newRow("example") << Example << Head + MemberSection + FacilitySection << "";
        QTest::newRow("no members, no section") << noMembers << Head + FacilitySection << "";
        Settings voiceAndPaces = Example;
        voiceAndPaces.voice = true;
        voiceAndPaces.recordedPaces[std::size_t(CallProcedure::Step::Dial)] = 5200;
        voiceAndPaces.recordedPaces[std::size_t(CallProcedure::Step::ThirdYes)] = 0;
        QTest::newRow("voice mode and a recorded call: keys older readers pass over")
            << voiceAndPaces
            << QByteArray(Head).replace("CH=2\r\n", "CH=2\r\nVoice=1\r\n") + MemberSection +
                   FacilitySection + "[AUTO]\r\nDial=5200\r\nThirdYes=0\r\n"
            << "";
        QTest::newRow("64 members")
            << full << Head + "[MEMBER]\r\n" + fullList + FacilitySection << "";
        const auto refused = [](const char* name, const QString& field, const QString& character,
                                void (*change)(Settings&)) {
            const QString reason =
                character.isEmpty()
                    ? QStringLiteral("改行などの制御文字は保存できません。")
                    : "文字「" + character + "」は保存できません（シフトJISにない文字です）。";
            QTest::newRow(name) << changed(change) << QByteArray()
                                << "「" + field + "」の" + reason;
        };
        refused("emoji", "電話番号", "😀", [](Settings& s) { s.number = "045😀"; });
        refused("hangul", "メンバーの3件目", "한", [](Settings& s) { s.members[2] = "한 1 2"; });
        refused("yen sign", "利用条件", "¥", [](Settings& s) { s.conditionsCode = "1¥"; });
        refused("wave dash", "日付", "\u301C", [](Settings& s) { s.date = "1\u301C2"; });
        refused("em dash", "時間帯", "\u2014", [](Settings& s) { s.timeSlot = "\u2014"; });
        refused("CR", "利用目的", "", [](Settings& s) { s.purposeCode = "2\r1"; });
        refused("LF", "施設の1件目", "", [](Settings& s) { s.facilities[0] = "0101 01 a\n[COM]"; });
        refused("NUL", "メンバーの1件目", "",
                [](Settings& s) { s.members[0] = QString(QChar(0)); });
    }

    void writesExactBytesOrRefuses()
    {
        QFETCH(Settings, settings);
        QFETCH(QByteArray, bytes);
        QByteArray written;
        QString error;
        QCOMPARE(SettingsFile::serialize(settings, &written, &error), !bytes.isEmpty());
        QTEST(error, "error");
        QCOMPARE(written, bytes);
        if (!bytes.isEmpty())
            QCOMPARE(SettingsFile::parse(bytes), settings);
    }

    void readsLikeTheWindowsProfileReader_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Settings>("expected");
        const auto row = [](const char* name, const QByteArray& file, const Settings& expected) {
            QTest::newRow(name) << file << expected;
        };
        QStringList sixtyFour;
        listLines(1, 64, &sixtyFour);
        row("names in any case, blanks around names and values, LF",
            "[com]\n ch = 3 \n[ Phone ]\n\tdIAL\t=\t-1\nnumber=  01 23 \t\n",
            only(3, -1, {}, "01 23"));
        row("first key, first section", "[PHONE]\nNumber=1\nNUMBER=2\n[phone]\nDIAL=1\n",
            only(0, 0, {}, "1"));
        row("CH 4, DIAL -2", "[COM]\nCH=4\n[PHONE]\nDIAL=-2\n", only(-1, -1));
        row("CH -2, DIAL 2", "[COM]\nCH=-2\n[PHONE]\nDIAL=2\n", only(-1, -1));
        row("no DIAL, CH up to a non-digit", "[COM]\nCH=+2 ; COM3\n", only(2, 0));
        row("a gap ends the list", "[MEMBER]\n002=b\n001=a\n004=d\n", only(0, 0, {"a", "b"}));
        row("64 at most, 010 no key", "[MEMBER]\n010=x\n" + listLines(1, 70),
            only(0, 0, sixtyFour));
        row("Stop ends the list, blanks before it too",
            "[MEMBER]\n001=stop\n002=  Stopper 1\n003=c\n", only(0, 0, {"stop"}));
        row("value ends at NUL", QByteArray("[PHONE]\nNumber=12 \0 34\n", 23),
            only(0, 0, {}, "12"));
        row("cut to 254 bytes, never inside a character",
            "[PHONE]\nNumber=a" + QByteArray::fromHex("955c").repeated(127),
            only(0, 0, {}, "a" + QString(126, u'表')));
        Settings paces = only(0, 0);
        paces.recordedPaces[std::size_t(CallProcedure::Step::Date)] = 15000;
        row("voice only when 1, a pace only when not below 0",
            "[COM]\nVoice=2\n[auto]\nDial=-5\ndate=15000\nHook=3\n", paces);
        row("an undecodable byte is U+FFFD", "[MEMBER]\n001=a\x80z\n", only(0, 0, {"a\uFFFDz"}));
        // A lead byte whose next byte cannot end it stands alone: that byte is read on its own.
        row("damaged lead byte before a digit",
            "[PHONE]\nNumber=\x85"
            "0451\n",
            only(0, 0, {}, "\uFFFD0451"));
        row("damaged lead byte before =", "[MEMBER]\n001=a\x85=b\n", only(0, 0, {"a\uFFFD=b"}));
        row("damaged lead byte before LF", "[PHONE]\nNumber=1\x85\n[COM]\nCH=2\n",
            only(2, 0, {}, "1\uFFFD"));
        row("damaged lead byte before CR LF", "[MEMBER]\r\n001=a\x85\r\n002=b\r\n",
            only(0, 0, {"a\uFFFD", "b"}));
        row("damaged lead byte before half-width kana and a whole character",
            "[MEMBER]\n001=\x85\xB1\x85\x82\xA0\n", only(0, 0, {"\uFFFDｱ\uFFFDあ"}));
    }

    void readsLikeTheWindowsProfileReader()
    {
        QFETCH(QByteArray, file);
        QTEST(SettingsFile::parse(file), "expected");
    }

    void loadsDefaultsAndKeepsTheFileOnARefusal()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Tarvik.ini"));
        QCOMPARE(SettingsFile::load(path), Settings()); // no file yet
        QVERIFY(SettingsFile::save(path, Example, nullptr));
        QVERIFY(!SettingsFile::save(path, changed([](Settings& s) { s.number = "😀"; }), nullptr));
        QCOMPARE(SettingsFile::load(path), Example);
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
