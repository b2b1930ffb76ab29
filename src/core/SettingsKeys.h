#pragma once

#include "Settings.h"

#include <QList>
#include <QString>

#include <variant>

// Every single value of the settings file: the section and key that keep it, the member of
// Settings that holds it and how it is written. Reading, writing and comparing walk this one
// table, in its order, which is the order of the file. The two registration lists are numbered
// keys of sections of their own and are not in it.
class SettingsKeys {
public:
    enum class Kind {
        Index,     // an index into a fixed list, 0..lastIndex; -1 (none) for anything else
        Text,      // written also when empty
        TextIfSet, // written only when not empty, so that a file without it stays as it was
        FlagIfSet, // "1" written only when set; any other number, or none, reads as not set
    };

    // Which device of Settings::portDevices a key holds.
    struct PortDevice {
        int port;
    };
    using Member = std::variant<int Settings::*, QString Settings::*, bool Settings::*, PortDevice>;

    struct Scalar {
        QString section;
        QString key;
        Kind kind;
        Member member;
        QString label; // names the value when it cannot be stored
        int lastIndex = 0;
    };

    static const QList<Scalar>& scalars();

    // The value as the file writes it (empty for a flag not set), and a text read back into its
    // member.
    static QString text(const Settings& settings, const Scalar& scalar);
    static void setText(Settings& settings, const Scalar& scalar, const QString& text);
    // Index and FlagIfSet values are read as numbers.
    static void setNumber(Settings& settings, const Scalar& scalar, int number);
};
