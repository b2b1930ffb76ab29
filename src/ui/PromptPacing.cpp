#include "PromptPacing.h"

#include "LineControl.h"
#include "VoiceReceiver.h"

PromptPacing::PromptPacing(LineControl& line, int stallMs, QObject* parent) : RunPacing(parent)
{
    VoiceReceiver& voice = line.voice();
    m_stall.setSingleShot(true);
    m_stall.setTimerType(Qt::PreciseTimer);
    m_stall.setInterval(stallMs);
    connect(&m_stall, &QTimer::timeout, this, [this] {
        m_waiting = false;
        Q_EMIT stalled();
    });
    connect(&voice, &VoiceReceiver::promptStarted, this, [this] { m_promptEnded = false; });
    connect(&voice, &VoiceReceiver::promptEnded, this, &PromptPacing::onPromptEnded);
    // Tones went out: the prompt heard before them was answered.
    connect(&line, &LineControl::commandAnswered, this, [this] { m_promptEnded = false; });
}

void PromptPacing::awaitTurn(Step next)
{
    m_waiting = true;
    // The dial is no answer to a prompt: it follows Hook at once.
    if (next == Step::Dial || m_promptEnded)
        return giveTurn();
    m_stall.start();
}

void PromptPacing::cancel()
{
    m_waiting = false;
    m_stall.stop();
}

void PromptPacing::onPromptEnded()
{
    m_promptEnded = true;
    if (m_waiting)
        giveTurn();
}

// From the event loop, so that the step is not pressed inside the detector's report.
void PromptPacing::giveTurn()
{
    m_stall.stop();
    m_waiting = false;
    QMetaObject::invokeMethod(this, &RunPacing::turn, Qt::QueuedConnection);
}
