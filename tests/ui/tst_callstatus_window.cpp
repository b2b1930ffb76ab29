#include "CallStatus.h"
#include "FakePortOpener.h"
#include "ReserveForm.h"
#include "ScriptedMessageBoxes.h"
#include "SettingsFile.h"

#include <QCursor>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using Answer = MessageBoxes::Answer;

namespace {

constexpr int NoOverride = -1;

int overrideShape()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor ? int(cursor->shape()) : NoOverride;
}

// Notes the cursor under every box: a box during a wait must not keep the busy cursor.
class CursorNotingBoxes : public ScriptedMessageBoxes {
public:
    Answer show(QWidget* parent, const QString& title, const QString& text,
                Buttons buttons) override
    {
        cursors << overrideShape();
        return ScriptedMessageBoxes::show(parent, title, text, buttons);
    }
    QList<int> cursors;
};

} // namespace

// The status bar in the main window: where it sits, which step each button names, and that
// the registration number and the PIN never show in it.
class TestCallStatusWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void statusBarUnderTheChart();
    void buttonsNameTheirStep_data();
    void buttonsNameTheirStep();
    void memberPairShowsNoDigits_data();
    void memberPairShowsNoDigits();

private:
    void bringCallUp();
    void click(const QString& objectName);
    QString activity() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_startDir;
    FakePortOpener m_opener;
    CursorNotingBoxes m_boxes;
    std::unique_ptr<ReserveForm> m_window;
};

void TestCallStatusWindow::init()
{
    m_startDir = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    Settings settings;
    settings.conditionsCode = QStringLiteral("1");
    settings.purposeCode = QStringLiteral("21");
    settings.date = QStringLiteral("15");
    settings.timeSlot = QStringLiteral("02");
    settings.members = {QStringLiteral("山田太郎 12345678 9012")};
    settings.facilities = {QStringLiteral("0101 01 体育館")};
    QString error;
    QVERIFY2(SettingsFile::save(SettingsFile::pathInCurrentDirectory(), settings, &error),
             qPrintable(error));

    m_boxes.reset();
    m_boxes.cursors.clear();
    m_opener = FakePortOpener();
    m_opener.setAutoReply(FakeModemDevice::okReply());
    m_window = std::make_unique<ReserveForm>(m_boxes, m_opener);
    LineControl::Timing timing;
    timing.replyTimeoutMs = 200;
    timing.dialPauseMs = 20;
    timing.pairPauseMs = 20;
    timing.exitReplyTimeoutMs = 100;
    m_window->lineControl().setTiming(timing);
    m_window->setProgramEnd([] {});
}

void TestCallStatusWindow::cleanup()
{
    QCOMPARE(m_boxes.pendingAnswers(), 0);
    m_window.reset();
    QCOMPARE(overrideShape(), NoOverride);
    QDir::setCurrent(m_startDir);
    m_dir.reset();
}

void TestCallStatusWindow::bringCallUp()
{
    click(QStringLiteral("Command1"));
    click(QStringLiteral("Command2"));
    QCOMPARE(m_window->lineControl().state(), LineControl::State::Dialled);
}

void TestCallStatusWindow::click(const QString& objectName)
{
    auto* button = m_window->findChild<QPushButton*>(objectName);
    QVERIFY2(button && button->isEnabled(), qPrintable(objectName));
    button->click();
}

QString TestCallStatusWindow::activity() const
{
    return m_window->findChild<QLabel*>(QStringLiteral("CallActivity"))->text();
}

void TestCallStatusWindow::statusBarUnderTheChart()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    const QStatusBar* bar = m_window->statusBar();
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->y(), m_window->centralWidget()->geometry().bottom() + 1);
    QCOMPARE(m_window->height(), bar->geometry().bottom() + 1);
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
    QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("LineState"))->text(),
             QStringLiteral("待機中"));

    // However long a text, the window keeps its size.
    const QSize size = m_window->size();
    const QString longName = QStringLiteral("/dev/serial/by-id/") + QString(200, QLatin1Char('x'));
    m_opener.failOpens(longName, QStringLiteral("Device or resource busy"));
    m_boxes.answerNext(Answer::Ok);
    click(QStringLiteral("Command1"));
    QVERIFY(activity().startsWith(longName));
    QCoreApplication::sendPostedEvents();
    QCOMPARE(m_window->size(), size);
}

void TestCallStatusWindow::buttonsNameTheirStep_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Service") << "Command3"
                             << "サービス番号を送信しました（OK）";
    QTest::newRow("次予約") << "Command4_3"
                            << "「はい」の答えを送信しました（OK）";
    QTest::newRow("他ｻｰﾋﾞｽ") << "Command5_3"
                             << "「いいえ」の答えを送信しました（OK）";
    QTest::newRow("施設・内訳") << "Command7"
                                << "内訳コードを送信しました（OK）";
    QTest::newRow("利用目的") << "Command9_1"
                              << "利用目的を送信しました（OK）";
    QTest::newRow("日付") << "Command12"
                          << "日付を送信しました（OK）";
    QTest::newRow("時間帯") << "Command13"
                            << "時間帯を送信しました（OK）";
    QTest::newRow("key #") << "Command11_11"
                           << "キー「#」を送信しました（OK）";
    QTest::newRow("←を送信") << "Command14"
                             << "入力したトーンを送信しました（OK）";
}

void TestCallStatusWindow::buttonsNameTheirStep()
{
    QFETCH(QString, button);
    bringCallUp();
    m_window->findChild<QLineEdit*>(QStringLiteral("Text7"))->setText(QStringLiteral("1#"));
    click(button);
    QTEST(activity(), "expected");
}

void TestCallStatusWindow::memberPairShowsNoDigits_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("timeoutBoxes");
    QTest::newRow("answered") << FakeModemDevice::okReply() << "（OK）" << 0;
    QTest::newRow("silent modem") << QByteArray() << "（応答がありません）" << 2;
}

void TestCallStatusWindow::memberPairShowsNoDigits()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, answer);
    QFETCH(int, timeoutBoxes);
    bringCallUp();
    QStringList shown;
    const auto note = [&shown](const QString& text) { shown << text; };
    auto* status = m_window->findChild<CallStatus*>();
    connect(status, &CallStatus::activityShown, this, note);
    connect(status, &CallStatus::lineStateShown, this, note);
    connect(m_window->statusBar(), &QStatusBar::messageChanged, this, note);
    m_opener.device()->clearWritten();
    m_opener.device()->setAutoReply(reply);
    for (int i = 0; i < timeoutBoxes; ++i)
        m_boxes.answerNext(Answer::Ok);

    click(QStringLiteral("Command6"));

    QCOMPARE(m_opener.device()->written(), QByteArray("ATDT12345678;\r\nATDT9012;\r\n"));
    QVERIFY(shown.contains(QStringLiteral("登録番号を送信しました") + answer));
    QVERIFY(shown.contains(QStringLiteral("暗証番号を送信しました") + answer));
    // Only the countdown may show a number.
    const QRegularExpression countdown(QStringLiteral("\\d+秒"));
    for (QString text : shown) {
        text.remove(countdown);
        for (const QChar c : text)
            QVERIFY2(!c.isDigit(), qPrintable(text));
    }
    QCOMPARE(m_boxes.cursors, QList<int>(timeoutBoxes, NoOverride));
}

QTEST_MAIN(TestCallStatusWindow)
#include "tst_callstatus_window.moc"
