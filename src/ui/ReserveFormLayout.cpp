#include "ReserveFormLayout.h"

#include "TwipScale.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <functional>
#include <vector>

namespace {

using Controls = ReserveFormControls;

enum class Kind { Button, Field, Combo, Bracket, Heading, Calendar };

// Stores the created control in its role's member of the controls.
using Bind = std::function<void(Controls&, QWidget*)>;

struct Row {
    const char* designerName;
    Kind kind;
    const char* caption;        // UTF-8; a button's or label's text
    const char* accessibleName; // UTF-8; null: the caption
    QRect twips;                // left, top, width, height
    Bind bind;                  // empty for the brackets and the heading, which nothing uses
};

template <typename T> Bind role(T* Controls::*member)
{
    return [member](Controls& controls, QWidget* control) {
        controls.*member = static_cast<T*>(control);
    };
}

// Whether a step's button sends into a call (and so is usable only while the call is up), or
// drives the line itself.
enum class Sends { IntoCall, LineItself };

Bind stepRole(CallProcedure::Step step, Sends sends)
{
    return [step, sends](Controls& controls, QWidget* control) {
        auto* button = static_cast<QPushButton*>(control);
        controls.stepButtons[std::size_t(step)] = button;
        if (sends == Sends::IntoCall)
            controls.fieldButtons << button;
    };
}

Bind keyRole(int keyIndex)
{
    return [keyIndex](Controls& controls, QWidget* control) {
        auto* button = static_cast<QPushButton*>(control);
        controls.keyButtons[std::size_t(keyIndex)] = button;
        controls.fieldButtons << button;
    };
}

// The design grid is kept, except where a caption in the Noto CJK fonts would not fit: the
// step buttons, the dialling mode, the tone-pad heading and the calendar's last week are
// widened or lengthened into free space of their own group.
constexpr int StepLeft = 1920;
constexpr int StepWidth = 1056;
constexpr int StepHeight = 252;
constexpr int ValueLeft = 3000;
constexpr int FieldHeight = 264;
constexpr int ComboHeight = 300;
constexpr int ListWidth = 2415;
constexpr int CodeWidth = 372;

QRect step(int top)
{
    return {StepLeft, top, StepWidth, StepHeight};
}

QRect no(int top)
{
    return {1200, top, 612, StepHeight};
}

QRect field(int top, int width)
{
    return {ValueLeft, top, width, FieldHeight};
}

QRect combo(int top, int width = ListWidth)
{
    return {ValueLeft, top, width, ComboHeight};
}

QRect openingBracket(int top)
{
    return {1560, top, 255, 375};
}

QRect closingBracket(int top)
{
    return {3480, top, 255, 375};
}

QRect key(int column, int row)
{
    return {6240 + 360 * column, 1200 + 360 * row, 372, 372};
}

const std::vector<Row>& rows()
{
    using K = Kind;
    using S = CallProcedure::Step;
    const Sends call = Sends::IntoCall;
    const Sends line = Sends::LineItself;
    static const std::vector<Row> table = {
        {"Command1", K::Button, "Hook", nullptr, step(0), stepRole(S::Hook, line)},
        {"Combo1", K::Combo, "", "Hook", combo(0, 972), role(&Controls::portList)},
        {"Command2", K::Button, "Dial", nullptr, step(360), stepRole(S::Dial, line)},
        {"Text1", K::Field, "", "Dial", field(360, 2052), role(&Controls::numberField)},
        {"Combo4",
         K::Combo,
         "",
         "Dial Puls/Tone",
         {5160, 360, 972, ComboHeight},
         role(&Controls::dialModeList)},
        {"Command3", K::Button, "Service", nullptr, step(960), stepRole(S::Service, call)},
        {"Combo2", K::Combo, "", "Service", combo(960), role(&Controls::serviceList)},
        {"Command5_0", K::Button, "No", nullptr, no(1320), stepRole(S::FirstNo, call)},
        {"Command4_0", K::Button, "Yes", nullptr, step(1320), stepRole(S::FirstYes, call)},
        {"Command6", K::Button, "番号・暗証", nullptr, step(1680), stepRole(S::Member, call)},
        {"Combo3", K::Combo, "", "番号・暗証", combo(1680), role(&Controls::memberList)},
        {"Command7", K::Button, "施設・内訳", nullptr, step(2280), stepRole(S::Facility, call)},
        {"Combo5", K::Combo, "", "施設・内訳", combo(2280), role(&Controls::facilityList)},
        {"Label1_0", K::Bracket, "【", nullptr, openingBracket(2640), {}},
        {"Command9_0", K::Button, "利用条件", nullptr, step(2640), stepRole(S::Conditions, call)},
        {"Text4_0", K::Field, "", "利用条件", field(2640, CodeWidth),
         role(&Controls::conditionsField)},
        {"Label2_0", K::Bracket, "】", nullptr, closingBracket(2640), {}},
        {"Command5_1", K::Button, "No", nullptr, no(3000), stepRole(S::SecondNo, call)},
        {"Command4_1", K::Button, "Yes", nullptr, step(3000), stepRole(S::SecondYes, call)},
        {"Command12", K::Button, "日付", nullptr, step(3360), stepRole(S::Date, call)},
        {"Text5", K::Field, "", "日付", field(3360, 612), role(&Controls::dateField)},
        {"Command13", K::Button, "時間帯", nullptr, step(3720), stepRole(S::TimeSlot, call)},
        {"Text6", K::Field, "", "時間帯", field(3720, CodeWidth), role(&Controls::timeSlotField)},
        {"Label1_1", K::Bracket, "【", nullptr, openingBracket(4080), {}},
        {"Command9_1", K::Button, "利用目的", nullptr, step(4080), stepRole(S::Purpose, call)},
        {"Text4_1", K::Field, "", "利用目的", field(4080, CodeWidth),
         role(&Controls::purposeField)},
        {"Label2_1", K::Bracket, "】", nullptr, closingBracket(4080), {}},
        {"Command5_2", K::Button, "No", nullptr, no(4440), stepRole(S::ThirdNo, call)},
        {"Command4_2", K::Button, "Yes", nullptr, step(4440), stepRole(S::ThirdYes, call)},
        {"Command5_3",
         K::Button,
         "他ｻｰﾋﾞｽ",
         nullptr,
         {600, 4920, 852, StepHeight},
         stepRole(S::OtherService, call)},
        {"Command4_3", K::Button, "次予約", nullptr, step(4920),
         stepRole(S::NextReservation, call)},
        {"Command10",
         K::Button,
         "HookOFF",
         nullptr,
         {StepLeft, 5280, StepWidth, 375},
         stepRole(S::HookOff, line)},
        {"Label3", K::Heading, "トーン信号を送ります", nullptr, {5520, 960, 1935, 255}, {}},
        {"Command11_1", K::Button, "1", nullptr, key(0, 0), keyRole(1)},
        {"Command11_2", K::Button, "2", nullptr, key(1, 0), keyRole(2)},
        {"Command11_3", K::Button, "3", nullptr, key(2, 0), keyRole(3)},
        {"Command11_4", K::Button, "4", nullptr, key(0, 1), keyRole(4)},
        {"Command11_5", K::Button, "5", nullptr, key(1, 1), keyRole(5)},
        {"Command11_6", K::Button, "6", nullptr, key(2, 1), keyRole(6)},
        {"Command11_7", K::Button, "7", nullptr, key(0, 2), keyRole(7)},
        {"Command11_8", K::Button, "8", nullptr, key(1, 2), keyRole(8)},
        {"Command11_9", K::Button, "9", nullptr, key(2, 2), keyRole(9)},
        {"Command11_10", K::Button, "*", nullptr, key(0, 3), keyRole(10)},
        {"Command11_0", K::Button, "0", nullptr, key(1, 3), keyRole(0)},
        {"Command11_11", K::Button, "#", nullptr, key(2, 3), keyRole(11)},
        {"Text7", K::Field, "", "←を送信", {5280, 2760, 1215, 270}, role(&Controls::freeToneField)},
        {"Command14",
         K::Button,
         "←を送信",
         nullptr,
         {6480, 2760, 855, 375},
         role(&Controls::sendFreeToneButton)},
        {"Calendar1",
         K::Calendar,
         "",
         "カレンダー",
         {3720, 3480, 3615, 2505},
         role(&Controls::calendar)},
    };
    return table;
}

QFont bracketFont()
{
    QFont font;
    // The design font first; Linux has no MS Gothic, so a Japanese monospace font follows.
    font.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
                      QStringLiteral("Noto Sans Mono CJK JP")});
    font.setStyleHint(QFont::Monospace);
    font.setPointSizeF(13.5);
    font.setBold(true);
    return font;
}

QComboBox* createCombo(QWidget* panel)
{
    auto* combo = new QComboBox(panel);
    combo->setEditable(true);
    // Typing into the field never adds a line to the list.
    combo->setInsertPolicy(QComboBox::NoInsert);
    // A long entry shows its start (the member's name), not its end.
    QObject::connect(combo, &QComboBox::currentIndexChanged, combo,
                     [combo] { combo->lineEdit()->setCursorPosition(0); });
    return combo;
}

QWidget* createControl(Kind kind, const QString& caption, QWidget* panel)
{
    switch (kind) {
    case Kind::Button: {
        auto* button = new QPushButton(caption, panel);
        button->setAutoDefault(false);
        return button;
    }
    case Kind::Field:
        return new QLineEdit(panel);
    case Kind::Combo:
        return createCombo(panel);
    case Kind::Bracket: {
        auto* label = new QLabel(caption, panel);
        label->setFont(bracketFont());
        label->setAlignment(Qt::AlignCenter);
        return label;
    }
    case Kind::Heading:
        return new QLabel(caption, panel);
    case Kind::Calendar: {
        auto* calendar = new QCalendarWidget(panel);
        calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        return calendar;
    }
    }
    return nullptr;
}

bool takesFocus(Kind kind)
{
    return kind != Kind::Bracket && kind != Kind::Heading;
}

} // namespace

ReserveFormControls ReserveFormLayout::create(QWidget* panel, const TwipScale& scale)
{
    Controls controls;
    QWidget* previousInTabOrder = nullptr;
    for (const Row& row : rows()) {
        const QString caption = QString::fromUtf8(row.caption);
        QWidget* control = createControl(row.kind, caption, panel);
        control->setObjectName(QString::fromUtf8(row.designerName));
        control->setAccessibleName(row.accessibleName ? QString::fromUtf8(row.accessibleName)
                                                      : caption);
        control->setGeometry(scale.toPixels(row.twips));
        if (row.bind)
            row.bind(controls, control);
        if (!takesFocus(row.kind))
            continue;
        if (previousInTabOrder)
            QWidget::setTabOrder(previousInTabOrder, control);
        previousInTabOrder = control;
    }
    return controls;
}

ReserveFormControls ReserveFormLayout::find(const QWidget* window)
{
    Controls controls;
    for (const Row& row : rows()) {
        if (row.bind)
            row.bind(controls, window->findChild<QWidget*>(QString::fromUtf8(row.designerName)));
    }
    return controls;
}
