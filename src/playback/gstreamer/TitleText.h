#pragma once

// Stream titles often arrive in a legacy single-byte charset. GStreamer
// takes UTF-8 as sent and otherwise falls back to a Western charset, so a
// Windows-1251 (Cyrillic) title comes out as Latin mojibake. repairTitleText
// recovers the bytes of such a fallback and decodes them as Windows-1251 or
// Windows-1252, whichever the text looks like.

#include <QByteArray>
#include <QString>

#include <optional>

namespace tunara::gst {

QString repairTitleText(const QString& text);

// The bytes a Western single-byte fallback decoding of text started from,
// or none when text cannot be such a decoding.
std::optional<QByteArray> westernFallbackBytes(const QString& text);

// True when bytes read as Windows-1251 make Cyrillic words rather than
// Western words with accented letters.
bool looksLikeWindows1251(const QByteArray& bytes);

QString decodeWindows1251(const QByteArray& bytes);
QString decodeWindows1252(const QByteArray& bytes);

} // namespace tunara::gst
