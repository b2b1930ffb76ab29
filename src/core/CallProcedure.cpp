#include "CallProcedure.h"

#include <array>

namespace {

using Step = CallProcedure::Step;

struct Transition {
    Step finished;
    Step next;
};

// One row per step, in the order of Step. A "No" goes back to where the service's menu
// returns: to the service choice at the first point, to the facility at the later ones.
constexpr std::array<Transition, CallProcedure::StepCount> Procedure = {{
    {Step::Hook, Step::Dial},
    {Step::Dial, Step::Service},
    {Step::Service, Step::FirstYes},
    {Step::FirstYes, Step::Member},
    {Step::FirstNo, Step::Service},
    {Step::Member, Step::Facility},
    {Step::Facility, Step::Conditions},
    {Step::Conditions, Step::SecondYes},
    {Step::SecondYes, Step::Date},
    {Step::SecondNo, Step::Facility},
    {Step::Date, Step::TimeSlot},
    {Step::TimeSlot, Step::Purpose},
    {Step::Purpose, Step::ThirdYes},
    {Step::ThirdYes, Step::NextReservation},
    {Step::ThirdNo, Step::Facility},
    {Step::NextReservation, Step::Facility},
    {Step::OtherService, Step::Service},
    {Step::HookOff, Step::Hook},
}};

constexpr bool rowsFollowTheSteps()
{
    for (std::size_t i = 0; i < Procedure.size(); ++i) {
        if (Procedure[i].finished != Step(i))
            return false;
    }
    return true;
}
static_assert(rowsFollowTheSteps(), "one row per step, in the order of Step");

struct Answers {
    Step yes;
    Step no;
};

constexpr std::array<Answers, 4> ConfirmationPoints = {{
    {Step::FirstYes, Step::FirstNo},
    {Step::SecondYes, Step::SecondNo},
    {Step::ThirdYes, Step::ThirdNo},
    {Step::NextReservation, Step::OtherService},
}};

} // namespace

CallProcedure::Step CallProcedure::next(Step finished)
{
    return Procedure[std::size_t(finished)].next;
}

std::optional<CallProcedure::Step> CallProcedure::noAnswerFor(Step yes)
{
    for (const Answers& point : ConfirmationPoints) {
        if (point.yes == yes)
            return point.no;
    }
    return std::nullopt;
}
