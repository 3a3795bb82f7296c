#pragma once

#include <QString>

namespace tunara {

// Writes one diagnostic line to standard output and flushes it at once, so
// a reader of the log sees it while the player runs.
void writeDiagnosticLine(const QString& line);

} // namespace tunara
