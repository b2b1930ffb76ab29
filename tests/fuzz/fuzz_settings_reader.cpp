// libFuzzer target for the settings reader: any bytes must load without a fault, give
// values within their ranges, and what Tarvik would write back must read back the same.
#include "SettingsFile.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Settings loaded = SettingsFile::parse(QByteArrayView(data, qsizetype(size)));
    require(loaded.portIndex >= -1 && loaded.portIndex <= 3);
    require(loaded.dialModeIndex >= -1 && loaded.dialModeIndex <= 1);
    require(loaded.members.size() <= SettingsFile::MaxListEntries);
    require(loaded.facilities.size() <= SettingsFile::MaxListEntries);

    QByteArray written;
    if (SettingsFile::serialize(loaded, &written, nullptr)) {
        require(SettingsFile::parse(written) == loaded);
        QByteArray rewritten;
        require(SettingsFile::serialize(SettingsFile::parse(written), &rewritten, nullptr));
        require(rewritten == written);
    }
    return 0;
}
