#pragma once

#include <QDialog>

class MessageBoxes;
class RegistrationLists;

// The modal editor of the member or the facility list. The mode follows from the window
// title alone: "施設追加" edits the facilities, any other title the members.
class Parameter : public QDialog {
    Q_OBJECT
public:
    Parameter(RegistrationLists& lists, MessageBoxes& boxes, QWidget* parent = nullptr);
    ~Parameter() override;
};
