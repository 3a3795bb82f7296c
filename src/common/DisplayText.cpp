#include "DisplayText.h"

#include <QList>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace tunara {

namespace {

bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// Embeddings, overrides and isolates (LRE…RLO, LRI…PDI) make text show in
// another order than it was sent. The marks (LRM, RLM, ALM) and the joiners
// only steer their neighbours and stay.
bool isBidiControl(char32_t c)
{
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

bool isBreakOrSpace(char32_t c)
{
    return c == U'\t' || c == U'\n' || c == U'\r' || c == U'\v' || c == U'\f' || c == 0x85 || c == 0x2028
        || c == 0x2029 || QChar::isSpace(c);
}

QString cutAtGraphemes(const QString& text, qsizetype graphemes)
{
    if (text.size() <= graphemes)
        return text; // no more code units than allowed characters
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() >= 0) {
        if (++count < graphemes)
            continue;
        // Qt's finder breaks inside a surrogate pair after some signs (such
        // as U+0C3C): the cut goes before the pair then.
        const qsizetype at = finder.position();
        return text.left(at < text.size() && text.at(at).isLowSurrogate() ? at - 1 : at);
    }
    return text;
}

} // namespace

QString cleanDisplayText(const QString& text)
{
    QString cleaned;
    cleaned.reserve(text.size());
    bool pendingSpace = false;
    const QList<uint> codePoints = text.toUcs4();
    for (const char32_t c : codePoints) {
        if (isBreakOrSpace(c)) {
            pendingSpace = !cleaned.isEmpty();
            continue;
        }
        if (isControl(c) || isBidiControl(c))
            continue;
        if (pendingSpace)
            cleaned.append(QLatin1Char(' '));
        pendingSpace = false;
        // Not QString::fromUcs4, which drops a U+FEFF as a byte-order mark.
        cleaned.append(QChar::fromUcs4(c));
    }
    return cutAtGraphemes(cleaned, maxDisplayTextLength).trimmed();
}

QString joinIsolated(const QStringList& parts, const QString& separator)
{
    const bool rightToLeft = std::any_of(parts.begin(), parts.end(), [](const QString& part) {
        const auto characters = part.toUcs4(); // of uint before Qt 6.5
        return std::any_of(characters.begin(), characters.end(), [](auto c) {
            const QChar::Direction direction = QChar::direction(char32_t(c));
            return direction == QChar::DirR || direction == QChar::DirAL;
        });
    });
    if (!rightToLeft)
        return parts.join(separator);
    QStringList isolated;
    for (const QString& part : parts)
        isolated << u'\u2068' + part + u'\u2069';
    return isolated.join(separator);
}

} // namespace tunara
