#pragma once

#include "CallProcedure.h"

#include <QObject>

// When an automatic run may press its next step. Two sources stand behind it: the end of the
// service's prompt, heard in voice mode, and the waits of the user's own last call by hand.
class RunPacing : public QObject {
    Q_OBJECT
public:
    using Step = CallProcedure::Step;

    using QObject::QObject;

    // The step before next has ended: turn() follows once next may be pressed, or stalled()
    // when that cannot be told in time. Replaces any wait still running.
    virtual void awaitTurn(Step next) = 0;
    virtual void cancel() = 0;

Q_SIGNALS:
    void turn();
    void stalled();
};
