#pragma once

#include "PortOpener.h"

#include <QObject>

class LineControl;
class MessageBoxes;
class QWidget;

// The boxes the line asks for: no "OK" in time, a port that will not open, a device lost
// during the call. Each is shown while the line's operation waits for it to be closed.
class LineMessages : public QObject {
    Q_OBJECT
public:
    LineMessages(LineControl& line, MessageBoxes& boxes, QWidget* boxParent);

private:
    void showReplyTimeout(const QString& modemAnswer);
    void showPortOpenFailure(const PortOpener::Failure& failure);
    void showDeviceFailure(const QString& devicePath, const QString& detail);
    void show(const QString& title, const QString& text);

    MessageBoxes& m_boxes;
    QWidget* m_boxParent;
};
