#pragma once

#include <QQuickImageProvider>

namespace tunara {

// Serves the program's symbol images ("play.fill", "pause.fill",
// "speaker.wave.2.fill", …) tinted in a colour, as
// "image://symbol/<name>?color=<colour>". The symbols are monochrome SVGs
// drawn in currentColor.
class SymbolImageProvider final : public QQuickImageProvider {
public:
    SymbolImageProvider();

    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;

    static constexpr const char* providerId = "symbol";
};

} // namespace tunara
