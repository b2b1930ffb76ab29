#include "LinearResampler.h"

LinearResampler::LinearResampler(int inputRate, int outputRate)
    : m_inputRate(inputRate), m_outputRate(outputRate)
{
}

void LinearResampler::process(const QList<qint16>& input, QList<qint16>& output)
{
    const qsizetype available = input.size() + (m_held ? 1 : 0);
    if (available == 0)
        return;
    output.reserve(output.size() + input.size() * m_outputRate / m_inputRate + 1);
    while (m_position / m_outputRate + 1 < available) {
        const qsizetype index = m_position / m_outputRate;
        const qint64 fraction = m_position % m_outputRate;
        const qint64 from = inputAt(input, index);
        const qint64 to = inputAt(input, index + 1);
        output.append(qint16(from + (to - from) * fraction / m_outputRate));
        m_position += m_inputRate;
    }
    m_position -= (available - 1) * m_outputRate;
    m_held = inputAt(input, available - 1);
}

qint16 LinearResampler::inputAt(const QList<qint16>& input, qsizetype index) const
{
    if (!m_held)
        return input[index];
    return index == 0 ? *m_held : input[index - 1];
}
