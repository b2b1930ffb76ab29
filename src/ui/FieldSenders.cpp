#include "FieldSenders.h"

#include "LineControl.h"
#include "MessageBoxes.h"
#include "ToneString.h"

#include <QApplication>

#include <algorithm>

namespace {

using Kind = RegistrationEntry::Kind;

const QString CannotSendTitle = QStringLiteral("送信できません");
const QString SendErrorTitle = QStringLiteral("送信文字列エラー");

std::optional<QStringList> answer(const QString& tones)
{
    return QStringList{tones};
}

std::optional<QStringList> entryParts(Kind kind, const std::optional<QString>& entry)
{
    if (!entry)
        return std::nullopt;
    const RegistrationEntry::ToneParts parts = RegistrationEntry::toneParts(kind, *entry);
    return QStringList{parts.first, parts.second};
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
    const auto yes = [](const CallFields&) { return answer(QStringLiteral("1")); };
    const auto no = [](const CallFields&) { return answer(QStringLiteral("0")); };
    const QStringList yesName{QStringLiteral("「はい」の答え")};
    const QStringList noName{QStringLiteral("「いいえ」の答え")};
    static const QList<Sender> table{
        {Step::Service,
         [](const CallFields& f) { return answer(f.serviceLine.left(3)); },
         Check::None,
         {QStringLiteral("サービス番号")},
         {}},
        {Step::FirstYes, yes, Check::None, yesName, {}},
        {Step::FirstNo, no, Check::None, noName, {}},
        {Step::Member,
         [](const CallFields& f) { return entryParts(Kind::Member, f.member); },
         Check::Digits,
         {QStringLiteral("登録番号"), QStringLiteral("暗証番号")},
         QStringLiteral("メンバーが選ばれていません。\r\n「登録」メニューの「ID番号」でメンバーを"
                        "登録し、一覧から選んでください。")},
        {Step::Facility,
         [](const CallFields& f) { return entryParts(Kind::Facility, f.facility); },
         Check::Digits,
         {QStringLiteral("施設コード"), QStringLiteral("内訳コード")},
         QStringLiteral("施設が選ばれていません。\r\n「登録」メニューの「施設」で施設を登録し、"
                        "一覧から選んでください。")},
        {Step::Conditions,
         [](const CallFields& f) { return answer(f.conditions); },
         Check::Digits,
         {QStringLiteral("利用条件")},
         {}},
        {Step::SecondYes, yes, Check::None, yesName, {}},
        {Step::SecondNo, no, Check::None, noName, {}},
        {Step::Date,
         [](const CallFields& f) { return answer(f.date); },
         Check::Digits,
         {QStringLiteral("日付")},
         {}},
        {Step::TimeSlot,
         [](const CallFields& f) { return answer(f.timeSlot.left(2)); },
         Check::Digits,
         {QStringLiteral("時間帯")},
         {}},
        {Step::Purpose,
         [](const CallFields& f) { return answer(f.purpose); },
         Check::Digits,
         {QStringLiteral("利用目的")},
         {}},
        {Step::ThirdYes, yes, Check::None, yesName, {}},
        {Step::ThirdNo, no, Check::None, noName, {}},
        {Step::NextReservation, yes, Check::None, yesName, {}},
        {Step::OtherService, no, Check::None, noName, {}},
    };
    return table;
}

const FieldSenders::Sender* FieldSenders::senderOf(Step step)
{
    for (const Sender& sender : senders()) {
        if (sender.step == step)
            return &sender;
    }
    return nullptr;
}

void FieldSenders::send(Step step, const CallFields& fields)
{
    const Sender* sender = senderOf(step);
    const std::optional<QStringList> tones = sender->compose(fields);
    if (!tones) {
        tell(CannotSendTitle, sender->noneSelected);
        return;
    }
    nameStep(sender->partNames);
    if (!lineIsFree())
        return;
    if (tones->size() == 1) {
        if (passes(sender->check, tones->first()))
            sendTones(tones->first());
        return;
    }
    const auto check = [this, sender](const QString& part) { return passes(sender->check, part); };
    if (!m_line.sendTonePair(tones->at(0), tones->at(1), check))
        QApplication::beep();
}

bool FieldSenders::wouldSendTypicalCall(const QString& number, const CallFields& fields) const
{
    if (number.isEmpty()) {
        tellEmpty(QStringLiteral("電話番号"));
        return false;
    }
    if (!checkToneString(number))
        return false;
    const QList<Step> path = CallProcedure::typicalPath();
    return std::all_of(path.begin(), path.end(),
                       [&](Step step) { return !senderOf(step) || wouldSendAll(step, fields); });
}

bool FieldSenders::wouldSendAll(Step step, const CallFields& fields) const
{
    const Sender* sender = senderOf(step);
    const std::optional<QStringList> tones = sender->compose(fields);
    if (!tones) {
        tell(CannotSendTitle, sender->noneSelected);
        return false;
    }
    for (qsizetype part = 0; part < tones->size(); ++part) {
        if (tones->at(part).isEmpty()) {
            tellEmpty(sender->partNames.value(part));
            return false;
        }
        if (!passes(sender->check, tones->at(part)))
            return false;
    }
    return true;
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

bool FieldSenders::passesDigitCheck(const QString& text) const
{
    if (ToneString::isDigits(text))
        return true;
    tell(SendErrorTitle, QStringLiteral("番号のみ指定してください"));
    return false;
}

bool FieldSenders::passes(Check check, const QString& tones) const
{
    return check == Check::None || passesDigitCheck(tones);
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

void FieldSenders::tellEmpty(const QString& name) const
{
    tell(QStringLiteral("自動実行"), QStringLiteral("%1が空です").arg(name));
}

void FieldSenders::tell(const QString& title, const QString& text) const
{
    m_boxes.show(m_boxParent, title, text, MessageBoxes::Buttons::Ok);
}
