#include "FakePortOpener.h"
#include "FieldSenders.h"
#include "LineControl.h"
#include "ScriptedMessageBoxes.h"

#include <QElapsedTimer>
#include <QTest>

#include <memory>

using Answer = MessageBoxes::Answer;

namespace {
constexpr int ReplyTimeoutMs = 300;
constexpr int PairPauseMs = 150;
const QString DigitsOnly = QStringLiteral("番号のみ指定してください");
const QString ToneCharacters = QStringLiteral("番号か*#-のどれかを指定してください");
} // namespace

class TestFieldSenders : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void memberTones_data();
    void memberTones();
    void facilityTones_data();
    void facilityTones();

    void digitFields_data();
    void digitFields();
    void freeString_data();
    void freeString();
    void freeStringWhileTheLineIsDown();
    void pairPausesBetweenItsHalves();
    void refusedFirstHalfStillSendsTheSecond();
    void nothingSelectedSendsNothing_data();
    void nothingSelectedSendsNothing();
    void sendDuringAnotherWaitIsIgnored();

private:
    void bringCallUp();
    QByteArray written() const { return m_opener.device()->written(); }
    QStringList boxTexts() const;

    FakePortOpener m_opener;
    ScriptedMessageBoxes m_boxes;
    std::unique_ptr<LineControl> m_line;
    std::unique_ptr<FieldSenders> m_senders;
};

void TestFieldSenders::init()
{
    m_boxes.reset();
    m_opener.setAutoReply(FakeModemDevice::okReply());
    m_line = std::make_unique<LineControl>(m_opener);
    LineControl::Timing timing;
    timing.replyTimeoutMs = ReplyTimeoutMs;
    timing.dialPauseMs = 10;
    timing.pairPauseMs = PairPauseMs;
    timing.exitReplyTimeoutMs = 100;
    m_line->setTiming(timing);
    m_senders = std::make_unique<FieldSenders>(*m_line, m_boxes, nullptr);
}

void TestFieldSenders::cleanup()
{
    QCOMPARE(m_boxes.pendingAnswers(), 0);
    m_senders.reset();
    m_line.reset();
}

void TestFieldSenders::bringCallUp()
{
    m_line->hook(0);
    m_line->dial(LineControl::DialMode::Tone, QString());
    QCOMPARE(m_line->state(), LineControl::State::Dialled);
    m_opener.device()->clearWritten();
}

QStringList TestFieldSenders::boxTexts() const
{
    QStringList texts;
    for (const ScriptedMessageBoxes::Shown& shown : m_boxes.shown())
        texts << shown.text;
    return texts;
}

void TestFieldSenders::memberTones_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("pin");
    QTest::newRow("usual") << "山田太郎 12345678 1234"
                           << "12345678"
                           << "1234";
    QTest::newRow("name never sent") << "とても長い名前の会員さんです 87654321 0000"
                                     << "87654321"
                                     << "0000";
    QTest::newRow("empty name") << " 12345678 1234"
                                << "12345678"
                                << "1234";
    QTest::newRow("12 overlap") << "123456789012"
                                << "12345678"
                                << "9012";
    QTest::newRow("short overlap") << "12345"
                                   << "12345"
                                   << "2345";
    QTest::newRow("empty") << ""
                           << ""
                           << "";
}

void TestFieldSenders::memberTones()
{
    QFETCH(QString, entry);
    const FieldSenders::TonePair tones = FieldSenders::memberTones(entry);
    QTEST(tones.first, "number");
    QTEST(tones.second, "pin");
}

void TestFieldSenders::facilityTones_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("facility");
    QTest::addColumn<QString>("breakdown");
    QTest::newRow("usual") << "0101 01 体育館"
                           << "0101"
                           << "01";
    QTest::newRow("exactly 7") << "0102 03"
                               << "0102"
                               << "03";
    QTest::newRow("short") << "01020"
                           << "0102"
                           << "20";
    QTest::newRow("empty") << ""
                           << ""
                           << "";
}

void TestFieldSenders::facilityTones()
{
    QFETCH(QString, entry);
    const FieldSenders::TonePair tones = FieldSenders::facilityTones(entry);
    QTEST(tones.first, "facility");
    QTEST(tones.second, "breakdown");
}

void TestFieldSenders::digitFields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("digits") << "0123456789" << QByteArray("ATDT0123456789;\r\n");
    QTest::newRow("empty is sent empty") << "" << QByteArray("ATDT;\r\n");
    QTest::newRow("hyphen") << "12-34" << QByteArray();
    QTest::newRow("star and hash") << "*#" << QByteArray();
    QTest::newRow("two letters, one box") << "1a2b" << QByteArray();
    QTest::newRow("full-width digit") << "１２" << QByteArray();
    QTest::newRow("comma") << "1,2" << QByteArray();
}

void TestFieldSenders::digitFields()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, sent);
    bringCallUp();
    if (sent.isEmpty())
        m_boxes.answerNext(Answer::Ok);
    m_senders->checkDigits(text);
    QCOMPARE(written(), sent);
    QCOMPARE(boxTexts(), sent.isEmpty() ? QStringList{DigitsOnly} : QStringList());
    if (sent.isEmpty())
        QCOMPARE(m_boxes.shown().first().title, QStringLiteral("送信文字列エラー"));
}

void TestFieldSenders::freeString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("tone keys") << "0-1*2#" << QByteArray("ATDT0-1*2#;\r\n") << QStringList();
    QTest::newRow("empty does nothing") << "" << QByteArray() << QStringList();
    QTest::newRow("blank") << "12 3" << QByteArray() << QStringList{ToneCharacters};
    QTest::newRow("comma") << "1,2" << QByteArray() << QStringList{ToneCharacters};
}

void TestFieldSenders::freeString()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, sent);
    QFETCH(QStringList, boxes);
    bringCallUp();
    for (int i = 0; i < boxes.size(); ++i)
        m_boxes.answerNext(Answer::Ok);
    m_senders->sendFreeString(text);
    QCOMPARE(written(), sent);
    QCOMPARE(boxTexts(), boxes);
}

void TestFieldSenders::freeStringWhileTheLineIsDown()
{
    m_boxes.answerNext(Answer::Ok);
    m_senders->sendFreeString(QStringLiteral("123"));
    QCOMPARE(m_boxes.shown().size(), 1);
    QCOMPARE(m_boxes.shown().first().title, QStringLiteral("送信できません"));
    QVERIFY(m_boxes.shown().first().text.contains(QStringLiteral("回線がつながっていません")));
    QVERIFY(!m_opener.device()); // nothing was even opened
}

void TestFieldSenders::pairPausesBetweenItsHalves()
{
    bringCallUp();
    QElapsedTimer clock;
    clock.start();
    m_senders->sendMember(QStringLiteral("山田太郎 12345678 1234"));
    QVERIFY(clock.elapsed() >= PairPauseMs);
    const QList<QByteArray> expected{"ATDT12345678;\r\n", "ATDT1234;\r\n"};
    QCOMPARE(m_opener.device()->writes(), expected);
    m_opener.device()->clearWritten();
    m_senders->sendFacility(QStringLiteral("0101 01 体育館"));
    const QList<QByteArray> facility{"ATDT0101;\r\n", "ATDT01;\r\n"};
    QCOMPARE(m_opener.device()->writes(), facility);
}

void TestFieldSenders::refusedFirstHalfStillSendsTheSecond()
{
    bringCallUp();
    m_boxes.answerNext(Answer::Ok);
    m_senders->sendMember(QStringLiteral("山田 1234-678 1234"));
    QCOMPARE(boxTexts(), QStringList{DigitsOnly});
    QCOMPARE(written(), QByteArray("ATDT1234;\r\n"));
}

void TestFieldSenders::nothingSelectedSendsNothing_data()
{
    QTest::addColumn<bool>("members");
    QTest::addColumn<QString>("named");
    QTest::newRow("member") << true << "メンバー";
    QTest::newRow("facility") << false << "施設";
}

void TestFieldSenders::nothingSelectedSendsNothing()
{
    QFETCH(bool, members);
    QFETCH(QString, named);
    bringCallUp();
    m_boxes.answerNext(Answer::Ok);
    if (members)
        m_senders->sendMember(std::nullopt);
    else
        m_senders->sendFacility(std::nullopt);
    QCOMPARE(written(), QByteArray());
    QCOMPARE(m_boxes.shown().size(), 1);
    QVERIFY(m_boxes.shown().first().text.startsWith(named));
}

void TestFieldSenders::sendDuringAnotherWaitIsIgnored()
{
    bringCallUp();
    m_opener.device()->setAutoReply({}); // the modem stays silent: the first send waits
    // Inside the first send's wait for "OK":
    connect(
        m_line.get(), &LineControl::waitStarted, this,
        [this] {
            m_senders->sendKey(2);
            m_senders->checkDigits(QStringLiteral("x")); // no box: refused before the check
            m_senders->sendMember(QStringLiteral("山田 12345678 1234"));
            m_senders->sendFreeString(QStringLiteral("9"));
        },
        Qt::SingleShotConnection);
    m_senders->sendKey(1); // ends by its timeout, whose box is the window's
    QCOMPARE(written(), QByteArray("ATDT1;\r\n"));
    QVERIFY(m_boxes.shown().isEmpty());
}

QTEST_MAIN(TestFieldSenders)
#include "tst_fieldsenders.moc"
