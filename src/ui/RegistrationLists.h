#pragma once

#include "RegistrationEntry.h"

#include <QStringList>

// What the registration editor needs of the main window: a copy of one of its two lists
// when it opens, and a way to hand the edited list back ("登録").
class RegistrationLists {
public:
    using Kind = RegistrationEntry::Kind;

    virtual ~RegistrationLists() = default;

    virtual QStringList registrationList(Kind kind) const = 0;
    // Replaces the list (which then has no selection) and marks the settings as changed.
    virtual void replaceRegistrationList(Kind kind, const QStringList& entries) = 0;
};
