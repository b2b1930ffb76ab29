#pragma once

#include "LineControl.h"

#include <QObject>

class QLabel;
class QProgressBar;
class QStatusBar;
class QToolButton;
class VoiceReceiver;

// The status bar's part for a call in voice mode: whether the service is speaking ("案内中…") or
// waits for tones ("入力待ち"), a level meter of the line, a mute toggle, and "音声出力なし" when
// no sound device plays the call (the call and the meter go on all the same). Shown from the
// first receive of a call to its end.
class VoiceStatus : public QObject {
    Q_OBJECT
public:
    VoiceStatus(LineControl& line, VoiceReceiver& voice, QStatusBar& bar,
                QObject* parent = nullptr);

private:
    void showReceiving(bool playing);
    void showLevel(double dbfs);
    void followLine(LineControl::State state);
    void showPrompt(const QString& text);

    QLabel* m_prompt;
    QProgressBar* m_level;
    QToolButton* m_mute;
    QLabel* m_noSound;
};
