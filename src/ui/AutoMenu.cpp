#include "AutoMenu.h"

#include "LineControl.h"
#include "MessageBoxes.h"
#include "PromptPacing.h"
#include "RecordedPacing.h"
#include "ScheduleDialog.h"

#include <QMenuBar>

namespace {

const QString RunTitle = QStringLiteral("自動実行");

} // namespace

AutoMenu::AutoMenu(Host& host, LineControl& line, const ReserveFormControls& controls,
                   MessageBoxes& boxes, QStatusBar& bar, QWidget* window, int stallMs)
    : m_host(host), m_line(line), m_boxes(boxes), m_window(window), m_stallMs(stallMs),
      m_run(line, controls), m_recorder(line), m_status(controls, bar),
      m_runAction(QStringLiteral("自動実行(&R)"), window),
      m_scheduleAction(QStringLiteral("発信予約(&T)..."), window),
      m_stopAction(QStringLiteral("中止(&S)"), window)
{
    m_runAction.setObjectName(QStringLiteral("MenuAutoRun"));
    m_runAction.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    m_scheduleAction.setObjectName(QStringLiteral("MenuSchedule"));
    m_stopAction.setObjectName(QStringLiteral("MenuStop"));
    connect(&m_runAction, &QAction::triggered, this, &AutoMenu::runNow);
    connect(&m_scheduleAction, &QAction::triggered, this, &AutoMenu::schedule);
    connect(&m_stopAction, &QAction::triggered, this, &AutoMenu::stop);
    connect(&m_start, &ScheduledStart::started, this, &AutoMenu::runNow);
    connect(&m_start, &ScheduledStart::countdownChanged, &m_status, &RunStatus::showCountdown);
    connect(&m_start, &ScheduledStart::cancelled, this, &AutoMenu::updateActions);
    connect(&m_run, &AutoRun::progressed, &m_status, &RunStatus::showProgress);
    connect(&m_run, &AutoRun::ended, this, &AutoMenu::runEnded);
    connect(&m_recorder, &CallRecorder::recorded, this, [this](const Settings::StepPaces& paces) {
        m_host.keepRecordedPaces(paces);
        updateActions();
    });
}

void AutoMenu::addTo(QMenuBar& menuBar)
{
    QMenu* menu = menuBar.addMenu(QStringLiteral("自動(&A)"));
    menu->setObjectName(QStringLiteral("autoMenu"));
    menu->setToolTipsVisible(true); // why 自動実行 cannot be chosen yet
    menu->addAction(&m_runAction);
    menu->addAction(&m_scheduleAction);
    menu->addAction(&m_stopAction);
    updateActions();
}

void AutoMenu::setLineFree(bool free)
{
    m_lineFree = free;
    updateActions();
}

void AutoMenu::stepPressed(CallProcedure::Step step)
{
    if (!m_run.isPressing())
        m_recorder.stepPressed(step);
}

bool AutoMenu::mayLeave()
{
    return m_start.mayLeave(m_boxes, m_window);
}

void AutoMenu::leave()
{
    m_start.cancel();
    m_run.stop();
}

// Started from the menu, or at the time scheduled: when the port is free and every field the
// run sends passes its check, so that a run never stops half-way for a typo.
void AutoMenu::runNow()
{
    if (!m_lineFree || m_run.isRunning()) {
        m_boxes.show(m_window, RunTitle,
                     QStringLiteral("回線かポートを使用中のため、自動実行を始められません。"),
                     MessageBoxes::Buttons::Ok);
        return;
    }
    if (!m_host.checkBeforeRun())
        return;
    std::unique_ptr<RunPacing> pacing;
    if (m_host.callsInVoiceMode())
        pacing = std::make_unique<PromptPacing>(m_line, m_stallMs);
    else
        pacing = std::make_unique<RecordedPacing>(m_host.recordedPaces());
    m_stopAction.setShortcut(QKeySequence(Qt::Key_Escape));
    m_run.start(std::move(pacing));
    updateActions();
}

void AutoMenu::schedule()
{
    if (const auto at = ScheduleDialog::ask(m_boxes, &QDateTime::currentDateTime, m_window)) {
        m_start.schedule(*at);
        updateActions();
    }
}

void AutoMenu::stop()
{
    if (m_run.isRunning())
        m_run.stop();
    else
        m_start.cancel();
}

void AutoMenu::runEnded(AutoRun::End end, CallProcedure::Step next)
{
    m_stopAction.setShortcut(QKeySequence());
    m_status.showEnd(end, next);
    updateActions();
}

void AutoMenu::updateActions()
{
    const bool runs = m_run.isRunning();
    const bool paced =
        m_host.callsInVoiceMode() || RecordedPacing::isComplete(m_host.recordedPaces());
    m_runAction.setEnabled(m_lineFree && !runs && paced);
    m_runAction.setToolTip(paced ? QString() : QStringLiteral("一度手動で予約すると使えます"));
    m_scheduleAction.setEnabled(m_lineFree && !runs && paced);
    m_stopAction.setEnabled(runs || m_start.isScheduled());
}
