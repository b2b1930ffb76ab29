#pragma once

#include "Settings.h"

#include <QList>
#include <QString>

#include <variant>

// Every value of the settings file: the section and key that keep it, the member of Settings
// that holds it and how it is written. Reading, writing and comparing walk this one table, in
// its order, which is the order of the file.
class SettingsKeys {
public:
    enum class Kind {
        Index,       // an index into a fixed list, 0..lastIndex; -1 (none) for anything else
        Text,        // written also when empty
        TextIfSet,   // written only when not empty, so that a file without it stays as it was
        FlagIfSet,   // "1" written only when set; any other number, or none, reads as not set
        NumberIfSet, // written only when known; a number below 0 reads as not known
        List,        // numbered keys "001".."0064" of a section of its own
    };

    // Which device of Settings::portDevices a key holds.
    struct PortDevice {
        int port;
    };
    // Which step of Settings::recordedPaces a key holds.
    struct RecordedPace {
        CallProcedure::Step step;
    };
    using Member = std::variant<int Settings::*, QString Settings::*, bool Settings::*,
                                QStringList Settings::*, PortDevice, RecordedPace>;

    struct Key {
        QString section;
        QString name; // empty for a list, whose keys are numbers
        Kind kind;
        Member member;
        QString label; // names the value when it cannot be stored
        int lastIndex = 0;
    };

    static const QList<Key>& all();

    // A single value as the file writes it; empty for an ...IfSet value that is not set.
    static QString text(const Settings& settings, const Key& key);
    static void setText(Settings& settings, const Key& key, const QString& text);
    // Index, FlagIfSet and NumberIfSet values are read as numbers.
    static void setNumber(Settings& settings, const Key& key, int number);
    static const QStringList& list(const Settings& settings, const Key& key);
    static void setList(Settings& settings, const Key& key, const QStringList& entries);
};
