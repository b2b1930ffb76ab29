#include "ModemSimulator.h"
#include "PortMapping.h"
#include "SerialPortOpener.h"
#include "WindowFixture.h"

#include <QAction>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

// The modem check of the real window over the simulator's pseudo-terminal: the bytes it writes,
// the one box it ends with, and the port free again afterwards.
class TestModemCheck : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { qunsetenv("TARVIK_COM1"); }
    void checkEndsInOneBox_data();
    void checkEndsInOneBox();
    void checkHoldsThePortAlone();
    void noCheckWhileACallHoldsThePort();
};

namespace {

const QString Check = QStringLiteral("MenuModemCheck");
const QString Hook = QStringLiteral("Command1");
const QByteArray AllQueries = "AT\rATI\rAT+FCLASS=?\r";
const QString Answered =
    QStringLiteral("ポート: COM1（{device}）\r\nモデムが応答しました。\r\n"
                   "識別情報（ATI）: Tarvik modem simulator / Version 1.0\r\n");
const QString Silent = QStringLiteral(
    "ポート: COM1（{device}）\r\nモデムから応答がありません\r\n次のことを確かめてください。\r\n"
    "・モデムの電源が入っているか\r\n・ケーブルがつながっているか\r\n"
    "・ポートの選択が正しいか（ﾓﾃﾞﾑ → ポート設定）\r\n"
    "・ほかのプログラム（ModemManager など）がポートを使っていないか\r\n"
    "詳しくは README の「困ったときは」の表をご覧ください。");
QAction* action(WindowFixture& f, const QString& name)
{
    return f.window().findChild<QAction*>(name);
}

} // namespace

void TestModemCheck::checkEndsInOneBox_data()
{
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<QString>("device"); // empty: the simulator's
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QString>("box");

    QTest::newRow("voice modem")
        << QStringList() << QString() << AllQueries
        << Answered +
               "サービスクラス（AT+FCLASS=?）: 0,1,1.0,8\r\n音声（クラス 8）に対応しています。";
    QTest::newRow("data modem, information only")
        << QStringList{"--no-voice"} << QString() << AllQueries
        << Answered +
               "サービスクラス（AT+FCLASS=?）: 0,1,1.0\r\n音声（クラス 8）は一覧にありません。"
               "トーンの送信（ATDT…;）は多くのデータモデムでもできるので、使えることがあります。";
    QTest::newRow("ERROR to the queries is no failure")
        << QStringList{"--refuse-queries"} << QString() << AllQueries
        << "ポート: COM1（{device}）\r\nモデムが応答しました。\r\n識別情報（ATI）: "
           "対応していません\r\n"
           "サービスクラス（AT+FCLASS=?）: 対応していません";
    QTest::newRow("silent modem") << QStringList{"--silent"} << QString() << QByteArray("AT\r")
                                  << Silent;
    QTest::newRow("garbage, no OK") << QStringList{"--silent", "--garbage"} << QString()
                                    << QByteArray("AT\r") << Silent + "\r\n受信した内容: {*}";
    QTest::newRow("device vanishes")
        << QStringList{"--hangup-after", "1"} << QString() << QByteArray("AT\rATI\r")
        << "ポート: COM1（{device}）\r\n{device} との通信が途切れました。"
           "モデムのケーブルと電源を確かめてください。（{*}）\r\nポートを閉じました。";
    QTest::newRow("no such device")
        << QStringList() << "/nonexistent/ttyTarvik" << QByteArray()
        << "ポート: COM1（{device}）\r\nポートを開けません\r\nモデムのポート {device} "
           "を開けませんでした。\r\n{device} が見つかりません。モデムがつながっているか、"
           "ポートの選択が正しいかを確かめてください。";
}

void TestModemCheck::checkEndsInOneBox()
{
    QFETCH(QStringList, flags);
    QFETCH(QString, device);
    QFETCH(QByteArray, written);
    QFETCH(QString, box);
    ModemSimulator simulator;
    QVERIFY(simulator.start(flags));
    qputenv("TARVIK_COM1", (device.isEmpty() ? simulator.devicePath() : device).toLocal8Bit());
    SerialPortOpener opener;
    WindowFixture f(opener);
    f.boxes().answerNext(MessageBoxes::Answer::Ok);

    action(f, Check)->trigger();

    QCOMPARE(f.boxes().titles(), QStringList{"接続確認"});
    // "{*}": what the modem or the system said, which the box shows only as a short excerpt.
    const QString pattern =
        QRegularExpression::escape(box)
            .replace("\\{device\\}", QRegularExpression::escape(PortMapping::deviceFor(0)))
            .replace("\\{\\*\\}", "[^\\r\\n]{1,41}");
    const QString text = f.boxes().shown().first().text;
    QVERIFY2(QRegularExpression('^' + pattern + '$').match(text).hasMatch(), qPrintable(text));
    QCOMPARE(simulator.received(), written);
    QVERIFY(!simulator.transcript().contains("off hook"));
    const PortOpener::Result again = opener.open(0, {});
    QVERIFY2(again.device || !again.error.contains("使用中"), "the check left the port open");
    QVERIFY(f.control<QPushButton>(Hook)->isEnabled());
}

// While the check waits, neither Hook nor a second check opens the port; closing the window
// ends the check at once, without a box, and frees the port.
void TestModemCheck::checkHoldsThePortAlone()
{
    ModemSimulator simulator;
    QVERIFY(simulator.start({"--silent"}));
    qputenv("TARVIK_COM1", simulator.devicePath().toLocal8Bit());
    SerialPortOpener opener;
    WindowFixture f(opener, {}, {5000, 20, 20, 200});
    QList<bool> enabledDuringCheck;
    QTimer::singleShot(100, &f.window(), [&] {
        enabledDuringCheck << action(f, Check)->isEnabled()
                           << action(f, "MenuPortSettings")->isEnabled()
                           << f.control<QPushButton>(Hook)->isEnabled();
        action(f, Check)->trigger();
        f.control<QPushButton>(Hook)->click();
        f.window().close();
    });
    QElapsedTimer clock;
    clock.start();

    action(f, Check)->trigger();

    QVERIFY(clock.elapsed() < 2000);
    QCOMPARE(enabledDuringCheck, QList<bool>(3, false));
    QVERIFY(f.boxes().shown().isEmpty());
    QCOMPARE(simulator.received(), QByteArray("AT\r"));
    QVERIFY2(opener.open(0, {}).device, "the check left the port open");
}

void TestModemCheck::noCheckWhileACallHoldsThePort()
{
    ModemSimulator simulator;
    QVERIFY(simulator.start());
    qputenv("TARVIK_COM1", simulator.devicePath().toLocal8Bit());
    SerialPortOpener opener;
    WindowFixture f(opener);
    f.bringCallUp();
    QVERIFY(!action(f, Check)->isEnabled());
    f.click("Command10");
    QTRY_VERIFY(action(f, Check)->isEnabled());
}

QTEST_MAIN(TestModemCheck)
#include "tst_modemcheck.moc"
