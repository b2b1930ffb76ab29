#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// Code page 932 (Windows Shift-JIS) as glibc's iconv "CP932" defines it: 0x5C is "\",
// 0x8160 is U+FF5E. Reading is forgiving, writing is strict.
class Cp932Codec {
public:
    // Never fails: every byte that does not start a valid character becomes U+FFFD.
    static QString decode(QByteArrayView bytes);

    // Nothing when some character has no code in code page 932 (never a "?" in its place), or
    // has only a look-alike's code that would read back as another character (¥ -> "\\").
    static std::optional<QByteArray> encode(QStringView text);

    // The first character (a whole surrogate pair where there is one) that encode() cannot
    // write, or nothing when the whole text can be written.
    static std::optional<QString> firstUnencodable(QStringView text);

    // Bytes the character takes in a decoded file: 1 for ASCII, half-width katakana and
    // U+FFFD (which stands for one undecodable byte), 2 for everything else.
    static int byteLength(QChar c);
};
