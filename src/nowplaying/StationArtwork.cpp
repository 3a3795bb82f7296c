#include "StationArtwork.h"

#include "DefaultSansFont.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <array>

namespace tunara::artwork {

namespace {

// The user-perceived characters (grapheme clusters) of a text.
QStringList graphemes(const QString& text)
{
    QStringList result;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (finder.toNextBoundary() != -1) {
        const qsizetype end = finder.position();
        if (end > start)
            result.append(text.mid(start, end - start));
        start = end;
    }
    return result;
}

// A character has a property when its first code point has it.
char32_t firstCodePoint(const QString& character)
{
    return character.isEmpty() ? U'\0' : character.toUcs4().value(0);
}

bool isLetter(const QString& character)
{
    const char32_t c = firstCodePoint(character);
    return QChar::isLetter(c) || QChar::category(c) == QChar::Number_Letter;
}

bool isNumber(const QString& character)
{
    return QChar::isNumber(firstCodePoint(character));
}

bool isUppercase(const QString& character)
{
    return QChar::isUpper(firstCodePoint(character));
}

bool isWhitespace(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

bool isAllUppercase(const QString& text)
{
    return text == text.toUpper();
}

bool isIgnoredWord(const QString& word)
{
    static const std::array<QString, 3> ignoredWords{QStringLiteral("the"), QStringLiteral("and"),
                                                     QStringLiteral("&")};
    const QString lower = word.toLower();
    return std::find(ignoredWords.begin(), ignoredWords.end(), lower) != ignoredWords.end();
}

// Draws a line with its measured box's top-left corner at (x, top).
void drawLine(QPainter& painter, const QString& line, const QFont& font, const QColor& color, double x, double top)
{
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(QPointF(x, top + QFontMetricsF(font).ascent()), line);
}

} // namespace

QFont initialsFont(int pixelSize, QFont::Weight weight)
{
    // The artwork draws in two weights; each family is asked for once.
    static const QString boldFamily = defaultSansSerifFamily(QFont::Bold);
    static const QString mediumFamily = defaultSansSerifFamily(QFont::Medium);
    const QString& family = weight >= QFont::Bold ? boldFamily : mediumFamily;
    QFont font;
    if (!family.isEmpty())
        font.setFamilies({family});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

qsizetype characterCount(const QString& text)
{
    return graphemes(text).size();
}

QString trimmedName(const QString& name)
{
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && isWhitespace(name.at(begin)))
        ++begin;
    while (end > begin && isWhitespace(name.at(end - 1)))
        --end;
    return name.mid(begin, end - begin);
}

QStringList splitWords(const QString& text)
{
    QStringList words;
    QString current;
    for (const QChar c : text) {
        if (isWhitespace(c)) {
            if (!current.isEmpty())
                words.append(std::exchange(current, {}));
        } else {
            current.append(c);
        }
    }
    if (!current.isEmpty())
        words.append(current);
    return words;
}

std::uint64_t stationHash(const QString& name)
{
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (const char byte : name.toUtf8()) {
        h ^= static_cast<unsigned char>(byte);
        h *= 0x100000001b3ULL;
    }
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
}

HSB stationHSB(std::uint64_t h)
{
    const bool dark = (h & (1ULL << 24)) != 0;
    return {
        static_cast<double>(h % 1000) / 1000.0,
        static_cast<double>((h >> 8) % 40 + 60) / 100.0,
        static_cast<double>((h >> 16) % 25 + (dark ? 30 : 70)) / 100.0,
    };
}

QColor stationColor(const QString& name)
{
    const HSB hsb = stationHSB(stationHash(name));
    return QColor::fromHsvF(static_cast<float>(hsb.hue), static_cast<float>(hsb.saturation),
                            static_cast<float>(hsb.brightness), 1.0f);
}

QColor textColor(const QColor& background)
{
    const QColor rgb = background.toRgb();
    if (!rgb.isValid())
        return Qt::white;
    const double luminance = 0.299 * rgb.redF() + 0.587 * rgb.greenF() + 0.114 * rgb.blueF();
    return luminance > 0.5 ? QColor(Qt::black) : QColor(Qt::white);
}

QString abbreviation(const QStringList& words)
{
    QString result;
    for (const QString& word : words) {
        if (words.size() > 1 && isIgnoredWord(word))
            continue;
        const QStringList characters = graphemes(word);
        QString digits;
        qsizetype digitCount = 0;
        for (const QString& c : characters) {
            if (isNumber(c)) {
                digits += c;
                ++digitCount;
            }
        }
        if (digitCount > 0) {
            if (characters.size() > digitCount) {
                const auto letter = std::find_if(characters.begin(), characters.end(), isLetter);
                if (letter != characters.end())
                    result += letter->toUpper();
            }
            result += digits;
        } else if (isAllUppercase(word) && characters.size() <= 4) {
            result += word;
        } else {
            QString capitals;
            qsizetype capitalCount = 0;
            for (const QString& c : characters) {
                if (isUppercase(c)) {
                    capitals += c;
                    ++capitalCount;
                }
            }
            result += capitalCount >= 2 ? capitals : characters.value(0).toUpper();
        }
    }
    const QStringList resultCharacters = graphemes(result);
    if (resultCharacters.size() > 8)
        result = resultCharacters.mid(0, 6).join(QString());
    return result.toUpper();
}

QStringList initialsLines(const QString& name)
{
    const QString trimmed = trimmedName(name);
    if (characterCount(trimmed) <= 5)
        return {trimmed.toUpper()};

    const QStringList words = splitWords(trimmed);
    if (words.size() == 1) {
        if (isAllUppercase(trimmed) && characterCount(trimmed) <= 6)
            return {trimmed};
        return {abbreviation(words)};
    }

    const QString& first = words.first();
    const QStringList firstCharacters = graphemes(first);
    if (isAllUppercase(first) && firstCharacters.size() >= 2 && firstCharacters.size() <= 4
        && std::all_of(firstCharacters.begin(), firstCharacters.end(), isLetter)) {
        const QStringList rest = words.mid(1);
        const QString joined = rest.join(u' ');
        const QString second = characterCount(joined) <= 4 ? joined.toUpper() : abbreviation(rest);
        if (!second.isEmpty())
            return {first, second};
    }
    return {abbreviation(words)};
}

int singleLineFontSize(const QString& line)
{
    const qsizetype count = characterCount(line);
    if (count <= 4)
        return 80;
    if (count <= 6)
        return 60;
    return 48;
}

void drawInitials(QPainter& painter, const QStringList& lines, const QColor& text, const QColor& secondary,
                  double width, double height)
{
    // Text needs the font database, which only a GUI application has.
    if (lines.isEmpty() || qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return;

    if (lines.size() == 1) {
        const QFont font = initialsFont(singleLineFontSize(lines[0]), QFont::Bold);
        const QFontMetricsF metrics(font);
        const double w = metrics.horizontalAdvance(lines[0]);
        const double h = metrics.height();
        drawLine(painter, lines[0], font, text, (width - w) / 2, (height - h) / 2);
        return;
    }

    const QFont firstFont = initialsFont(firstOfTwoLinesFontSize, QFont::Bold);
    const QFont secondFont = initialsFont(secondOfTwoLinesFontSize, QFont::Medium);
    const QFontMetricsF firstMetrics(firstFont);
    const QFontMetricsF secondMetrics(secondFont);
    const double w1 = firstMetrics.horizontalAdvance(lines[0]);
    const double h1 = firstMetrics.height();
    const double w2 = secondMetrics.horizontalAdvance(lines[1]);
    const double h2 = secondMetrics.height();
    // The pair is centred vertically; the first line sits above the second
    // with a fixed gap (y grows downwards here).
    const double top = (height - (h1 + lineGap + h2)) / 2;
    drawLine(painter, lines[0], firstFont, text, (width - w1) / 2, top);
    drawLine(painter, lines[1], secondFont, secondary, (width - w2) / 2, top + h1 + lineGap);
}

StationImage::StationImage(const QString& name)
    : background_(stationColor(name))
    , text_(textColor(background_))
    , secondary_(text_)
    , lines_(initialsLines(name))
{
    secondary_.setAlphaF(0.85f);
}

QImage StationImage::render() const
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(background_);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawInitials(painter, lines_, text_, secondary_, canvasSize, canvasSize);
    painter.end();
    return image;
}

} // namespace tunara::artwork
