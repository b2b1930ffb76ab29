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
    };

    // Which device of Settings::portDevices a key holds.
    struct PortDevice {
        int port;
    };
    using Member = std::variant<int Settings::*, QString Settings::*, PortDevice>;

    struct Scalar {
        QString section;
        QString key;
        Kind kind;
        Member member;
        QString label; // names the value when it cannot be stored
        int lastIndex = 0;
    };

    static const QList<Scalar>& scalars();

    // The value as the file writes it, and the value read back into its member.
    static QString text(const Settings& settings, const Scalar& scalar);
    static void setText(Settings& settings, const Scalar& scalar, const QString& text);
    static int index(const Settings& settings, const Scalar& scalar);
    static void setIndex(Settings& settings, const Scalar& scalar, int index);
};
