#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

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
    struct TonePair {
        QString first;
        QString second;
    };

    // Told the step of each send before it starts: one name per tone string it sends, so
    // that a display can say what went out without showing the tones.
    using StepNamer = std::function<void(const QStringList& partNames)>;

    FieldSenders(LineControl& line, MessageBoxes& boxes, QWidget* boxParent);

    void setStepNamer(StepNamer nameStep);

    // True when every character is one of "0123456789*#-"; otherwise shows why and is false.
    bool checkToneString(const QString& text) const;
    // True when every character is a digit; otherwise shows why and is false.
    bool acceptDigits(const QString& text) const;
    // acceptDigits, then sends the text when it passed.
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

    static QString keyTones(int keyIndex);
    static QString serviceTones(const QString& serviceLine);
    static QString timeSlotTones(const QString& timeSlot);
    // Registration number and PIN: the first 8 and the last 4 of the line's last 13 characters.
    static TonePair memberTones(const QString& entry);
    // Facility and breakdown code: the first 4 and the last 2 of the line's first 7 characters.
    static TonePair facilityTones(const QString& entry);

private:
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
