#pragma once

#include "ReserveFormLayout.h"

#include <QMetaType>

// A control of the main window by its role, for the rows of test tables: a step's button, a
// key of the tone pad, or one of the fields and lists.
class ControlRole {
public:
    using Step = CallProcedure::Step;
    enum class Field {
        Number,
        Service,
        Member,
        Facility,
        Conditions,
        Date,
        TimeSlot,
        Purpose,
        FreeTones,
        SendFreeTones,
    };

    ControlRole() = default;
    ControlRole(Step step) : m_step(step) {}
    ControlRole(Field field) : m_field(field), m_isField(true) {}
    static ControlRole key(int keyIndex); // "0".."9", then "*" and "#"

    QWidget* in(const ReserveFormControls& ui) const;

private:
    Step m_step = Step::Hook;
    Field m_field = Field::Number;
    bool m_isField = false;
    int m_key = -1;
};

Q_DECLARE_METATYPE(ControlRole)
