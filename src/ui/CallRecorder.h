#pragma once

#include "LineControl.h"
#include "Settings.h"

#include <QElapsedTimer>
#include <QObject>

// Records how long the user waits before each step of a call made by hand: from the end of the
// step before to the press of this one. Only a call that goes through the whole typical call,
// in order, gives a recording; one that leaves it (a "No", a tone key, a step again) gives none.
class CallRecorder : public QObject {
    Q_OBJECT
public:
    using Step = CallProcedure::Step;

    explicit CallRecorder(LineControl& line, QObject* parent = nullptr);

    // A step pressed by the user's own hand.
    void stepPressed(Step step);

Q_SIGNALS:
    // The typical call went through whole: the waits before each of its steps after Hook.
    void recorded(const Settings::StepPaces& paces);

private:
    void operationStarted();
    void operationEnded();
    void forget();

    QElapsedTimer m_clock; // monotonic
    const QList<Step> m_path;
    LineControl& m_line;
    int m_next = 0; // the index in m_path of the step the call expects next
    bool m_pressed = false;
    qint64 m_lastEndMs = 0;
    Settings::StepPaces m_paces{};
};
