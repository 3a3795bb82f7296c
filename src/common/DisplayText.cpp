#include "DisplayText.h"

#include <QList>
#include <QTextBoundaryFinder>

namespace tunara {

namespace {

bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
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
        if (++count == graphemes)
            return text.left(finder.position());
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
        if (isControl(c))
            continue;
        if (pendingSpace)
            cleaned.append(QLatin1Char(' '));
        pendingSpace = false;
        cleaned.append(QString::fromUcs4(&c, 1));
    }
    return cutAtGraphemes(cleaned, maxDisplayTextLength).trimmed();
}

} // namespace tunara
