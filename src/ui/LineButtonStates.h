#pragma once

#include "LineControl.h"

// Which line buttons, and whether the field buttons, can be used in a line state. While an
// operation opens, dials or hangs up, only what can safely interrupt it stays enabled.
struct LineButtonStates {
    bool hook = false;
    bool dial = false;
    bool hookOff = false;
    bool fields = false;

    static LineButtonStates forState(LineControl::State state);
};
