#pragma once

#include "LineControl.h"
#include "ReserveFormLayout.h"
#include "RunPacing.h"

#include <QObject>

#include <memory>

// "自動実行": the typical call pressed step by step by itself, each press through the step's own
// button, as a key press takes it (the same bytes, waits and boxes), each when the pacing gives
// its turn. It stops with the call up and the focus on 次予約, for the user to hear the result
// and choose. The user stays in charge: a step button, a tone key, HookOFF or stop() ends the
// run at once, and so does a timeout box, a lost device or a step that sent nothing. A stopped
// run leaves the line as it is and presses nothing more.
class AutoRun : public QObject {
    Q_OBJECT
public:
    using Step = CallProcedure::Step;

    enum class End {
        Finished, // the whole typical call went out
        ByUser,   // the user took over
        Stalled,  // no prompt ended in time
        Failed,   // a step could not be sent, or the line failed
    };
    Q_ENUM(End)

    AutoRun(LineControl& line, const ReserveFormControls& controls, QObject* parent = nullptr);

    // Hook at once, every later step when pacing says.
    void start(std::unique_ptr<RunPacing> pacing);
    void stop();
    bool isRunning() const { return m_pacing != nullptr; }
    // A press of the run's own is under way.
    bool isPressing() const { return m_pressing; }

Q_SIGNALS:
    // Before each step is pressed, and again once it has ended: how many steps of the run are
    // done, how many it has, and the step pressed or waited for now.
    void progressed(int done, int count, CallProcedure::Step next);
    // next: the step the user goes on with.
    void ended(AutoRun::End end, CallProcedure::Step next);

private:
    void watchButtons();
    void pressNext();
    bool tookPlace(Step step) const;
    void finish(End end);

    LineControl& m_line;
    ReserveFormControls m_controls;
    const QList<Step> m_path;
    std::unique_ptr<RunPacing> m_pacing;
    int m_next = 0;
    bool m_pressing = false;
    bool m_answered = false; // the modem answered the step being pressed
};
