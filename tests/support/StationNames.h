#pragma once

#include "model/Station.h"

#include <QStringList>

namespace tunara::testing {

// The names of stations (or of anything named), in order: what most list
// assertions compare.
template <typename List>
QStringList names(const List& stations)
{
    QStringList result;
    for (const auto& station : stations)
        result.append(station.name);
    return result;
}

} // namespace tunara::testing
