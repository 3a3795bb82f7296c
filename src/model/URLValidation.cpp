#include "URLValidation.h"

#include <QCoreApplication>
#include <QUrl>

namespace tunara {

QString rawValue(URLValidationError error)
{
    switch (error) {
    case URLValidationError::invalidFormat: return QCoreApplication::translate("URLValidation", "Please enter a valid URL");
    case URLValidationError::invalidScheme: return QCoreApplication::translate("URLValidation", "URL must start with http:// or https://");
    case URLValidationError::missingHost: return QCoreApplication::translate("URLValidation", "URL must contain a valid host");
    }
    return {};
}

std::optional<URLValidationError> urlValidationErrorFromRawValue(const QString& text)
{
    for (auto error : {URLValidationError::invalidFormat, URLValidationError::invalidScheme,
                       URLValidationError::missingHost}) {
        if (rawValue(error) == text)
            return error;
    }
    return std::nullopt;
}

std::optional<QUrl> parseURL(const QString& text)
{
    // Tolerant mode percent-encodes characters that may not stand in a URL
    // instead of rejecting the whole text.
    QUrl url(text, QUrl::TolerantMode);
    if (text.isEmpty() || !url.isValid())
        return std::nullopt;
    // As read back from the text it is stored as, so that it equals itself
    // after a restart ("#a#b" is stored and read back as "#a%23b").
    return QUrl(url.toString(QUrl::FullyEncoded), QUrl::TolerantMode);
}

std::optional<URLValidationError> validateStreamURL(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    const std::optional<QUrl> url = parseURL(text);
    if (!url)
        return URLValidationError::invalidFormat;
    const QString scheme = url->scheme().toLower();
    if (scheme.isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return URLValidationError::invalidScheme;
    if (url->host().isEmpty())
        return URLValidationError::missingHost;
    return std::nullopt;
}

} // namespace tunara
