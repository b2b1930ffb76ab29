#pragma once

#include "RegistrationEntry.h"
#include "RegistrationLists.h"

#include <QDialog>

#include <array>

class MessageBoxes;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The modal editor of the member or the facility list. The editor works on a copy taken each
// time it is shown; "登録" hands the copy back, every other way of closing discards it (after a
// question when it was changed).
class Parameter : public QDialog {
    Q_OBJECT
public:
    using Kind = RegistrationEntry::Kind;

    // Titled "メンバー追加" or "施設追加" by the list it edits.
    Parameter(Kind kind, RegistrationLists& lists, MessageBoxes& boxes, QWidget* parent = nullptr);
    ~Parameter() override;

    // Every way of closing ends here (close button, close box, Escape, "登録"), so the
    // question about unapplied changes is asked in one place and may keep the window open.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void placeControls();
    void chainTabOrder();
    void connectControls();
    void loadCopy();
    void add();
    void removeSelected();
    void loadLowestSelected();
    void apply();
    bool mayClose();
    RegistrationEntry::Fields fieldTexts() const;
    QStringList listItems() const;

    const Kind m_kind;
    const RegistrationEntry::Limits m_fieldLimits;
    RegistrationLists& m_lists;
    MessageBoxes& m_boxes;
    QListWidget* m_entryList = nullptr;
    QPushButton* m_addButton = nullptr;
    QPushButton* m_closeButton = nullptr;
    QPushButton* m_removeButton = nullptr;
    QPushButton* m_applyButton = nullptr;
    std::array<QLineEdit*, 3> m_fields{};
    std::array<QLabel*, 3> m_fieldLabels{};
    bool m_listChanged = false;
};
