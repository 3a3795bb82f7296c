#pragma once

#include "model/AudioStream.h"

#include <QList>
#include <QStringList>

namespace tunara::testing {

// The names of stations, in order: what most list assertions compare.
inline QStringList names(const QList<AudioStream>& stations)
{
    QStringList result;
    for (const AudioStream& station : stations)
        result.append(station.name);
    return result;
}

} // namespace tunara::testing
