#pragma once

#include <array>

// Follows the level of the line when nobody speaks, in dBFS, from one 20 ms frame after the
// other. It falls quickly with quieter frames. It rises only when the level has stayed
// steady for a while: speech rises and falls with every syllable, a line that became noisier
// (another exchange, a hum) stays where it is, and after 600 ms of that the floor moves up.
class NoiseFloor {
public:
    void update(double frameDb);
    bool isKnown() const { return m_known; }
    double level() const { return m_level; }
    void reset();

private:
    static constexpr int SteadyFrames = 30;
    // Frames of white noise spread about 3 dB over 30 frames; syllables far more.
    static constexpr double SteadySpreadDb = 4.0;
    static constexpr double FallShare = 0.25;

    void remember(double frameDb);
    bool recentFramesAreSteady(double& lowest) const;

    std::array<double, SteadyFrames> m_recent{};
    int m_recentCount = 0;
    int m_next = 0;
    double m_level = 0;
    bool m_known = false;
};
