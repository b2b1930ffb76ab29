#include "FieldSenders.h"

#include "LineControl.h"
#include "MessageBoxes.h"
#include "ToneString.h"

#include <QApplication>

namespace {

using Kind = RegistrationEntry::Kind;

const QString CannotSendTitle = QStringLiteral("送信できません");
const QString SendErrorTitle = QStringLiteral("送信文字列エラー");
const QString Yes = QStringLiteral("「はい」の答え");
const QString No = QStringLiteral("「いいえ」の答え");

// The names of the two strings an entry's step sends, and what to do when none is selected.
struct EntryWords {
    QStringList partNames;
    QString noneSelected;
};

EntryWords entryWords(Kind kind)
{
    if (kind == Kind::Member)
        return {{QStringLiteral("登録番号"), QStringLiteral("暗証番号")},
                QStringLiteral("メンバーが選ばれていません。\r\n「登録」メニューの「ID番号」で"
                               "メンバーを登録し、一覧から選んでください。")};
    return {{QStringLiteral("施設コード"), QStringLiteral("内訳コード")},
            QStringLiteral("施設が選ばれていません。\r\n「登録」メニューの「施設」で施設を登録し、"
                           "一覧から選んでください。")};
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

// Every step that sends into a call, with what it sends.
const QList<FieldSenders::Sender>& FieldSenders::senders()
{
    static const QList<Sender> table{
        {Step::Service, &FieldSenders::sendService},
        {Step::FirstYes, &FieldSenders::sendYes},
        {Step::FirstNo, &FieldSenders::sendNo},
        {Step::Member, &FieldSenders::sendMember},
        {Step::Facility, &FieldSenders::sendFacility},
        {Step::Conditions, &FieldSenders::sendConditions},
        {Step::SecondYes, &FieldSenders::sendYes},
        {Step::SecondNo, &FieldSenders::sendNo},
        {Step::Date, &FieldSenders::sendDate},
        {Step::TimeSlot, &FieldSenders::sendTimeSlot},
        {Step::Purpose, &FieldSenders::sendPurpose},
        {Step::ThirdYes, &FieldSenders::sendYes},
        {Step::ThirdNo, &FieldSenders::sendNo},
        {Step::NextReservation, &FieldSenders::sendYes},
        {Step::OtherService, &FieldSenders::sendNo},
    };
    return table;
}

void FieldSenders::send(Step step, const CallFields& fields)
{
    for (const Sender& sender : senders()) {
        if (sender.step == step)
            return (this->*sender.send)(fields);
    }
}

void FieldSenders::sendKey(int keyIndex)
{
    const QString tones = QStringLiteral("0123456789*#").mid(keyIndex, 1);
    nameStep({QStringLiteral("キー「%1」").arg(tones)});
    sendTones(tones);
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
        sendTones(text);
}

bool FieldSenders::checkToneString(const QString& text) const
{
    if (ToneString::isToneString(text))
        return true;
    tell(SendErrorTitle, QStringLiteral("番号か*#-のどれかを指定してください"));
    return false;
}

void FieldSenders::sendService(const CallFields& fields)
{
    nameStep({QStringLiteral("サービス番号")});
    sendTones(fields.serviceLine.left(3));
}

void FieldSenders::sendYes(const CallFields&)
{
    sendAnswer(Yes, QStringLiteral("1"));
}

void FieldSenders::sendNo(const CallFields&)
{
    sendAnswer(No, QStringLiteral("0"));
}

void FieldSenders::sendMember(const CallFields& fields)
{
    sendEntry(Kind::Member, fields.member);
}

void FieldSenders::sendFacility(const CallFields& fields)
{
    sendEntry(Kind::Facility, fields.facility);
}

void FieldSenders::sendConditions(const CallFields& fields)
{
    sendIfDigits(QStringLiteral("利用条件"), fields.conditions);
}

void FieldSenders::sendDate(const CallFields& fields)
{
    sendIfDigits(QStringLiteral("日付"), fields.date);
}

void FieldSenders::sendTimeSlot(const CallFields& fields)
{
    sendIfDigits(QStringLiteral("時間帯"), fields.timeSlot.left(2));
}

void FieldSenders::sendPurpose(const CallFields& fields)
{
    sendIfDigits(QStringLiteral("利用目的"), fields.purpose);
}

bool FieldSenders::passesDigitCheck(const QString& text) const
{
    if (ToneString::isDigits(text))
        return true;
    tell(SendErrorTitle, QStringLiteral("番号のみ指定してください"));
    return false;
}

void FieldSenders::sendIfDigits(const QString& name, const QString& text)
{
    nameStep({name});
    if (lineIsFree() && passesDigitCheck(text))
        sendTones(text);
}

void FieldSenders::sendAnswer(const QString& name, const QString& tones)
{
    nameStep({name});
    sendTones(tones);
}

void FieldSenders::sendEntry(Kind kind, const std::optional<QString>& entry)
{
    const EntryWords words = entryWords(kind);
    if (!entry) {
        tell(CannotSendTitle, words.noneSelected);
        return;
    }
    nameStep(words.partNames);
    if (!lineIsFree())
        return;
    const RegistrationEntry::ToneParts parts = RegistrationEntry::toneParts(kind, *entry);
    const auto check = [this](const QString& tones) { return passesDigitCheck(tones); };
    if (!m_line.sendTonePair(parts.first, parts.second, check))
        QApplication::beep();
}

bool FieldSenders::lineIsFree() const
{
    if (!m_line.isBusy())
        return true;
    QApplication::beep();
    return false;
}

void FieldSenders::sendTones(const QString& tones)
{
    // Refused while another operation waits, or when the line is not up.
    if (!m_line.sendTones(tones))
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
