#include "CallRecorder.h"

CallRecorder::CallRecorder(LineControl& line, QObject* parent)
    : QObject(parent), m_path(CallProcedure::typicalPath()), m_line(line)
{
    m_clock.start();
    connect(&line, &LineControl::busyChanged, this,
            [this](bool busy) { busy ? operationStarted() : operationEnded(); });
}

void CallRecorder::stepPressed(Step step)
{
    if (m_line.isBusy())
        return; // refused by the line: nothing happens
    if (step == Step::Hook)
        forget();
    const bool expected = m_next < m_path.size() && m_path[m_next] == step;
    if (!expected)
        return forget();
    if (m_next > 0)
        m_paces[std::size_t(step)] = int(m_clock.elapsed() - m_lastEndMs);
    ++m_next;
    m_pressed = true;
}

// An operation no step of the call started: a tone key or the free string.
void CallRecorder::operationStarted()
{
    if (!m_pressed)
        forget();
}

void CallRecorder::operationEnded()
{
    if (!m_pressed)
        return;
    m_pressed = false;
    m_lastEndMs = m_clock.elapsed();
    if (m_next == m_path.size()) {
        Q_EMIT recorded(m_paces);
        forget();
    }
}

void CallRecorder::forget()
{
    m_next = 0;
    m_pressed = false;
    m_paces = {};
}
