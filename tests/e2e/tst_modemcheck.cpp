#include "ModemSimulator.h"
#include "SerialPortOpener.h"
#include "WindowFixture.h"

#include <QAction>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

namespace {

const QString Check = QStringLiteral("MenuModemCheck");
const QString Port = QStringLiteral("ポート: COM1（{device}）\r\n");
const QString Answered = Port + "モデムが応答しました。\r\n"
                                "識別情報（ATI）: Tarvik modem simulator / Version 1.0\r\n";
const QString Silent = Port + "モデムから応答がありません\r\n次のことを確かめてください。\r\n"
                              "・モデムの電源が入っているか\r\n・ケーブルがつながっているか\r\n"
                              "・ポートの選択が正しいか（ﾓﾃﾞﾑ → ポート設定）\r\n"
                              "・ほかのプログラム（ModemManager など）がポートを使っていないか\r\n"
                              "詳しくは README の「困ったときは」の表をご覧ください。";

} // namespace

// The modem check of the real window over the simulator's pseudo-terminal: the bytes it writes,
// the one box it ends with (none when the window is closed meanwhile), and the port free again
// afterwards.
class TestModemCheck : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void checkEndsInOneBox_data()
    {
        QTest::addColumn<QStringList>("flags");
        QTest::addColumn<QString>("device"); // empty: the simulator's
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QString>("box"); // empty: none
        const auto row = [](const char* name, const char* flags, const char* device,
                            const char* written, const QString& box) {
            QTest::newRow(name) << QString(flags).split('|', Qt::SkipEmptyParts) << device
                                << QByteArray(written) << box;
        };
        const char* const allQueries = "AT\rATI\rAT+FCLASS=?\r";
        const char* const voiceQueries =
            "AT\rATI\rAT+FCLASS=?\rAT+FCLASS=8\rAT+VSM=?\rAT+VLS=?\rAT+FCLASS=0\r";
        const QString voiceClasses = Answered + "サービスクラス（AT+FCLASS=?）: 0,1,1.0,8\r\n";
        row("voice modem", "", "", voiceQueries,
            voiceClasses + "音声モード: 使えます（音声の形式: UNSIGNED PCM、8000 Hz）");
        row("voice modem, ADPCM only", "--voice-methods|adpcm", "", voiceQueries,
            voiceClasses + "音声モード: 使えません。このモデムの音声の形式は、どれもパソコンで"
                           "再生できません（8 ビット PCM・μ-law・A-law のどれもありません）。"
                           "（このモデムの形式: IMA ADPCM、2 Bit ADPCM、4 Bit ADPCM）");
        row("voice mode refused", "--refuse|+FCLASS=8", "", "AT\rATI\rAT+FCLASS=?\rAT+FCLASS=8\r",
            voiceClasses + "音声モード: 使えません。このモデムは音声モード（AT+FCLASS=8）を受け"
                           "付けませんでした。");
        row("data modem, information only", "--no-voice", "", allQueries,
            Answered +
                "サービスクラス（AT+FCLASS=?）: 0,1,1.0\r\n音声（クラス 8）は一覧にありません。"
                "音声モードは使えませんが、トーンの送信（ATDT…;）は多くのデータモデムでもできる"
                "ので、使えることがあります。");
        row("ERROR to the queries is no failure", "--refuse-queries", "", allQueries,
            Port + "モデムが応答しました。\r\n識別情報（ATI）: 対応していません\r\n"
                   "サービスクラス（AT+FCLASS=?）: 対応していません");
        row("silent modem", "--silent", "", "AT\r", Silent);
        row("garbage, no OK", "--silent|--garbage", "", "AT\r", Silent + "\r\n受信した内容: {*}");
        row("device vanishes", "--hangup-after|1", "", "AT\rATI\r",
            Port + "{device} との通信が途切れました。モデムのケーブルと電源を確かめてください。"
                   "（{*}）\r\nポートを閉じました。");
        row("no such device", "", "/nonexistent/ttyTarvik", "",
            Port + "ポートを開けません\r\nモデムのポート {device} を開けませんでした。\r\n"
                   "見つかりません。モデムがつながっているか、ポートの選択が正しいかを確かめて"
                   "ください。");
        row("window closed during the check: ends it at once", "--silent", "", "AT\r", {});
    }

    // While the check runs, neither Hook, nor the port dialog, nor a second check can be started;
    // closing the window ends it at once, without a box (the reply wait is short: 300 ms).
    void checkEndsInOneBox()
    {
        QFETCH(QStringList, flags);
        QFETCH(QString, device);
        QFETCH(QByteArray, written);
        QFETCH(QString, box);
        ModemSimulator simulator;
        QVERIFY(simulator.start(flags));
        const QString opened = device.isEmpty() ? simulator.devicePath() : device;
        PortMapping::Overrides com1;
        com1[0] = opened;
        SerialPortOpener opener;
        WindowFixture f(opener, {}, WindowFixture::shortTiming(), com1);
        QPushButton* hook = f.ui().button(CallProcedure::Step::Hook);
        QList<bool> enabledDuringCheck;
        const auto duringCheck = [&] {
            enabledDuringCheck << f.control<QAction>(Check)->isEnabled()
                               << f.control<QAction>("MenuPortSettings")->isEnabled()
                               << hook->isEnabled();
            if (box.isEmpty())
                f.window().close();
        };
        connect(&f.check(), &ModemCheck::runningChanged, &f.window(), [&](bool running) {
            if (running)
                QTimer::singleShot(0, &f.window(), duringCheck);
        });
        f.boxes().answerNext(MessageBoxes::Answer::Ok, int(!box.isEmpty()));

        f.control<QAction>(Check)->trigger();

        QCOMPARE(f.boxes().titles(), QStringList(int(!box.isEmpty()), "接続確認"));
        // "{*}": what the modem or the system said, which the box shows only as a short excerpt.
        const QString pattern = QRegularExpression::escape(box)
                                    .replace("\\{device\\}", QRegularExpression::escape(opened))
                                    .replace("\\{\\*\\}", "[^\\r\\n]{1,41}");
        const QString text = f.boxes().shown().value(0).text;
        QVERIFY2(QRegularExpression('^' + pattern + '$').match(text).hasMatch(), qPrintable(text));
        QTRY_COMPARE(simulator.received(), written); // never off-hook: no ATH1, ATD or ATA
        QCOMPARE(enabledDuringCheck, QList<bool>(written.isEmpty() ? 0 : 3, false));
        const PortOpener::Result again = opener.open(opened, PortOpener::Speed::Commands);
        QVERIFY2(again.device || again.failure.kind != PortOpener::Failure::Kind::Busy,
                 "the check left the port open");
        QVERIFY(hook->isEnabled());
    }

    void noCheckWhileACallHoldsThePort()
    {
        ModemSimulator simulator;
        QVERIFY(simulator.start());
        SerialPortOpener opener;
        WindowFixture f(opener, {}, WindowFixture::shortTiming(), simulator.asCom1());
        f.bringCallUp();
        QVERIFY(!f.control<QAction>(Check)->isEnabled());
        f.click(CallProcedure::Step::HookOff);
        QTRY_VERIFY(f.control<QAction>(Check)->isEnabled());
    }
};

QTEST_MAIN(TestModemCheck)
#include "tst_modemcheck.moc"
