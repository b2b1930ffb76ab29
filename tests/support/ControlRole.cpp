#include "ControlRole.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

ControlRole ControlRole::key(int keyIndex)
{
    ControlRole role;
    role.m_key = keyIndex;
    return role;
}

QWidget* ControlRole::in(const ReserveFormControls& ui) const
{
    if (m_key >= 0)
        return ui.keyButtons[std::size_t(m_key)];
    if (!m_isField)
        return ui.button(m_step);
    switch (m_field) {
    case Field::Number:
        return ui.numberField;
    case Field::Service:
        return ui.serviceList;
    case Field::Member:
        return ui.memberList;
    case Field::Facility:
        return ui.facilityList;
    case Field::Conditions:
        return ui.conditionsField;
    case Field::Date:
        return ui.dateField;
    case Field::TimeSlot:
        return ui.timeSlotField;
    case Field::Purpose:
        return ui.purposeField;
    case Field::FreeTones:
        return ui.freeToneField;
    case Field::SendFreeTones:
        return ui.sendFreeToneButton;
    }
    return nullptr;
}
