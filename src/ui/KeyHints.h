#pragma once

#include <QKeySequence>
#include <QString>

namespace tunara {

// The keyboard commands of the program and the hint texts drawn for them,
// in the platform's own notation ("Ctrl+1" here, "⌘1" on a Mac).
namespace KeyHints {

// Ctrl+1 … Ctrl+9 play the station at position 0 … 8.
inline constexpr int numberedStationCount = 9;

QKeySequence playStationSequence(int index); // empty beyond the ninth
QKeySequence settingsSequence();
QKeySequence quitSequence();

QString nativeText(const QKeySequence& sequence);
// The hint of the station row at index, or the empty text when it has none.
QString stationHint(int index);

} // namespace KeyHints

} // namespace tunara
