#pragma once

#include "AutoRun.h"

#include <QObject>

class QLabel;
class QProgressBar;
class QStatusBar;

// The status bar's part for the automatic run: "自動実行中: 4/12 番号・暗証" (four steps done, the
// next one) with a progress bar while it runs, where it stopped and which step the user goes on
// with once it has, and the countdown to a scheduled start.
class RunStatus : public QObject {
    Q_OBJECT
public:
    RunStatus(const ReserveFormControls& controls, QStatusBar& bar, QObject* parent = nullptr);

    void showProgress(int done, int count, CallProcedure::Step next);
    void showEnd(AutoRun::End end, CallProcedure::Step next);
    // Empty: nothing scheduled.
    void showCountdown(const QString& text);

private:
    QString captionOf(CallProcedure::Step step) const;

    ReserveFormControls m_controls;
    QLabel* m_text;
    QProgressBar* m_progress;
};
