#include "Settings.h"

#include "SettingsKeys.h"

bool operator==(const Settings& a, const Settings& b)
{
    for (const SettingsKeys::Scalar& scalar : SettingsKeys::scalars()) {
        if (SettingsKeys::text(a, scalar) != SettingsKeys::text(b, scalar))
            return false;
    }
    return a.members == b.members && a.facilities == b.facilities;
}
