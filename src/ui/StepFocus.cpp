#include "StepFocus.h"

#include "CallStatus.h"
#include "FieldSenders.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

#include <algorithm>
#include <utility>

namespace {

using Step = CallProcedure::Step;

constexpr int HighlightWidth = 3; // pixels around the step button

const QString PressKeys = QStringLiteral("キー: Enter・Space");

// The tone pad's key index ("0".."9", "*", "#") of a key, if it is one.
std::optional<int> toneKeyIndex(int key)
{
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return key - Qt::Key_0;
    if (key == Qt::Key_Asterisk)
        return 10;
    if (key == Qt::Key_NumberSign)
        return 11;
    return std::nullopt;
}

bool pressesButton(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Behind the focused step, so that the button itself keeps the look of the style.
QWidget* createHighlight(QWidget* panel)
{
    auto* frame = new QWidget(panel);
    frame->setObjectName(QStringLiteral("StepHighlight"));
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    frame->setBackgroundRole(QPalette::Highlight);
    frame->setAutoFillBackground(true);
    frame->hide();
    return frame;
}

} // namespace

StepFocus::StepFocus(const ReserveFormControls& controls, LineControl& line, FieldSenders& senders,
                     CallStatus& status)
    : m_controls(controls), m_line(line), m_senders(senders), m_status(status),
      m_window(buttonOf(Step::Hook)->window()),
      m_highlight(createHighlight(buttonOf(Step::Hook)->parentWidget()))
{
    watchButtons();
    connect(&line, &LineControl::busyChanged, this,
            [this](bool busy) { busy ? startOperation() : finishOperation(); });
    connect(&line, &LineControl::commandAnswered, this, [this] { m_commandAnswered = true; });
    connect(qApp, &QApplication::focusChanged, this, &StepFocus::showFocusedStep);
}

StepFocus::~StepFocus() = default;

void StepFocus::watchButtons()
{
    for (QPushButton* step : m_controls.stepButtons) {
        const std::optional<Step> no = CallProcedure::noAnswerFor(*stepOf(step));
        watch(step,
              no ? QStringLiteral("%1、%2 は N").arg(PressKeys, buttonOf(*no)->text()) : PressKeys);
    }
    for (QPushButton* key : m_controls.keyButtons)
        watch(key, QStringLiteral("%1（通話中は %2 キーでも）").arg(PressKeys, key->text()));
    watch(m_controls.sendFreeToneButton, PressKeys);
}

void StepFocus::watch(QPushButton* button, const QString& toolTip)
{
    button->setToolTip(toolTip);
    button->installEventFilter(this);
    connect(button, &QPushButton::pressed, this, [this, button] { m_pressed = button; });
}

// ---- keys -----------------------------------------------------------------------------------

bool StepFocus::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto& key = static_cast<const QKeyEvent&>(*event);
    const std::function<void()> action = actionFor(static_cast<QPushButton*>(watched), key);
    if (!action)
        return false;
    // Held down, a key would repeat its step: only the first press counts.
    if (!key.isAutoRepeat())
        action();
    return true;
}

std::function<void()> StepFocus::actionFor(QPushButton* button, const QKeyEvent& key)
{
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return {};
    if (pressesButton(key.key()))
        return [button] { button->click(); };
    const std::optional<Step> step = stepOf(button);
    const std::optional<Step> no = step ? CallProcedure::noAnswerFor(*step) : std::nullopt;
    if (key.key() == Qt::Key_N && no)
        return [noButton = buttonOf(*no)] { noButton->click(); };
    const std::optional<int> tone = toneKeyIndex(key.key());
    if (!tone || m_line.state() != LineControl::State::Dialled)
        return {};
    // No button was pressed: the focus stays where the tone was typed.
    return [this, tone] {
        m_pressed = nullptr;
        m_senders.sendKey(*tone);
    };
}

// ---- following the line ---------------------------------------------------------------------

// The line takes its new state before it turns busy: a button that its own operation disables
// has handed the focus on already, and where it went counts as left alone.
void StepFocus::startOperation()
{
    m_running = std::exchange(m_pressed, nullptr);
    m_commandAnswered = false;
    m_focusLeftAlone = m_window->focusWidget();
    showFocusedStep();
}

// A step counts as sent once the modem was sent anything, also when its "OK" did not come;
// an operation that sent nothing (every part refused by its check) leaves the focus.
void StepFocus::finishOperation()
{
    QPushButton* finished = std::exchange(m_running, nullptr);
    // Not taken from where the user put it meanwhile: into a field to type, or onto a button
    // that was refused.
    if (finished && m_commandAnswered && m_window->focusWidget() == m_focusLeftAlone)
        moveFocusTo(destinationAfter(finished));
    showFocusedStep();
}

void StepFocus::followLineState(LineControl::State state)
{
    if (state == LineControl::State::Idle)
        moveFocusTo(buttonOf(Step::Hook));
    showFocusedStep();
}

QPushButton* StepFocus::destinationAfter(QPushButton* finished) const
{
    const std::optional<Step> step = stepOf(finished);
    return step ? buttonOf(CallProcedure::next(*step)) : m_lastStep.data();
}

void StepFocus::moveFocusTo(QPushButton* button)
{
    if (button && button->isEnabled())
        button->setFocus(Qt::OtherFocusReason);
    showFocusedStep();
}

void StepFocus::showFocusedStep()
{
    auto* focused = qobject_cast<QPushButton*>(m_window->focusWidget());
    QPushButton* step = stepOf(focused) ? focused : nullptr;
    if (step) {
        m_lastStep = step;
        m_highlight->setGeometry(step->geometry().adjusted(-HighlightWidth, -HighlightWidth,
                                                           HighlightWidth, HighlightWidth));
        m_highlight->stackUnder(step);
    }
    m_highlight->setVisible(step != nullptr);
    m_status.showNextStep(step && !m_line.isBusy() ? step->text() : QString());
}

std::optional<CallProcedure::Step> StepFocus::stepOf(const QPushButton* button) const
{
    const auto& buttons = m_controls.stepButtons;
    const auto found = std::find(buttons.begin(), buttons.end(), button);
    if (!button || found == buttons.end())
        return std::nullopt;
    return Step(found - buttons.begin());
}
