#pragma once

#include "ScheduledStart.h"

#include <QDialog>

#include <optional>

class MessageBoxes;
class QRadioButton;
class QTimeEdit;

// "発信予約": the time of day the automatic run starts, today or tomorrow. A time already past
// is refused with a box and the dialog stays open; only OK on a time to come hands it back.
class ScheduleDialog : public QDialog {
    Q_OBJECT
public:
    // clock: the wall clock the time is compared with, and what "今日" means.
    ScheduleDialog(MessageBoxes& boxes, ScheduledStart::WallClock clock, QWidget* parent = nullptr);

    // Shows the dialog modally: the time chosen, or nothing when the user cancelled.
    static std::optional<QDateTime> ask(MessageBoxes& boxes, ScheduledStart::WallClock clock,
                                        QWidget* parent);

    // Set once OK has accepted a time.
    std::optional<QDateTime> chosen() const { return m_chosen; }

    void accept() override;

private:
    void buildLayout();
    void propose(const QDateTime& now);

    MessageBoxes& m_boxes;
    ScheduledStart::WallClock m_clock;
    QTimeEdit* m_time = nullptr;
    QRadioButton* m_today = nullptr;
    QRadioButton* m_tomorrow = nullptr;
    std::optional<QDateTime> m_chosen;
};
