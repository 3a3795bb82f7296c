#include "TitleText.h"

#include <algorithm>
#include <array>

namespace tunara::gst {

namespace {

// Windows-1252 bytes 0x80..0x9F; 0 where the charset defines none.
constexpr std::array<char16_t, 32> windows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// Windows-1251 bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order.
constexpr std::array<char16_t, 64> windows1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0,      0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

bool isAsciiLetter(unsigned char byte)
{
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

// A byte that is a Cyrillic letter in Windows-1251.
bool isCyrillicLetter(unsigned char byte)
{
    if (byte >= 0xC0)
        return true;
    switch (byte) {
    case 0xA1: case 0xA2: case 0xA8: case 0xAA: case 0xAF: case 0xB2: case 0xB3: case 0xB8: case 0xBA: case 0xBF:
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<QByteArray> westernFallbackBytes(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    bool hasHighBytes = false;
    for (const QChar character : text) {
        const char16_t unit = character.unicode();
        if (unit < 0x100) {
            bytes.append(char(unit));
            hasHighBytes = hasHighBytes || unit >= 0x80;
            continue;
        }
        const auto* found = std::find(windows1252High.begin(), windows1252High.end(), unit);
        if (found == windows1252High.end())
            return std::nullopt;
        bytes.append(char(0x80 + (found - windows1252High.begin())));
        hasHighBytes = true;
    }
    if (!hasHighBytes)
        return std::nullopt;
    return bytes;
}

bool looksLikeWindows1251(const QByteArray& bytes)
{
    // A Cyrillic word read as Windows-1252 is a run of accented Latin
    // letters; Western words mix accented letters with plain ones.
    int cyrillicWords = 0;
    int westernWords = 0;
    int length = 0;
    bool hasPlain = false;
    bool hasHigh = false;
    auto endWord = [&] {
        if (hasHigh && hasPlain)
            ++westernWords;
        else if (hasHigh && length >= 2)
            ++cyrillicWords;
        length = 0;
        hasPlain = hasHigh = false;
    };
    for (const char signedByte : bytes) {
        const auto byte = static_cast<unsigned char>(signedByte);
        if (isAsciiLetter(byte)) {
            hasPlain = true;
            ++length;
        } else if (isCyrillicLetter(byte)) {
            hasHigh = true;
            ++length;
        } else {
            endWord();
        }
    }
    endWord();
    return cyrillicWords > westernWords;
}

QString decodeWindows1251(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char signedByte : bytes) {
        const auto byte = static_cast<unsigned char>(signedByte);
        if (byte < 0x80)
            text.append(QChar(byte));
        else if (byte >= 0xC0)
            text.append(QChar(char16_t(0x0410 + (byte - 0xC0))));
        else if (const char16_t unit = windows1251High[byte - 0x80]; unit != 0)
            text.append(QChar(unit));
        else
            text.append(QChar(QChar::ReplacementCharacter));
    }
    return text;
}

QString decodeWindows1252(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char signedByte : bytes) {
        const auto byte = static_cast<unsigned char>(signedByte);
        const char16_t unit = byte >= 0x80 && byte < 0xA0 ? windows1252High[byte - 0x80] : char16_t(byte);
        text.append(unit != 0 ? QChar(unit) : QChar(QChar::ReplacementCharacter));
    }
    return text;
}

QString repairTitleText(const QString& text)
{
    const auto bytes = westernFallbackBytes(text);
    if (!bytes)
        return text;
    return looksLikeWindows1251(*bytes) ? decodeWindows1251(*bytes) : decodeWindows1252(*bytes);
}

} // namespace tunara::gst
