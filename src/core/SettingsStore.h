#pragma once

#include "AtomicFile.h"
#include "Settings.h"

#include <functional>

// Where the settings live: the file at the path asked anew at every load and save (the current
// directory's "Tarvik.ini" in the program), replaced in one step by each save.
class SettingsStore {
public:
    using Path = std::function<QString()>;

    // beforeStep as for AtomicFile::write(); the program passes none.
    explicit SettingsStore(Path path, AtomicFile::StepCheck beforeStep = {});

    QString path() const { return m_path(); }
    Settings load() const;
    // False, with the reason in Japanese in *error, when the file was left as it was.
    bool save(const Settings& settings, QString* error) const;

private:
    Path m_path;
    AtomicFile::StepCheck m_beforeStep;
};
