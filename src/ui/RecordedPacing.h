#pragma once

#include "RunPacing.h"
#include "Settings.h"

#include <QTimer>

// Paced by the user's own last complete call by hand: before each step the run waits what the
// user waited then, and a fifth more, so that a service a little slower today is still heard
// out. Never stalls.
class RecordedPacing : public RunPacing {
    Q_OBJECT
public:
    // The share added to each recorded wait, in percent.
    static constexpr int MarginPercent = 20;

    explicit RecordedPacing(const Settings::StepPaces& paces, QObject* parent = nullptr);

    // Whether paces hold a wait for every step of the typical call after Hook.
    static bool isComplete(const Settings::StepPaces& paces);

    void awaitTurn(Step next) override;
    void cancel() override;

private:
    Settings::StepPaces m_paces;
    QTimer m_wait;
};
