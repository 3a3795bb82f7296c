#pragma once

#include <QString>

#include <optional>

class QMimeData;

namespace tunara {

// The stream URL carried by pasted content: its UTF-8 plain text, trimmed,
// when that is a valid stream URL. Text that is not UTF-8, blank, or not a
// stream URL gives none.
std::optional<QString> streamURLFromPastedText(const QByteArray& utf8Bytes);
std::optional<QString> streamURLFromMimeData(const QMimeData* mimeData);

} // namespace tunara
