// Any UTF-16, lone surrogates included: cleaned text is valid UTF-16 with
// no controls and no reordering bidi controls, is at most
// maxDisplayTextLength characters, and is clean already.

#include "Fuzz.h"

#include "common/DisplayText.h"

#include <QTextBoundaryFinder>

using namespace tunara;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString cleaned = cleanDisplayText(QString(reinterpret_cast<const QChar*>(data), qsizetype(size / 2)));
    for (const char32_t c : cleaned.toUcs4())
        fuzz::check(c >= 0x20 && !(c >= 0x7F && c <= 0x9F) && !(c >= 0x202A && c <= 0x202E) && !(c >= 0x2066 && c <= 0x2069));
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, cleaned);
    qsizetype count = 0;
    while (graphemes.toNextBoundary() >= 0)
        ++count;
    fuzz::check(count <= maxDisplayTextLength && cleaned.isValidUtf16() && cleanDisplayText(cleaned) == cleaned);
    return 0;
}
