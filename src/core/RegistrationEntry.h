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

    enum class Kind { Member, Facility };

    static constexpr Limits MemberLimits{-32, 8, 4};   // name, registration number, PIN
    static constexpr Limits FacilityLimits{4, 2, -32}; // facility code, breakdown code, name

    static constexpr Limits limitsOf(Kind kind)
    {
        return kind == Kind::Member ? MemberLimits : FacilityLimits;
    }

    // The two codes a call sends of an entry, each as one tone string.
    struct ToneParts {
        QString first;  // registration number, or facility code
        QString second; // PIN, or breakdown code
    };

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

    // By position, as calls have always read them: of a member line the first 8 and the last 4
    // of its last 13 characters, of a facility line the first 4 and the last 2 of its first 7.
    // A line shorter than that gives what is there (the two parts may overlap).
    static ToneParts toneParts(Kind kind, const QString& line);
};
