#include "Cp932Codec.h"

#include <array>
#include <cerrno>
#include <iconv.h>
#include <memory>
#include <vector>

namespace {

constexpr char16_t NoCharacter = 0xFFFF; // not a character of code page 932
constexpr char16_t LeadByte = 0xFFFE;    // starts a two-byte character
constexpr char16_t Replacement = 0xFFFD;

class Iconv {
public:
    Iconv(const char* to, const char* from) : m_handle(iconv_open(to, from)) {}
    ~Iconv()
    {
        if (valid())
            iconv_close(m_handle);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool valid() const { return m_handle != reinterpret_cast<iconv_t>(-1); }

    // Converts from the initial state as far as it can; false when iconv stopped at input
    // it refused (errno says why: EILSEQ invalid, EINVAL incomplete).
    bool convert(const char* input, std::size_t inputSize, char* output, std::size_t outputSize,
                 std::size_t* consumed, std::size_t* produced)
    {
        iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input);
        char* out = output;
        std::size_t inLeft = inputSize;
        std::size_t outLeft = outputSize;
        const std::size_t result = iconv(m_handle, &in, &inLeft, &out, &outLeft);
        *consumed = inputSize - inLeft;
        *produced = outputSize - outLeft;
        return result != std::size_t(-1);
    }

private:
    iconv_t m_handle;
};

// iconv's answer for every one- and two-byte sequence, asked once. Decoding a file then
// costs a table look-up per character, also for a large file full of invalid bytes, where
// calling iconv again after each bad byte would be slow.
class DecodeTable {
public:
    DecodeTable() : m_pairs(std::size_t(256) * 256, NoCharacter)
    {
        m_single.fill(NoCharacter);
        Iconv toUtf16("UTF-16LE", "CP932");
        if (!toUtf16.valid())
            return;
        for (int first = 0; first < 256; ++first) {
            const char single[1] = {char(first)};
            m_single[std::size_t(first)] = decodeOne(toUtf16, single, 1);
            if (m_single[std::size_t(first)] == NoCharacter && errno == EINVAL)
                fillLead(toUtf16, first);
        }
    }

    // The character, LeadByte or NoCharacter.
    char16_t single(unsigned char byte) const { return m_single[byte]; }
    char16_t pair(unsigned char lead, unsigned char trail) const
    {
        return m_pairs[std::size_t(lead) << 8 | trail];
    }

private:
    void fillLead(Iconv& toUtf16, int lead)
    {
        m_single[std::size_t(lead)] = LeadByte;
        for (int trail = 0; trail < 256; ++trail) {
            const char pair[2] = {char(lead), char(trail)};
            m_pairs[std::size_t(lead) << 8 | std::size_t(trail)] = decodeOne(toUtf16, pair, 2);
        }
    }

    // The one UTF-16 code unit the whole sequence decodes to, else NoCharacter (errno set
    // by iconv: EINVAL for an incomplete sequence).
    static char16_t decodeOne(Iconv& toUtf16, const char* bytes, std::size_t size)
    {
        char output[8];
        std::size_t consumed = 0;
        std::size_t produced = 0;
        errno = 0;
        const bool ok = toUtf16.convert(bytes, size, output, sizeof output, &consumed, &produced);
        if (!ok || consumed != size || produced != 2)
            return NoCharacter;
        return char16_t(static_cast<unsigned char>(output[0]) |
                        static_cast<unsigned char>(output[1]) << 8);
    }

    std::array<char16_t, 256> m_single;
    std::vector<char16_t> m_pairs;
};

const DecodeTable& decodeTable()
{
    static const DecodeTable table;
    return table;
}

// iconv writes a few look-alikes one way (¥ as 0x5C, which reads back as "\\", U+301C as
// 0x8160, which reads back as U+FF5E). Saving them would change the text behind the user's
// back, so they count as unencodable. Every character decodes to exactly one code unit, so
// the two texts line up index by index.
qsizetype firstChangedOnReading(QStringView text, const QByteArray& bytes)
{
    const QString readBack = Cp932Codec::decode(bytes);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i >= readBack.size() || readBack[i] != text[i])
            return i;
    }
    return -1;
}

struct Encoding {
    QByteArray bytes;
    qsizetype failedAt = -1; // UTF-16 index of the first character iconv refused
};

Encoding encodeWithIconv(QStringView text)
{
    // Opening a converter costs more than converting a settings value; keep one per thread.
    thread_local Iconv toCp932("CP932", "UTF-16LE");
    Encoding result;
    if (!toCp932.valid()) {
        result.failedAt = 0;
        return result;
    }
    // At most two bytes per UTF-16 code unit; a surrogate pair never encodes.
    result.bytes.resize(text.size() * 2);
    std::size_t consumed = 0;
    std::size_t produced = 0;
    const bool ok = toCp932.convert(reinterpret_cast<const char*>(text.utf16()),
                                    std::size_t(text.size()) * 2, result.bytes.data(),
                                    std::size_t(result.bytes.size()), &consumed, &produced);
    result.bytes.resize(qsizetype(produced));
    if (!ok)
        result.failedAt = qsizetype(consumed / 2);
    else
        result.failedAt = firstChangedOnReading(text, result.bytes);
    return result;
}

} // namespace

QString Cp932Codec::decode(QByteArrayView bytes)
{
    const DecodeTable& table = decodeTable();
    QString text(bytes.size(), Qt::Uninitialized);
    auto* out = reinterpret_cast<char16_t*>(text.data());
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = in + bytes.size();
    while (in < end) {
        const char16_t single = table.single(*in);
        if (single < LeadByte) {
            *out++ = single;
            ++in;
            continue;
        }
        const char16_t pair =
            single == LeadByte && in + 1 < end ? table.pair(in[0], in[1]) : NoCharacter;
        *out++ = pair == NoCharacter ? Replacement : pair;
        in += pair == NoCharacter ? 1 : 2;
    }
    text.truncate(out - reinterpret_cast<const char16_t*>(text.constData()));
    return text;
}

std::optional<QByteArray> Cp932Codec::encode(QStringView text)
{
    Encoding encoding = encodeWithIconv(text);
    if (encoding.failedAt >= 0)
        return std::nullopt;
    return std::move(encoding.bytes);
}

std::optional<QString> Cp932Codec::firstUnencodable(QStringView text)
{
    const qsizetype at = encodeWithIconv(text).failedAt;
    if (at < 0)
        return std::nullopt;
    const bool pair =
        at + 1 < text.size() && text[at].isHighSurrogate() && text[at + 1].isLowSurrogate();
    return text.mid(at, pair ? 2 : 1).toString();
}

int Cp932Codec::byteLength(QChar c)
{
    const char16_t u = c.unicode();
    const bool singleByte = u < 0x80 || (u >= 0xFF61 && u <= 0xFF9F) || u == Replacement;
    return singleByte ? 1 : 2;
}
