// Figures for the settings file: load and save of full registration lists with Japanese
// names, and the load of a 50 MB file of random bytes (time and peak memory).
#include "Cp932Codec.h"
#include "LargeFileProbe.h"
#include "SettingsFile.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

Settings fullSettings()
{
    Settings settings;
    settings.number = QStringLiteral("0312345678");
    settings.conditionsCode = QStringLiteral("1");
    settings.purposeCode = QStringLiteral("21");
    settings.date = QStringLiteral("15");
    settings.timeSlot = QStringLiteral("02");
    for (int n = 1; n <= SettingsFile::MaxListEntries; ++n) {
        settings.members << QStringLiteral("山田太郎%1号（表示ソフト能力） 12345678 0123").arg(n);
        settings.facilities << QStringLiteral("0101 01 市民体育館テニスコート第%1面").arg(n);
    }
    return settings;
}

// Median of `runs` timings, in microseconds.
double medianMicroseconds(int runs, const std::function<void()>& work)
{
    std::vector<qint64> nanoseconds;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        nanoseconds.push_back(timer.nsecsElapsed());
    }
    std::sort(nanoseconds.begin(), nanoseconds.end());
    return double(nanoseconds[nanoseconds.size() / 2]) / 1000.0;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tarvik.ini"));
    const Settings settings = fullSettings();
    if (!SettingsFile::save(path, settings, nullptr) || !(SettingsFile::load(path) == settings)) {
        std::fprintf(stderr, "round trip failed\n");
        return 1;
    }
    const double save =
        medianMicroseconds(201, [&] { SettingsFile::save(path, settings, nullptr); });
    QByteArray bytes;
    const double serialize =
        medianMicroseconds(201, [&] { SettingsFile::serialize(settings, &bytes, nullptr); });
    const double load = medianMicroseconds(201, [&] { SettingsFile::load(path); });
    std::printf("64 members + 64 facilities, %lld bytes:\n", qint64(QFile(path).size()));
    std::printf("  load      %8.1f us (median of 201)\n", load);
    std::printf("  serialize %8.1f us\n", serialize);
    std::printf("  save      %8.1f us (with fsync and rename)\n", save);

    constexpr qint64 Size = qint64(50) << 20;
    const QString garbage = dir.filePath(QStringLiteral("garbage.ini"));
    if (!LargeFileProbe::writeGarbage(garbage, Size))
        return 1;
    {
        QFile file(garbage);
        file.open(QIODevice::ReadOnly);
        const QByteArray raw = file.readAll();
        const double decode = medianMicroseconds(3, [&] { Cp932Codec::decode(raw); });
        const double parse = medianMicroseconds(3, [&] { SettingsFile::parse(raw); });
        std::printf("50 MB of random bytes:\n  decode    %8.1f ms\n"
                    "  parse     %8.1f ms (decode included)\n",
                    decode / 1000, parse / 1000);
    }

    LargeFileProbe::resetPeakResident();
    const long before = LargeFileProbe::statusKilobytes("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    SettingsFile::load(garbage);
    const qint64 elapsed = timer.elapsed();
    const long peak = LargeFileProbe::statusKilobytes("VmHWM:");
    std::printf("  load      %8lld ms, peak resident grew by %ld kB (%.2f x the file)\n", elapsed,
                peak - before, double(peak - before) * 1024 / double(Size));
    return 0;
}
