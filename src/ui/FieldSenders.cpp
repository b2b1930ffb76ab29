#include "FieldSenders.h"

#include "LineControl.h"
#include "MessageBoxes.h"
#include "ToneString.h"

#include <QApplication>

namespace {

const QString CannotSendTitle = QStringLiteral("送信できません");
const QString SendErrorTitle = QStringLiteral("送信文字列エラー");

QString keyTones(int keyIndex)
{
    return QStringLiteral("0123456789*#").mid(keyIndex, 1);
}

QString serviceTones(const QString& serviceLine)
{
    return serviceLine.left(3);
}

QString timeSlotTones(const QString& timeSlot)
{
    return timeSlot.left(2);
}

// Registration number and PIN: the first 8 and the last 4 of the line's last 13 characters.
std::pair<QString, QString> memberTones(const QString& entry)
{
    const QString tail = entry.right(13);
    return {tail.left(8), tail.right(4)};
}

// Facility and breakdown code: the first 4 and the last 2 of the line's first 7 characters.
std::pair<QString, QString> facilityTones(const QString& entry)
{
    const QString head = entry.left(7);
    return {head.left(4), head.right(2)};
}

} // namespace

FieldSenders::FieldSenders(LineControl& line, MessageBoxes& boxes, QWidget* boxParent)
    : m_line(line), m_boxes(boxes), m_boxParent(boxParent)
{
}

void FieldSenders::setStepNamer(StepNamer nameStep)
{
    m_nameStep = std::move(nameStep);
}

bool FieldSenders::checkToneString(const QString& text) const
{
    if (ToneString::isToneString(text))
        return true;
    tell(SendErrorTitle, QStringLiteral("番号か*#-のどれかを指定してください"));
    return false;
}

bool FieldSenders::passesDigitCheck(const QString& text) const
{
    if (ToneString::isDigits(text))
        return true;
    tell(SendErrorTitle, QStringLiteral("番号のみ指定してください"));
    return false;
}

void FieldSenders::checkDigits(const QString& text)
{
    if (lineIsFree() && passesDigitCheck(text))
        send(text);
}

void FieldSenders::sendKey(int keyIndex)
{
    nameStep({QStringLiteral("キー「%1」").arg(keyTones(keyIndex))});
    send(keyTones(keyIndex));
}

void FieldSenders::sendAnswer(bool yes)
{
    nameStep({yes ? QStringLiteral("「はい」の答え") : QStringLiteral("「いいえ」の答え")});
    send(yes ? QStringLiteral("1") : QStringLiteral("0"));
}

void FieldSenders::sendService(const QString& serviceLine)
{
    nameStep({QStringLiteral("サービス番号")});
    send(serviceTones(serviceLine));
}

void FieldSenders::sendTimeSlot(const QString& timeSlot)
{
    sendField(QStringLiteral("時間帯"), timeSlotTones(timeSlot));
}

void FieldSenders::sendField(const QString& step, const QString& digits)
{
    nameStep({step});
    checkDigits(digits);
}

void FieldSenders::sendMember(const std::optional<QString>& entry)
{
    sendSelected(
        entry, &memberTones, {QStringLiteral("登録番号"), QStringLiteral("暗証番号")},
        QStringLiteral("メンバーが選ばれていません。\r\n"
                       "「登録」メニューの「ID番号」でメンバーを登録し、一覧から選んでください。"));
}

void FieldSenders::sendFacility(const std::optional<QString>& entry)
{
    sendSelected(
        entry, &facilityTones, {QStringLiteral("施設コード"), QStringLiteral("内訳コード")},
        QStringLiteral("施設が選ばれていません。\r\n"
                       "「登録」メニューの「施設」で施設を登録し、一覧から選んでください。"));
}

void FieldSenders::sendSelected(const std::optional<QString>& entry,
                                TonePair (*split)(const QString&), const QStringList& partNames,
                                const QString& whenNone)
{
    if (!entry) {
        tell(CannotSendTitle, whenNone);
        return;
    }
    nameStep(partNames);
    sendPair(split(*entry));
}

void FieldSenders::sendFreeString(const QString& text)
{
    if (text.isEmpty())
        return;
    if (!m_line.isPortOpen()) {
        tell(CannotSendTitle,
             QStringLiteral("回線がつながっていません。\r\n"
                            "「Hook」と「Dial」で電話をかけてから送信してください。"));
        return;
    }
    nameStep({QStringLiteral("入力したトーン")});
    if (lineIsFree() && checkToneString(text))
        send(text);
}

bool FieldSenders::lineIsFree() const
{
    if (!m_line.isBusy())
        return true;
    QApplication::beep();
    return false;
}

void FieldSenders::send(const QString& tones)
{
    // Refused while another operation waits, or when the line is not up.
    if (!m_line.sendTones(tones))
        QApplication::beep();
}

void FieldSenders::sendPair(const TonePair& pair)
{
    if (!lineIsFree())
        return;
    const auto check = [this](const QString& tones) { return passesDigitCheck(tones); };
    if (!m_line.sendTonePair(pair.first, pair.second, check))
        QApplication::beep();
}

void FieldSenders::nameStep(const QStringList& partNames) const
{
    if (m_nameStep)
        m_nameStep(partNames);
}

void FieldSenders::tell(const QString& title, const QString& text) const
{
    m_boxes.show(m_boxParent, title, text, MessageBoxes::Buttons::Ok);
}
