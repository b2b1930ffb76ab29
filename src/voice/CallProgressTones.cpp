#include "CallProgressTones.h"

#include "VoiceFormat.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace {

constexpr double Pi = 3.14159265358979323846;

constexpr std::array<int, 7> ToneFrequencies{350, 400, 425, 440, 450, 480, 620};
// The dual tones, as places in ToneFrequencies: 350+440, 440+480, 480+620.
constexpr std::array<std::pair<size_t, size_t>, 3> DualTones{{{0, 3}, {3, 5}, {5, 6}}};

// The squared magnitude of the frame's spectrum at frequency (Goertzel).
double powerAt(const qint16* frame, int count, int frequency)
{
    const double coefficient = 2.0 * std::cos(2.0 * Pi * frequency / DecodedSampleRate);
    double previous = 0;
    double beforePrevious = 0;
    for (int i = 0; i < count; ++i) {
        const double current = frame[i] + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    return previous * previous + beforePrevious * beforePrevious -
           coefficient * previous * beforePrevious;
}

} // namespace

double CallProgressTones::energyShare(const qint16* frame, int count)
{
    double energy = 0;
    for (int i = 0; i < count; ++i)
        energy += double(frame[i]) * frame[i];
    if (energy <= 0)
        return 0;
    // A pure tone of amplitude A gives power (count * A / 2)^2 and energy count * A^2 / 2.
    const double scale = 2.0 / (double(count) * energy);
    std::array<double, ToneFrequencies.size()> shares{};
    for (size_t i = 0; i < ToneFrequencies.size(); ++i)
        shares[i] = powerAt(frame, count, ToneFrequencies[i]) * scale;
    double largest = *std::max_element(shares.begin(), shares.end());
    for (const auto& [first, second] : DualTones)
        largest = std::max(largest, shares[first] + shares[second]);
    return largest;
}
