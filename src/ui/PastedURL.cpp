#include "PastedURL.h"

#include "model/URLValidation.h"

#include <QMimeData>
#include <QStringDecoder>

namespace tunara {

std::optional<QString> streamURLFromPastedText(const QByteArray& utf8Bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(utf8Bytes);
    if (decoder.hasError())
        return std::nullopt;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || validateStreamURL(trimmed))
        return std::nullopt;
    return trimmed;
}

std::optional<QString> streamURLFromMimeData(const QMimeData* mimeData)
{
    if (!mimeData)
        return std::nullopt;
    // Only the first plain-text representation is read. X11 and Wayland
    // offer UTF-8 text under both names.
    for (const QString& format : {QStringLiteral("text/plain;charset=utf-8"), QStringLiteral("text/plain")}) {
        if (mimeData->hasFormat(format))
            return streamURLFromPastedText(mimeData->data(format));
    }
    return std::nullopt;
}

} // namespace tunara
