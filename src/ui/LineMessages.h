#pragma once

#include "LineControl.h"

#include <QObject>

class MessageBoxes;
class QWidget;

// The boxes the line asks for: no "OK" in time, a port that will not open, a device lost
// during the call, a modem that refuses voice mode. Each is shown while the line's operation
// waits for it to be closed.
class LineMessages : public QObject {
    Q_OBJECT
public:
    LineMessages(LineControl& line, MessageBoxes& boxes, QWidget* boxParent);

    // Hook asked for voice mode and the modem refuses it: whether to call without it.
    bool askPlainCall(LineControl::VoiceRefusal why);

private:
    void showReplyTimeout(const QString& modemAnswer);
    void showPortOpenFailure(const PortOpener::Failure& failure);
    void showDeviceFailure(const QString& devicePath, const QString& detail);
    void showVoiceCommandRefused(const QString& command);
    void show(const QString& title, const QString& text);

    MessageBoxes& m_boxes;
    QWidget* m_boxParent;
};
