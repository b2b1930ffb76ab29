#pragma once

#include <QString>

#include <array>
#include <optional>

// One line of the member or facility list, and the rules for composing, checking and
// splitting it. Field limits: positive n = exactly n digits; negative -n = free text of
// at most n characters (UTF-16 code units).
class RegistrationEntry {
public:
    using Fields = std::array<QString, 3>;
    using Limits = std::array<int, 3>;

    static constexpr Limits MemberLimits{-32, 8, 4};   // name, registration number, PIN
    static constexpr Limits FacilityLimits{4, 2, -32}; // facility code, breakdown code, name

    struct Failure {
        int field;       // index of the first failing field (0..2)
        QString message; // e.g. "長さが違います"
    };

    static QString compose(const Fields& fields);

    // The first failing rule, or nothing when the entry may join a list that already holds
    // entriesAlreadyInList entries. A full list (the file gives back 64 entries) fails first,
    // at field 0, since no field can fix it; then each field in index order, where a free-text
    // field that code page 932 cannot encode fails too (it could not be saved); last a member
    // name that begins with "Stop" (blanks before it included), which would end the list at
    // the next load, at the name field.
    static std::optional<Failure> checkAddition(const Fields& fields, const Limits& limits,
                                                int entriesAlreadyInList);

    // By position alone; never fails, also for lines shorter than the format allows: a
    // field whose positions lie partly or wholly before the start of the line, or beyond
    // its end, keeps the characters that are there.
    static Fields split(const QString& line, const Limits& limits);
};
