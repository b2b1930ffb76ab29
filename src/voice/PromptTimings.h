#pragma once

// The lengths that decide when the service's voice prompt has started and ended, in
// milliseconds of audio. Tuned here, in the code, not in the settings file.
struct PromptTimings {
    int speechMs = 300;        // above the noise floor this long: speaking
    int silenceMs = 700;       // back at the floor this long: the prompt has ended
    int tooLongMs = 60000;     // still speaking after this long: reported once
    int levelIntervalMs = 100; // how often the level for the meter is reported
};
