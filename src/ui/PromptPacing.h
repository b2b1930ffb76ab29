#pragma once

#include "RunPacing.h"

#include <QTimer>

class LineControl;

// Paced by the service's prompts, as heard in voice mode: a step goes when the prompt that
// asks for it has ended, never while it speaks. What counts is a prompt that ended after the
// modem's last answer, with none started since: the greeting that ends during the dial's
// pause, but not the PIN's own prompt heard before the PIN went out. No prompt ending within
// stallMs of the step before: stalled.
class PromptPacing : public RunPacing {
    Q_OBJECT
public:
    PromptPacing(LineControl& line, int stallMs, QObject* parent = nullptr);

    void awaitTurn(Step next) override;
    void cancel() override;

private:
    void onPromptEnded();
    void giveTurn();

    QTimer m_stall;
    bool m_waiting = false;
    bool m_promptEnded = false; // since the modem last answered, and none started since
};
