#pragma once

#include "MessageBoxes.h"

// Production message boxes on QMessageBox.
class QtMessageBoxes : public MessageBoxes {
public:
    Answer show(QWidget* parent, const QString& title, const QString& text,
                Buttons buttons) override;
};
