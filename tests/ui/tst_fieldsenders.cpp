#include "FakePortOpener.h"
#include "FieldSenders.h"
#include "LineControl.h"
#include "ScriptedMessageBoxes.h"

#include <QElapsedTimer>
#include <QTest>

#include <memory>

using Answer = MessageBoxes::Answer;

namespace {

constexpr int PairPauseMs = 150;
const QString DigitsOnly = QStringLiteral("送信文字列エラー: 番号のみ指定してください");
const QString ToneCharacters =
    QStringLiteral("送信文字列エラー: 番号か*#-のどれかを指定してください");

enum class Sender { Digits, FreeString, Member, Facility };

} // namespace

Q_DECLARE_METATYPE(Sender)

class TestFieldSenders : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void splitsTheSelectedLine_data();
    void splitsTheSelectedLine();
    void sendsOrRefuses_data();
    void sendsOrRefuses();
    void pairPausesBetweenItsHalves();
    void sendDuringAnotherWaitIsIgnored();

private:
    void bringCallUp();
    QByteArray written() const;
    QStringList boxes() const;

    FakePortOpener m_opener;
    ScriptedMessageBoxes m_boxes;
    std::unique_ptr<LineControl> m_line;
    std::unique_ptr<FieldSenders> m_senders;
};

void TestFieldSenders::init()
{
    m_boxes.reset();
    m_opener = FakePortOpener();
    m_opener.setAutoReply(FakeModemDevice::okReply());
    m_line = std::make_unique<LineControl>(m_opener);
    LineControl::Timing timing;
    timing.replyTimeoutMs = 300;
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

QByteArray TestFieldSenders::written() const
{
    return m_opener.device() ? m_opener.device()->written() : QByteArray();
}

QStringList TestFieldSenders::boxes() const
{
    QStringList shown;
    for (const ScriptedMessageBoxes::Shown& box : m_boxes.shown())
        shown << box.title + QStringLiteral(": ") + box.text;
    return shown;
}

// Members: the first 8 and the last 4 of the last 13 characters; facilities: the first 4 and
// the last 2 of the first 7. Lines shorter than that overlap or come out short.
void TestFieldSenders::splitsTheSelectedLine_data()
{
    QTest::addColumn<bool>("member");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    const auto row = [](const char* name, bool member, const QString& entry, const QString& first,
                        const QString& second) {
        QTest::newRow(name) << member << entry << first << second;
    };
    row("member of 12, overlapping", true, "123456789012", "12345678", "9012");
    row("member of 5", true, "12345", "12345", "2345");
    row("facility of 5", false, "01020", "0102", "20");
}

void TestFieldSenders::splitsTheSelectedLine()
{
    QFETCH(bool, member);
    QFETCH(QString, entry);
    const FieldSenders::TonePair tones =
        member ? FieldSenders::memberTones(entry) : FieldSenders::facilityTones(entry);
    QTEST(tones.first, "first");
    QTEST(tones.second, "second");
}

// What goes out, and the boxes shown instead. A null text of a list: nothing selected.
void TestFieldSenders::sendsOrRefuses_data()
{
    QTest::addColumn<Sender>("sender");
    QTest::addColumn<bool>("lineUp");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QStringList>("boxes");
    const auto row = [](const char* name, Sender sender, const QString& text,
                        const QByteArray& sent, const QStringList& boxes, bool lineUp = true) {
        QTest::newRow(name) << sender << lineUp << text << sent << boxes;
    };
    row("digits", Sender::Digits, "0123456789", "ATDT0123456789;\r\n", {});
    row("digits, empty is sent empty", Sender::Digits, "", "ATDT;\r\n", {});
    row("digits, tone keys", Sender::Digits, "*#-", {}, {DigitsOnly});
    row("digits, two letters, one box", Sender::Digits, "1a2b", {}, {DigitsOnly});
    row("free string", Sender::FreeString, "0-1*2#", "ATDT0-1*2#;\r\n", {});
    row("free string, empty does nothing", Sender::FreeString, "", {}, {});
    row("free string, a comma would pause the modem", Sender::FreeString, "1,2", {},
        {ToneCharacters});
    row("free string, port closed", Sender::FreeString, "123", {},
        {"送信できません: 回線がつながっていません。\r\n"
         "「Hook」と「Dial」で電話をかけてから送信してください。"},
        false);
    row("free string, empty, port closed", Sender::FreeString, "", {}, {}, false);
    row("member, refused number, PIN still sent", Sender::Member, "山田 1234-678 1234",
        "ATDT1234;\r\n", {DigitsOnly});
    row("member, none selected", Sender::Member, QString(), {},
        {"送信できません: メンバーが選ばれていません。\r\n"
         "「登録」メニューの「ID番号」でメンバーを登録し、一覧から選んでください。"});
    row("facility", Sender::Facility, "0101 01 体育館", "ATDT0101;\r\nATDT01;\r\n", {});
    row("facility, none selected", Sender::Facility, QString(), {},
        {"送信できません: 施設が選ばれていません。\r\n"
         "「登録」メニューの「施設」で施設を登録し、一覧から選んでください。"});
}

void TestFieldSenders::sendsOrRefuses()
{
    QFETCH(Sender, sender);
    QFETCH(bool, lineUp);
    QFETCH(QString, text);
    QFETCH(QStringList, boxes);
    if (lineUp)
        bringCallUp();
    for (int i = 0; i < boxes.size(); ++i)
        m_boxes.answerNext(Answer::Ok);
    const std::optional<QString> selected =
        text.isNull() ? std::nullopt : std::optional<QString>(text);
    switch (sender) {
    case Sender::Digits:
        m_senders->checkDigits(text);
        break;
    case Sender::FreeString:
        m_senders->sendFreeString(text);
        break;
    case Sender::Member:
        m_senders->sendMember(selected);
        break;
    case Sender::Facility:
        m_senders->sendFacility(selected);
        break;
    }
    QTEST(written(), "sent");
    QCOMPARE(this->boxes(), boxes);
    QCOMPARE(m_opener.device() != nullptr, lineUp); // nothing is opened to send
}

void TestFieldSenders::pairPausesBetweenItsHalves()
{
    bringCallUp();
    QElapsedTimer clock;
    clock.start();
    m_senders->sendMember(QStringLiteral("山田太郎 12345678 1234"));
    QVERIFY(clock.elapsed() >= PairPauseMs);
    QCOMPARE(m_opener.device()->writes(),
             (QList<QByteArray>{"ATDT12345678;\r\n", "ATDT1234;\r\n"}));
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
