#include "ModemSimulator.h"
#include "SerialPortOpener.h"
#include "WindowFixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

using Kind = RegistrationLists::Kind;

// The registration lists as the program keeps them across a restart: saved, read by the program
// started again, and the stored entries played into a call on the modem simulator.
class TestRegistrationRoundtrip : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The names hold what code page 932 and the file make hard: 0x5C trail bytes (表, ソ, 能),
    // half-width kana, look-alike symbols, and "=", ";" and brackets.
    void storedEntriesAreLoadedAndSentAfterRestart()
    {
        ModemSimulator modem;
        QVERIFY(modem.startAsCom1());
        SerialPortOpener opener;
        WindowFixture f(opener);
        const QStringList members{"山田 太郎 12345678 1234", "表ソ能 ﾔﾏﾀﾞ～－ 87654321 0987"};
        const QStringList facilities{"2034 12 【第１】＝［Ａ］ a=b;c [MEMBER]"};
        f.window().replaceRegistrationList(Kind::Members, members);
        f.window().replaceRegistrationList(Kind::Facilities, facilities);
        f.control<QComboBox>("Combo4")->setCurrentIndex(1); // Tone
        f.control<QLineEdit>("Text1")->setText("0612345678");
        QVERIFY(f.window().saveSettings());

        f.restart();
        QCOMPARE(f.window().registrationList(Kind::Members), members);
        QCOMPARE(f.window().registrationList(Kind::Facilities), facilities);
        f.bringCallUp();
        f.control<QComboBox>("Combo3")->setCurrentIndex(1);
        for (const char* step :
             {"Command6", "Command7", "Command10"}) // 番号・暗証, 施設・内訳, HookOFF
            f.click(step);
        QTRY_COMPARE(modem.received(),
                     QByteArray("ATH1\rATDT0612345678;\rATDT87654321;\r\nATDT0987;\r\n"
                                "ATDT2034;\r\nATDT12;\r\nATH0\r"));
        QVERIFY(f.boxes().shown().isEmpty());
    }
};

QTEST_MAIN(TestRegistrationRoundtrip)
#include "tst_registration_roundtrip.moc"
