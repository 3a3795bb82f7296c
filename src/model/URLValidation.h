#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace tunara {

// What is wrong with a stream URL the user entered. The message is the text
// shown to the user.
enum class URLValidationError {
    invalidFormat,
    invalidScheme,
    missingHost,
};

QString rawValue(URLValidationError error);
std::optional<URLValidationError> urlValidationErrorFromRawValue(const QString& rawValue);

// Accepts an http or https URL with a host; otherwise names the one thing
// wrong with it. The empty text is accepted (callers reject it earlier).
// The text is not trimmed here.
std::optional<URLValidationError> validateStreamURL(const QString& text);

// The URL parser shared by validation and the library file.
std::optional<QUrl> parseURL(const QString& text);

} // namespace tunara
