#pragma once

#include "CallProcedure.h"
#include "RegistrationEntry.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class LineControl;
class MessageBoxes;
class QWidget;

// What the window holds for the steps of a call at the moment a step is pressed.
struct CallFields {
    QString serviceLine;             // the service list's text: its first 3 characters go out
    std::optional<QString> member;   // the selected line of the member list
    std::optional<QString> facility; // the selected line of the facility list
    QString conditions;
    QString date;
    QString timeSlot; // its first 2 characters go out
    QString purpose;
};

// The steps that send into a call: each composes its tone string(s) from what the window holds
// at the click and plays them into the call, after the character check that fits the field. A
// rejected text is told in a box and not sent. A click while another operation is still talking
// to the modem is refused with a beep, so it can neither steal that operation's "OK" nor abort
// a dial that is still running.
class FieldSenders {
public:
    using Step = CallProcedure::Step;
    // Told the step of each send before it starts: one name per tone string it sends, so
    // that a display can say what went out without showing the tones.
    using StepNamer = std::function<void(const QStringList& partNames)>;

    FieldSenders(LineControl& line, MessageBoxes& boxes, QWidget* boxParent);

    void setStepNamer(StepNamer nameStep);

    void send(Step step, const CallFields& fields);
    void sendKey(int keyIndex); // "0".."9", "*", "#"
    void sendFreeString(const QString& text);

    // True when every character is one of "0123456789*#-"; otherwise shows why and is false.
    bool checkToneString(const QString& text) const;
    // Whether every step of the typical call would send all it should, none of it empty, the
    // number dialled included: checked before an automatic run dials. The first thing that could
    // not be sent is told in the box that sending it would show, or as empty.
    bool wouldSendTypicalCall(const QString& number, const CallFields& fields) const;

private:
    enum class Check { None, Digits };
    struct Sender {
        Step step;
        // The tone strings, one or a pair; nothing when the list entry is not selected.
        std::optional<QStringList> (*compose)(const CallFields& fields);
        Check check;
        QStringList partNames;
        QString noneSelected; // for an entry step: what to do
    };
    static const QList<Sender>& senders();
    static const Sender* senderOf(Step step);
    bool wouldSendAll(Step step, const CallFields& fields) const;
    void tellEmpty(const QString& name) const;

    // True when every character is a digit; otherwise shows why and is false. Sends nothing.
    bool passesDigitCheck(const QString& text) const;
    bool passes(Check check, const QString& tones) const;
    bool lineIsFree() const;
    void sendTones(const QString& tones);
    void nameStep(const QStringList& partNames) const;
    void tell(const QString& title, const QString& text) const;

    LineControl& m_line;
    MessageBoxes& m_boxes;
    QWidget* m_boxParent;
    StepNamer m_nameStep;
};
