#include "LineButtonStates.h"

LineButtonStates LineButtonStates::forState(LineControl::State state)
{
    using State = LineControl::State;
    switch (state) {
    case State::Idle:
        return {true, false, false, false};
    case State::OffHook:
        return {false, true, true, false};
    case State::Dialling:
        // HookOFF may end a dial that the service never answers.
        return {false, false, true, false};
    case State::Dialled:
        return {false, false, true, true};
    case State::Hooking:
    case State::HangingUp:
        break;
    }
    return {};
}
