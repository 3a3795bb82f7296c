#include "KeyHints.h"

namespace tunara::KeyHints {

QKeySequence playStationSequence(int index)
{
    if (index < 0 || index >= numberedStationCount)
        return {};
    return QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + index));
}

QKeySequence settingsSequence()
{
    return QKeySequence(Qt::CTRL | Qt::Key_Comma);
}

QKeySequence quitSequence()
{
    return QKeySequence(Qt::CTRL | Qt::Key_Q);
}

QString nativeText(const QKeySequence& sequence)
{
    return sequence.toString(QKeySequence::NativeText);
}

QString stationHint(int index)
{
    return nativeText(playStationSequence(index));
}

} // namespace tunara::KeyHints
