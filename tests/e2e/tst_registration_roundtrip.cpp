#include "ModemSimulator.h"
#include "SerialPortOpener.h"
#include "WindowFixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

using Kind = RegistrationLists::Kind;
using Step = CallProcedure::Step;

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
        QVERIFY(modem.start());
        SerialPortOpener opener;
        WindowFixture f(opener, {}, WindowFixture::shortTiming(), modem.asCom1());
        const QStringList members{"山田 太郎 12345678 1234", "表ソ能 ﾔﾏﾀﾞ～－ 87654321 0987"};
        const QStringList facilities{"2034 12 【第１】＝［Ａ］ a=b;c [MEMBER]"};
        f.window().replaceRegistrationList(Kind::Member, members);
        f.window().replaceRegistrationList(Kind::Facility, facilities);
        f.ui().dialModeList->setCurrentIndex(1); // Tone
        f.ui().numberField->setText("0612345678");
        QVERIFY(f.window().saveSettings());

        f.restart();
        QCOMPARE(f.window().registrationList(Kind::Member), members);
        QCOMPARE(f.window().registrationList(Kind::Facility), facilities);
        f.bringCallUp();
        f.ui().memberList->setCurrentIndex(1);
        for (const Step step : {Step::Member, Step::Facility, Step::HookOff})
            f.click(step);
        QTRY_COMPARE(modem.received(),
                     QByteArray("ATH1\rATDT0612345678;\rATDT87654321;\r\nATDT0987;\r\n"
                                "ATDT2034;\r\nATDT12;\r\nATH0\r"));
        QVERIFY(f.boxes().shown().isEmpty());
    }
};

QTEST_MAIN(TestRegistrationRoundtrip)
#include "tst_registration_roundtrip.moc"
