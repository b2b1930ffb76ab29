#include "CallProcedure.h"

#include <array>

namespace {

using Step = CallProcedure::Step;

enum class Path {
    Ahead, // down the flow chart
    Back,  // a loop of the service's menu back up the flow chart
    Anew,  // the call is over; the next one starts from the top
};

struct Transition {
    Step finished;
    Step next;
    Path path;
    const char* name;
};

// One row per step, in the order of Step. A "No" goes back to where the service's menu
// returns: to the service choice at the first point, to the facility at the later ones.
constexpr std::array<Transition, CallProcedure::StepCount> Procedure = {{
    {Step::Hook, Step::Dial, Path::Ahead, "Hook"},
    {Step::Dial, Step::Service, Path::Ahead, "Dial"},
    {Step::Service, Step::FirstYes, Path::Ahead, "Service"},
    {Step::FirstYes, Step::Member, Path::Ahead, "FirstYes"},
    {Step::FirstNo, Step::Service, Path::Back, "FirstNo"},
    {Step::Member, Step::Facility, Path::Ahead, "Member"},
    {Step::Facility, Step::Conditions, Path::Ahead, "Facility"},
    {Step::Conditions, Step::SecondYes, Path::Ahead, "Conditions"},
    {Step::SecondYes, Step::Date, Path::Ahead, "SecondYes"},
    {Step::SecondNo, Step::Facility, Path::Back, "SecondNo"},
    {Step::Date, Step::TimeSlot, Path::Ahead, "Date"},
    {Step::TimeSlot, Step::Purpose, Path::Ahead, "TimeSlot"},
    {Step::Purpose, Step::ThirdYes, Path::Ahead, "Purpose"},
    {Step::ThirdYes, Step::NextReservation, Path::Ahead, "ThirdYes"},
    {Step::ThirdNo, Step::Facility, Path::Back, "ThirdNo"},
    {Step::NextReservation, Step::Facility, Path::Back, "NextReservation"},
    {Step::OtherService, Step::Service, Path::Back, "OtherService"},
    {Step::HookOff, Step::Hook, Path::Anew, "HookOff"},
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

QList<CallProcedure::Step> CallProcedure::typicalPath()
{
    QList<Step> path{Step::Hook};
    while (Procedure[std::size_t(path.last())].path == Path::Ahead)
        path << next(path.last());
    path.removeLast();
    return path;
}

const char* CallProcedure::name(Step step)
{
    return Procedure[std::size_t(step)].name;
}

bool CallProcedure::loopsBack(Step step)
{
    return Procedure[std::size_t(step)].path == Path::Back;
}

std::optional<CallProcedure::Step> CallProcedure::noAnswerFor(Step yes)
{
    for (const Answers& point : ConfirmationPoints) {
        if (point.yes == yes)
            return point.no;
    }
    return std::nullopt;
}
