#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

class LineControl;
class MessageBoxes;
class QWidget;

// The reservation field buttons: each composes its tone string(s) from what the window
// holds at the click and plays them into the call, after the character check that fits the
// field. A rejected text is told in a box and not sent. A click while another operation is
// still talking to the modem is refused with a beep, so it can neither steal that
// operation's "OK" nor abort a dial that is still running.
class FieldSenders {
public:
    // Told the step of each send before it starts: one name per tone string it sends, so
    // that a display can say what went out without showing the tones.
    using StepNamer = std::function<void(const QStringList& partNames)>;

    FieldSenders(LineControl& line, MessageBoxes& boxes, QWidget* boxParent);

    void setStepNamer(StepNamer nameStep);

    // True when every character is one of "0123456789*#-"; otherwise shows why and is false.
    bool checkToneString(const QString& text) const;
    // Checks that every character is a digit and sends the text when it is; otherwise shows
    // why and sends nothing. For the numeric fields, checking and sending are one step.
    void checkDigits(const QString& text);

    void sendKey(int keyIndex);                   // "0".."9", "*", "#"
    void sendAnswer(bool yes);                    // "1" or "0"
    void sendService(const QString& serviceLine); // its service number
    void sendTimeSlot(const QString& timeSlot);
    // A digit field (conditions, date, purpose) under the name of its step.
    void sendField(const QString& step, const QString& digits);
    // The selected line of the member or facility list; nothing when none is selected.
    void sendMember(const std::optional<QString>& entry);
    void sendFacility(const std::optional<QString>& entry);
    void sendFreeString(const QString& text);

private:
    using TonePair = std::pair<QString, QString>;

    // True when every character is a digit; otherwise shows why and is false. Sends nothing.
    bool passesDigitCheck(const QString& text) const;
    bool lineIsFree() const;
    void send(const QString& tones);
    void sendPair(const TonePair& pair);
    void sendSelected(const std::optional<QString>& entry, TonePair (*split)(const QString&),
                      const QStringList& partNames, const QString& whenNone);
    void nameStep(const QStringList& partNames) const;
    void tell(const QString& title, const QString& text) const;

    LineControl& m_line;
    MessageBoxes& m_boxes;
    QWidget* m_boxParent;
    StepNamer m_nameStep;
};
