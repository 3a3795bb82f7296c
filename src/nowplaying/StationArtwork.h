#pragma once

// Generated station artwork: a solid colour derived from the station name
// by a fixed hash, with the station's initials centred on it in black or
// white. The same name gives the same image on every run and machine.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

class QPainter;

namespace tunara::artwork {

inline constexpr int canvasSize = 300;

// Hue, saturation and brightness, each 0 to 1.
struct HSB {
    double hue = 0;
    double saturation = 0;
    double brightness = 0;
};

// FNV-1a (64-bit) over the name's UTF-8 bytes, then the MurmurHash3
// 64-bit finaliser. The name is used exactly as given.
std::uint64_t stationHash(const QString& name);
HSB stationHSB(std::uint64_t hash);
QColor stationColor(const QString& name);
// Black or white, whichever reads better on the background.
QColor textColor(const QColor& background);

// One or two lines of initials for the name.
QStringList initialsLines(const QString& name);
QString abbreviation(const QStringList& words);

// Text helpers with the rules the initials use: lengths in user-perceived
// characters, white space = Unicode space separators plus the tab.
qsizetype characterCount(const QString& text);
QString trimmedName(const QString& name);
QStringList splitWords(const QString& text);

// Pixel sizes of the initials fonts (one pixel per layout point).
int singleLineFontSize(const QString& line);
inline constexpr int firstOfTwoLinesFontSize = 72;
inline constexpr int secondOfTwoLinesFontSize = 48;
inline constexpr double lineGap = 8;

// The font of the initials: the desktop's default sans-serif family at
// the given pixel size and weight.
QFont initialsFont(int pixelSize, QFont::Weight weight);

// Draws one or two lines centred on a width x height canvas.
void drawInitials(QPainter& painter, const QStringList& lines, const QColor& text, const QColor& secondary,
                  double width, double height);

// The drawing recipe of one station's image: the values are fixed when it is
// made; render() draws them whenever a raster is needed, on any thread.
class StationImage {
public:
    explicit StationImage(const QString& name);

    QColor background() const { return background_; }
    QColor text() const { return text_; }
    QColor secondary() const { return secondary_; }
    const QStringList& lines() const { return lines_; }
    QSize size() const { return {canvasSize, canvasSize}; }

    QImage render() const;

private:
    QColor background_;
    QColor text_;
    QColor secondary_;
    QStringList lines_;
};

} // namespace tunara::artwork
