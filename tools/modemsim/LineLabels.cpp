#include "LineLabels.h"

namespace {

const QByteArray NoEvents = "B0804100,B0804100,B0804100";
const QByteArray LineEvents = "0B8433C1,0FE431C1,0B8431C1";
const QByteArray LocalPhoneEvents = "08800300,0CE00100,08800100";
const QByteArray SpeakerEvents = "00800300,04E00100,20800100";

} // namespace

LineLabels::LineLabels(int lineLabel)
    : m_configurations{{0, "", NoEvents},
                       {lineLabel, "T", LineEvents},
                       {2, "L", LocalPhoneEvents},
                       {3, "LT", LineEvents},
                       {4, "S", SpeakerEvents}}
{
    if (lineLabel == 1)
        m_configurations.append({5, "ST", LineEvents});
    else
        m_configurations.move(1, m_configurations.size() - 1);
}

QByteArrayList LineLabels::list() const
{
    QByteArrayList lines;
    for (const Configuration& configuration : m_configurations)
        lines << QByteArray::number(configuration.label) + ",\"" + configuration.primitives +
                     "\"," + configuration.events;
    return lines;
}

std::optional<bool> LineLabels::takesLineOffHook(int label) const
{
    for (const Configuration& configuration : m_configurations) {
        if (configuration.label == label)
            return configuration.primitives.contains('T');
    }
    return std::nullopt;
}
