#include "ScheduleDialog.h"

#include "MessageBoxes.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {

const QString TimeFormat = QStringLiteral("HH:mm:ss");

// The next whole minute: a time the user can reach by changing a digit or two.
QDateTime nextWholeMinute(const QDateTime& now)
{
    const QDateTime inAMinute = now.addSecs(60);
    const QTime time = inAMinute.time();
    return QDateTime(inAMinute.date(), QTime(time.hour(), time.minute()));
}

} // namespace

ScheduleDialog::ScheduleDialog(MessageBoxes& boxes, ScheduledStart::WallClock clock,
                               QWidget* parent)
    : QDialog(parent), m_boxes(boxes), m_clock(std::move(clock))
{
    setObjectName(QStringLiteral("ScheduleDialog"));
    setWindowTitle(QStringLiteral("発信予約"));
    buildLayout();
    propose(m_clock());
}

std::optional<QDateTime> ScheduleDialog::ask(MessageBoxes& boxes, ScheduledStart::WallClock clock,
                                             QWidget* parent)
{
    ScheduleDialog dialog(boxes, std::move(clock), parent);
    dialog.exec();
    return dialog.chosen();
}

// "今日" is the day OK is pressed on, also when the dialog was opened the day before.
void ScheduleDialog::accept()
{
    const QDateTime now = m_clock();
    const QDateTime at(now.date().addDays(m_tomorrow->isChecked() ? 1 : 0), m_time->time());
    if (at < now) {
        m_boxes.show(this, windowTitle(),
                     QStringLiteral("今日の %1 はもう過ぎています。\r\n"
                                    "これより後の時刻か「明日」を選んでください。")
                         .arg(at.toString(TimeFormat)),
                     MessageBoxes::Buttons::Ok);
        m_time->setFocus();
        return;
    }
    m_chosen = at;
    QDialog::accept();
}

void ScheduleDialog::buildLayout()
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("この時刻になると自動実行を始めます。"), this));

    m_time = new QTimeEdit(this);
    m_time->setObjectName(QStringLiteral("ScheduleTime"));
    m_time->setDisplayFormat(TimeFormat);
    m_today = new QRadioButton(QStringLiteral("今日"), this);
    m_today->setObjectName(QStringLiteral("ScheduleToday"));
    m_tomorrow = new QRadioButton(QStringLiteral("明日"), this);
    m_tomorrow->setObjectName(QStringLiteral("ScheduleTomorrow"));
    auto* days = new QHBoxLayout;
    days->addWidget(m_today);
    days->addWidget(m_tomorrow);
    days->addStretch();

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("時刻(&T):"), m_time);
    form->addRow(QStringLiteral("日:"), days);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &ScheduleDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void ScheduleDialog::propose(const QDateTime& now)
{
    const QDateTime proposed = nextWholeMinute(now);
    m_time->setTime(proposed.time());
    (proposed.date() == now.date() ? m_today : m_tomorrow)->setChecked(true);
}
