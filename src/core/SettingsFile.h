#pragma once

#include "AtomicFile.h"
#include "Settings.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The settings file "Tarvik.ini": an INI file in code page 932 in the current directory.
// Reading follows the operating-system profile reader the file was designed for
// (names matched without regard to case, first occurrence wins, values trimmed and cut
// to 254 bytes, lists ending at the first gap or at a value starting with "Stop").
class SettingsFile {
public:
    static constexpr int MaxListEntries = 64;

    // The path formed anew at each load and save: current directory + "Tarvik.ini".
    static QString pathInCurrentDirectory();

    // Never fails: a missing, unreadable or damaged file gives the defaults of what is missing.
    static Settings load(const QString& path);

    // Writes the whole file aside, syncs it and renames it over the old one (mode 0600).
    // On failure the old file is untouched, false is returned and *error gives the reason in
    // Japanese (which field cannot be stored, or which step of the replacement failed).
    // beforeStep as for AtomicFile::write().
    static bool save(const QString& path, const Settings& settings, QString* error,
                     const AtomicFile::StepCheck& beforeStep = {});

    // What load() and save() do with the file's bytes.
    static Settings parse(QByteArrayView contents);
    // False, with *error naming the field in Japanese, when a value cannot be stored.
    static bool serialize(const Settings& settings, QByteArray* contents, QString* error);
};
