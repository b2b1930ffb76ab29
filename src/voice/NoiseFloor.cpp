#include "NoiseFloor.h"

#include <algorithm>

void NoiseFloor::update(double frameDb)
{
    if (!m_known) {
        m_level = frameDb;
        m_known = true;
    } else if (frameDb < m_level) {
        m_level += (frameDb - m_level) * FallShare;
    }
    remember(frameDb);
    double lowest = 0;
    if (recentFramesAreSteady(lowest))
        m_level = lowest;
}

void NoiseFloor::reset()
{
    m_recentCount = 0;
    m_next = 0;
    m_known = false;
}

void NoiseFloor::remember(double frameDb)
{
    m_recent[size_t(m_next)] = frameDb;
    m_next = (m_next + 1) % SteadyFrames;
    m_recentCount = std::min(m_recentCount + 1, SteadyFrames);
}

bool NoiseFloor::recentFramesAreSteady(double& lowest) const
{
    if (m_recentCount < SteadyFrames)
        return false;
    const auto [low, high] = std::minmax_element(m_recent.begin(), m_recent.end());
    lowest = *low;
    return *high - *low < SteadySpreadDb;
}
