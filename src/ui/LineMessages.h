#pragma once

#include <QObject>

class LineControl;
class MessageBoxes;
class QWidget;

// The boxes the line asks for: no "OK" in time, a port that will not open, a device lost
// during the call. Each is shown while the line's operation waits for it to be closed.
class LineMessages : public QObject {
    Q_OBJECT
public:
    LineMessages(LineControl& line, MessageBoxes& boxes, QWidget* parent);

private:
    void showReplyTimeout(const QString& modemAnswer);
    void showPortOpenFailure(const QString& deviceName, const QString& reason);
    void showDeviceFailure(const QString& deviceName, const QString& detail);
    void show(const QString& title, const QString& text);

    MessageBoxes& m_boxes;
    QWidget* m_parent;
};
