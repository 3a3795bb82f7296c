#pragma once

#include "model/Station.h"

#include <QList>
#include <QStringList>

namespace tunara::testing {

// The names of stations, in order: what most list assertions compare.
inline QStringList names(const QList<Station>& stations)
{
    QStringList result;
    for (const Station& station : stations)
        result.append(station.name);
    return result;
}

} // namespace tunara::testing
