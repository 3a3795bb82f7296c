#pragma once

#include <QFont>
#include <QString>

namespace tunara {

// The family fontconfig chooses for "sans-serif" at this weight: the
// desktop's default sans-serif font, as the user or the distribution
// configured it. Empty when fontconfig finds no font at all. Safe to call
// from any thread.
QString defaultSansSerifFamily(QFont::Weight weight);

} // namespace tunara
