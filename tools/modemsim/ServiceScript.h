#pragma once

#include <QList>
#include <QString>

#include <optional>

// What the booking service at the far end says and waits for, step by step: each step's prompt
// speaks after a pause, then the service waits for the step's digits before the next step.
// Read from a small line format (see FormatHelp), so tests can use short scripts.
struct ServiceScript {
    static constexpr int AnyDigits = -1;
    static constexpr int DefaultPauseMs = 500;
    static const char* const FormatHelp;

    struct Step {
        QString name;
        int promptMs = 0;
        int digits = AnyDigits; // AnyDigits: one tone command of any length
        int pauseMs = DefaultPauseMs;
    };

    // The reservation call of the README, prompts of the lengths a caller hears.
    static ServiceScript reservation();
    static QString reservationText();
    // Empty with *error set ("line 3: ...") when the text is not a script.
    static std::optional<ServiceScript> parse(const QString& text, QString* error);

    QList<Step> steps;
    // The reservation is accepted ("予約受付") once this many steps have their digits.
    int acceptedAfter = 0;
    bool hangsUp = false; // the service hangs up after the last step
};
