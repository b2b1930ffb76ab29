#include "Settings.h"

#include "SettingsKeys.h"

bool operator==(const Settings& a, const Settings& b)
{
    for (const SettingsKeys::Key& key : SettingsKeys::all()) {
        if (key.kind == SettingsKeys::Kind::List
                ? SettingsKeys::list(a, key) != SettingsKeys::list(b, key)
                : SettingsKeys::text(a, key) != SettingsKeys::text(b, key))
            return false;
    }
    return true;
}
