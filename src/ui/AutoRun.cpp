#include "AutoRun.h"

#include <QPointer>
#include <QPushButton>

AutoRun::AutoRun(LineControl& line, const ReserveFormControls& controls, QObject* parent)
    : QObject(parent), m_line(line), m_controls(controls), m_path(CallProcedure::typicalPath())
{
    watchButtons();
    connect(&line, &LineControl::commandAnswered, this,
            [this](bool ok) { m_answered = m_answered || ok; });
    connect(&line, &LineControl::busyChanged, this, [this](bool busy) {
        if (busy && !m_pressing) // a tone typed on the keyboard
            finish(End::ByUser);
    });
    connect(&line, &LineControl::stateChanged, this, [this](LineControl::State state) {
        if (state == LineControl::State::Idle && !m_pressing) // HookOFF, or the device gone
            finish(End::ByUser);
    });
    for (const auto failure : {&LineControl::replyTimedOut, &LineControl::voiceCommandRefused})
        connect(&line, failure, this, [this] { finish(End::Failed); });
    connect(&line, &LineControl::deviceFailed, this, [this] { finish(End::Failed); });
}

// Any button of the call pressed by the user's hand takes the call over.
void AutoRun::watchButtons()
{
    for (QPushButton* button :
         m_controls.fieldButtons +
             QList<QPushButton*>{m_controls.button(Step::Hook), m_controls.button(Step::Dial),
                                 m_controls.button(Step::HookOff), m_controls.sendFreeToneButton})
        connect(button, &QPushButton::pressed, this, [this] {
            if (!m_pressing)
                finish(End::ByUser);
        });
}

void AutoRun::start(std::unique_ptr<RunPacing> pacing)
{
    if (isRunning())
        return;
    m_pacing = std::move(pacing);
    m_next = 0;
    connect(m_pacing.get(), &RunPacing::turn, this, &AutoRun::pressNext);
    connect(m_pacing.get(), &RunPacing::stalled, this, [this] { finish(End::Stalled); });
    pressNext();
}

void AutoRun::stop()
{
    finish(End::ByUser);
}

void AutoRun::pressNext()
{
    const Step step = m_path[m_next];
    Q_EMIT progressed(m_next, int(m_path.size()), step);
    m_answered = false;
    const QPointer<AutoRun> self(this);
    m_pressing = true;
    m_controls.button(step)->click(); // the whole step runs meanwhile, its waits included
    if (!self)
        return;
    m_pressing = false;
    if (!isRunning())
        return; // stopped during the step
    if (!tookPlace(step))
        return finish(End::Failed);
    if (++m_next == m_path.size())
        return finish(End::Finished);
    Q_EMIT progressed(m_next, int(m_path.size()), m_path[m_next]);
    m_pacing->awaitTurn(m_path[m_next]);
}

bool AutoRun::tookPlace(Step step) const
{
    switch (step) {
    case Step::Hook:
        return m_line.state() == LineControl::State::OffHook;
    case Step::Dial:
        return m_line.state() == LineControl::State::Dialled;
    default:
        return m_answered;
    }
}

void AutoRun::finish(End end)
{
    if (!isRunning())
        return;
    // The pacing may be the one reporting: it goes once its report is over.
    RunPacing* pacing = m_pacing.release();
    disconnect(pacing, nullptr, this, nullptr);
    pacing->cancel();
    pacing->deleteLater();
    const Step next = m_next < m_path.size() ? m_path[m_next] : CallProcedure::next(m_path.last());
    Q_EMIT ended(end, next);
}
