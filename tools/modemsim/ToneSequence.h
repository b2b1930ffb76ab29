#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The argument of +VTS: elements separated by commas, each a DTMF digit played for the +VTD
// length, or as V.253 also allows {<digit>,<duration>} and [<freq1>,<freq2>,<duration>]
// (durations in 10 ms).
struct ToneSequence {
    struct Tone {
        char digit; // 0 for a [freq1,freq2,duration] tone
        int ms;
    };

    // Empty for an empty or malformed argument, or for a bracketed element when the length is
    // fixed.
    static std::optional<ToneSequence> parse(const QByteArray& argument, int digitMs,
                                             bool fixedLength);

    QString digits() const;
    int totalMs(int gapMs) const;

    QList<Tone> tones;
};
