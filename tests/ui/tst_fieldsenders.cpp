#include "FakePortOpener.h"
#include "FieldSenders.h"
#include "LineControl.h"
#include "ScriptedMessageBoxes.h"

#include <QTest>

#include <functional>
#include <memory>

using Answer = MessageBoxes::Answer;
using Send = std::function<void(FieldSenders&)>;
using Senders = FieldSenders;

const QString DigitsOnly = QStringLiteral("送信文字列エラー: 番号のみ指定してください");

Q_DECLARE_METATYPE(Send)

class TestFieldSenders : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void sendsOrRefuses_data();
    void sendsOrRefuses();
    void sendDuringAnotherWaitIsIgnored();

private:
    void bringCallUp();

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
    m_line = std::make_unique<LineControl>(m_opener, LineControl::Timing{300, 10, 10, 100});
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

// What goes out, and the boxes shown instead. Members send the first 8 and the last 4 of the
// last 13 characters, facilities the first 4 and the last 2 of the first 7: lines shorter than
// that come out overlapping or short.
void TestFieldSenders::sendsOrRefuses_data()
{
    QTest::addColumn<Send>("send");
    QTest::addColumn<bool>("lineUp");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QStringList>("boxes");
    const auto row = [](const char* name, const Send& send, const QByteArray& sent,
                        const QStringList& boxes, bool lineUp = true) {
        QTest::newRow(name) << send << lineUp << sent << boxes;
    };
    row("digits", [](Senders& s) { s.checkDigits("0123456789"); }, "ATDT0123456789;\r\n", {});
    row("digits, empty is sent empty", [](Senders& s) { s.checkDigits(""); }, "ATDT;\r\n", {});
    row("digits, tone keys", [](Senders& s) { s.checkDigits("*#-"); }, {}, {DigitsOnly});
    row("free string", [](Senders& s) { s.sendFreeString("0-1*2#"); }, "ATDT0-1*2#;\r\n", {});
    row("free string, a comma would pause the modem", [](Senders& s) { s.sendFreeString("1,2"); },
        {}, {"送信文字列エラー: 番号か*#-のどれかを指定してください"});
    row(
        "free string, port closed", [](Senders& s) { s.sendFreeString("123"); }, {},
        {"送信できません: 回線がつながっていません。\r\n"
         "「Hook」と「Dial」で電話をかけてから送信してください。"},
        false);
    row(
        "free string, empty, port closed: nothing", [](Senders& s) { s.sendFreeString(""); }, {},
        {}, false);
    row("member, refused number, PIN still sent",
        [](Senders& s) { s.sendMember("山田 1234-678 1234"); }, "ATDT1234;\r\n", {DigitsOnly});
    row("member of 5: halves overlap", [](Senders& s) { s.sendMember("12345"); },
        "ATDT12345;\r\nATDT2345;\r\n", {});
    row("member, none selected", [](Senders& s) { s.sendMember(std::nullopt); }, {},
        {"送信できません: メンバーが選ばれていません。\r\n"
         "「登録」メニューの「ID番号」でメンバーを登録し、一覧から選んでください。"});
    row("facility of 5: breakdown short", [](Senders& s) { s.sendFacility("01020"); },
        "ATDT0102;\r\nATDT20;\r\n", {});
    row("facility, none selected", [](Senders& s) { s.sendFacility(std::nullopt); }, {},
        {"送信できません: 施設が選ばれていません。\r\n"
         "「登録」メニューの「施設」で施設を登録し、一覧から選んでください。"});
}

void TestFieldSenders::sendsOrRefuses()
{
    QFETCH(Send, send);
    QFETCH(bool, lineUp);
    QFETCH(QStringList, boxes);
    if (lineUp)
        bringCallUp();
    m_boxes.answerNext(Answer::Ok, int(boxes.size()));
    send(*m_senders);
    QTEST(m_opener.device() ? m_opener.device()->written() : QByteArray(), "sent");
    QCOMPARE(m_boxes.texts(), boxes);
    QCOMPARE(m_opener.device() != nullptr, lineUp); // nothing is opened to send
}

// The one refusal of a click during another send's wait: a beep, no box, nothing written.
void TestFieldSenders::sendDuringAnotherWaitIsIgnored()
{
    bringCallUp();
    m_opener.device()->setAutoReply({}); // the modem stays silent: the first send waits
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
    QCOMPARE(m_opener.device()->written(), QByteArray("ATDT1;\r\n"));
    QVERIFY(m_boxes.shown().isEmpty());
}

QTEST_MAIN(TestFieldSenders)
#include "tst_fieldsenders.moc"
