#pragma once

#include "AutoRun.h"
#include "CallRecorder.h"
#include "RunStatus.h"
#include "ScheduledStart.h"
#include "Settings.h"

#include <QAction>
#include <QObject>

class LineControl;
class MessageBoxes;
class QMenuBar;
class QStatusBar;
class QWidget;

// The menu "自動": "自動実行" runs the typical call by itself, "発信予約" starts that run at a set
// time, "中止" (Escape while it runs) stops either. A run is paced by the service's prompts in
// voice mode, else by the user's own last complete call by hand, which this menu also records.
class AutoMenu : public QObject {
    Q_OBJECT
public:
    // How long a run in voice mode waits for a prompt to end before it hands over.
    static constexpr int StallMs = 30000;

    // What the menu needs of the window.
    class Host {
    public:
        virtual ~Host() = default;
        // Every field the run will send checked with the checks of its step, none empty; the
        // first refusal is shown in its box.
        virtual bool checkBeforeRun() = 0;
        virtual bool callsInVoiceMode() const = 0;
        virtual const Settings::StepPaces& recordedPaces() const = 0;
        virtual void keepRecordedPaces(const Settings::StepPaces& paces) = 0;
    };

    AutoMenu(Host& host, LineControl& line, const ReserveFormControls& controls,
             MessageBoxes& boxes, QStatusBar& bar, QWidget* window, int stallMs = StallMs);

    void addTo(QMenuBar& menuBar);
    // A run or a schedule starts only while no call and no check holds the port.
    void setLineFree(bool free);
    // A step pressed in the window: by the run's hand, or by the user's, which is recorded.
    void stepPressed(CallProcedure::Step step);
    // Before the program is left: true when nothing is scheduled or the user cancels it.
    bool mayLeave();
    // The program is left: the run and the schedule end, without a question.
    void leave();

private:
    void runNow();
    void schedule();
    void stop();
    void runEnded(AutoRun::End end, CallProcedure::Step next);
    void updateActions();

    Host& m_host;
    LineControl& m_line;
    MessageBoxes& m_boxes;
    QWidget* m_window;
    int m_stallMs;
    bool m_lineFree = false;
    AutoRun m_run;
    ScheduledStart m_start;
    CallRecorder m_recorder;
    RunStatus m_status;
    // Children of the window too, so that automation finds them by name.
    QAction m_runAction;
    QAction m_scheduleAction;
    QAction m_stopAction;
};
