#pragma once

// Reading the directory's answer to a station search. The reply's size is
// bounded by the client before it gets here, so this runs on the main
// thread in a few milliseconds even for a hostile answer.

#include "DirectoryStation.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace tunara {

// The stations of a search reply in reply order, at most maxStations,
// keeping only entries with a uuid and an http or https stream URL. None
// when the reply is not a JSON array, or when it lists entries of which
// not one could be read.
std::optional<QList<DirectoryStation>> parseSearchReply(const QByteArray& body, qsizetype maxStations);

} // namespace tunara
