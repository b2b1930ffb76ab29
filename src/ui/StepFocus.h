#pragma once

#include "CallProcedure.h"
#include "LineControl.h"
#include "ReserveFormLayout.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <functional>
#include <optional>

class CallStatus;
class FieldSenders;
class QKeyEvent;
class QPushButton;
class QWidget;

// Lets a call be run from the keyboard. Once a step has been sent, the keyboard focus moves to
// the step the service asks for next, which a frame marks and the status bar names. On the
// window's buttons Return, Enter and Space press the focused button, N answers "No" at a
// confirmation point, and during a call the tone keys play single tones as the tone pad does.
// Nothing is enforced: every button stays clickable, and a click moves the focus as its key.
class StepFocus : public QObject {
    Q_OBJECT
public:
    StepFocus(const ReserveFormControls& controls, LineControl& line, FieldSenders& senders,
              CallStatus& status);
    ~StepFocus() override;

    // Every way a call ends comes here, once the window has enabled the buttons of the state:
    // HookOFF, also when it ends the wait of another step, and the modem going away. A new
    // call starts at Hook, and so does the window.
    void followLineState(LineControl::State state);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Step = CallProcedure::Step;

    void watchButtons();
    void watch(QPushButton* button, const QString& toolTip);
    std::function<void()> actionFor(QPushButton* button, const QKeyEvent& key);

    void startOperation();
    void finishOperation();
    QPushButton* destinationAfter(QPushButton* finished) const;
    void moveFocusTo(QPushButton* button);
    void showFocusedStep();

    QPushButton* buttonOf(Step step) const { return m_controls.button(step); }
    std::optional<Step> stepOf(const QPushButton* button) const;

    ReserveFormControls m_controls;
    LineControl& m_line;
    FieldSenders& m_senders;
    CallStatus& m_status;
    QWidget* m_window;
    QWidget* m_highlight;
    // The button pressed last: the operation that starts next is its click's.
    QPointer<QPushButton> m_pressed;
    // The button whose operation runs; null for a tone typed on the keyboard.
    QPointer<QPushButton> m_running;
    bool m_commandAnswered = false;
    // Where the focus stays as long as the user does not move it during the operation.
    QPointer<QWidget> m_focusLeftAlone;
    // Where the tone pad hands the focus back to.
    QPointer<QPushButton> m_lastStep;
};
