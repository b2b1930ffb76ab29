#pragma once

#include "LineControl.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>

class QLabel;
class QStatusBar;

// Tells the user, in the status bar, where the call stands: the line state on the right, and
// beside it the step one key sends next; on the left what the modem is being waited for and
// how long is left, and after each command what was sent and what the modem answered. The
// texts name steps, never the tones, so a PIN never shows. During every wait the busy cursor
// is shown: the window still takes clicks then (HookOFF ends a running dial).
class CallStatus : public QObject {
    Q_OBJECT
public:
    CallStatus(LineControl& line, QStatusBar& bar, QObject* parent = nullptr);
    ~CallStatus() override;

    // Names the step whose send comes next, one name per tone string it sends
    // ("登録番号", "暗証番号"). Ignored while an operation runs: the senders refuse then.
    void nameStep(const QStringList& partNames);
    // Names the step that one key sends next ("次: 番号・暗証"); empty: none.
    void showNextStep(const QString& caption);

Q_SIGNALS:
    // Every text the status bar takes, for those who follow the call without looking.
    void lineStateShown(const QString& text);
    void activityShown(const QString& text);

private:
    void showLineState(LineControl::State state);
    void startWait(LineControl::Wait kind, int durationMs);
    void endWait();
    void showCountdown();
    void showAnswer(bool ok, const QString& modemAnswer);
    void forgetStepAfterOperation(bool busy);
    void showPairPart(int part);
    void showActivity(const QString& text);
    void setBusyCursor(bool shown);

    // What the running operation does, as it runs and once answered.
    struct Phrases {
        QString doing;
        QString done;
    };
    QString stepName() const;
    Phrases phrases() const;
    QString waitText(int seconds) const;

    LineControl& m_line;
    QLabel* m_activity;
    QLabel* m_nextStep;
    QLabel* m_lineState;
    QTimer m_countdown;
    QElapsedTimer m_waitClock;
    LineControl::Wait m_waitKind = LineControl::Wait::Reply;
    int m_waitMs = 0;
    bool m_busyCursor = false;
    QStringList m_stepParts;
    int m_part = 0;
};
