#pragma once

#include <QString>
#include <QStringList>

namespace tunara {

// The one cleaning every text from outside (stream titles, station names
// from a file or a directory) gets before it is shown or published: control
// characters (C0, C1, DEL) and the bidirectional embeddings, overrides and
// isolates that would reorder it are removed, line breaks and tabs become spaces,
// runs of white space become one space, the ends are trimmed, and the text
// is cut at maxDisplayTextLength user-perceived characters, never inside one.
QString cleanDisplayText(const QString& text);

inline constexpr qsizetype maxDisplayTextLength = 1024;

// Texts from outside joined into one line: when any of them has letters
// written right to left, each is isolated (FSI … PDI) so that it keeps its
// own direction and neither reorders its neighbours nor carries the
// separators along. Left-to-right texts are joined as they are.
QString joinIsolated(const QStringList& parts, const QString& separator);

} // namespace tunara
