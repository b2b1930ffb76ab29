#pragma once

#include <QString>

class QWidget;

// The one way the program shows a message box. Windows receive a MessageBoxes&
// so that tests can answer every box from a script and assert its exact wording.
class MessageBoxes {
public:
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~MessageBoxes() = default;

    // Modal, no icon, the first button is the default. A CR LF in the text starts a
    // new line. Escape and the close box answer Cancel where the set has one.
    virtual Answer show(QWidget* parent, const QString& title, const QString& text,
                        Buttons buttons) = 0;
};
