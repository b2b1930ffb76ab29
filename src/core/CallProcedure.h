#pragma once

#include <QList>

#include <cstddef>
#include <optional>

// The reservation service's procedure, as the main window's flow chart draws it: the step
// the service asks for once a step has been sent. Nothing here enforces an order; the window
// only uses it to offer the step that comes next, and draws the loops back as arrows.
//
// Adding a step: give it a value in Step and a row in the procedure table (CallProcedure.cpp),
// give it a button row in ReserveFormLayout's table, and give it a sender in FieldSenders' table.
// Everything else (enabling, focus, keys, arrows) follows from these three.
class CallProcedure {
public:
    // In the order of a call; each "No" right after the "Yes" of its confirmation point.
    enum class Step {
        Hook,
        Dial,
        Service,
        FirstYes,
        FirstNo,
        Member,
        Facility,
        Conditions,
        SecondYes,
        SecondNo,
        Date,
        TimeSlot,
        Purpose,
        ThirdYes,
        ThirdNo,
        NextReservation,
        OtherService,
        HookOff,
    };
    static constexpr std::size_t StepCount = std::size_t(Step::HookOff) + 1;

    static Step next(Step finished);
    // The call as it goes when every answer is yes: from Hook along next() to the first step
    // that goes back (次予約), which is not part of it.
    static QList<Step> typicalPath();
    // An English name of the step, without blanks ("FirstYes"), for files and traces.
    static const char* name(Step step);
    // The service's menu goes back from this step to an earlier one (a "No", 次予約, 他ｻｰﾋﾞｽ):
    // a loop of the call, drawn as an arrow back to next(step).
    static bool loopsBack(Step step);
    // Where the service asks yes or no, the "No" that goes with the given "Yes"; 次予約 and
    // 他ｻｰﾋﾞｽ are such a pair too. None for every other step.
    static std::optional<Step> noAnswerFor(Step yes);
};
