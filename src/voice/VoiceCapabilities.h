#pragma once

#include "VoiceFormat.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Reads what a voice modem offers (its answers to AT+VSM=? and AT+VLS=?) and picks what Tarvik
// can use. Modems word these answers loosely: "," or ";" between fields, quotes or none, a
// "+VSM: " prefix, trailing fields left out. A line that is no entry (the echo, "OK", garbage)
// is skipped.
class VoiceCapabilities {
public:
    struct RateRange {
        int lowest;
        int highest;
    };

    // One compression method of the +VSM=? answer.
    struct Method {
        int number = 0;
        QString name;
        int bitsPerSample = 0;
        QList<RateRange> rates;

        bool supportsRate(int rate) const;
    };

    static QList<Method> parseMethods(const QStringList& answerLines);
    // The coding of a method Tarvik can decode, from its name; none for ADPCM, CELP and the like.
    static std::optional<SampleEncoding> encodingOf(const Method& method);
    // The best usable format: signed PCM, unsigned PCM, mu-law, A-law, each at 8000 samples/s
    // before 7200 and 11025 (which the decoder resamples); none when nothing fits.
    static std::optional<VoiceFormat> choose(const QList<Method>& methods);

    // The +VLS label that connects the telephone line alone (primitives exactly "T"). Its
    // meaning is fixed, its number is not: 1 on most chipsets, but not on all.
    static std::optional<int> telephoneLineSetting(const QStringList& answerLines);
};
