#include "RecordedPacing.h"

RecordedPacing::RecordedPacing(const Settings::StepPaces& paces, QObject* parent)
    : RunPacing(parent), m_paces(paces)
{
    m_wait.setSingleShot(true);
    m_wait.setTimerType(Qt::PreciseTimer);
    connect(&m_wait, &QTimer::timeout, this, &RunPacing::turn);
}

bool RecordedPacing::isComplete(const Settings::StepPaces& paces)
{
    const QList<Step> path = CallProcedure::typicalPath();
    return std::all_of(path.begin() + 1, path.end(),
                       [&paces](Step step) { return paces[std::size_t(step)].has_value(); });
}

void RecordedPacing::awaitTurn(Step next)
{
    const int recordedMs = m_paces[std::size_t(next)].value_or(0);
    m_wait.start(recordedMs + recordedMs * MarginPercent / 100);
}

void RecordedPacing::cancel()
{
    m_wait.stop();
}
