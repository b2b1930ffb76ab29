#include "SettingsStore.h"

#include "SettingsFile.h"

SettingsStore::SettingsStore(Path path, AtomicFile::StepCheck beforeStep)
    : m_path(std::move(path)), m_beforeStep(std::move(beforeStep))
{
}

Settings SettingsStore::load() const
{
    return SettingsFile::load(path());
}

bool SettingsStore::save(const Settings& settings, QString* error) const
{
    return SettingsFile::save(path(), settings, error, m_beforeStep);
}
