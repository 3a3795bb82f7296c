#include "SymbolImageProvider.h"

#include <QColor>
#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <QUrlQuery>

namespace tunara {

SymbolImageProvider::SymbolImageProvider()
    : QQuickImageProvider(QQuickImageProvider::Image)
{
}

QImage SymbolImageProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize)
{
    const qsizetype queryStart = id.indexOf(QLatin1Char('?'));
    const QString name = id.left(queryStart);
    const QUrlQuery query(queryStart < 0 ? QString() : id.mid(queryStart + 1));
    const QColor color(query.hasQueryItem(QStringLiteral("color")) ? query.queryItemValue(QStringLiteral("color"))
                                                                   : QStringLiteral("black"));

    QFile file(QStringLiteral(":/tunara/icons/symbols/%1.svg").arg(name));
    QImage image;
    if (name.contains(QLatin1Char('/')) || !file.open(QIODevice::ReadOnly)) {
        if (size)
            *size = {};
        return image;
    }
    QByteArray svg = file.readAll();
    svg.replace("currentColor", color.name(QColor::HexRgb).toLatin1());

    QSvgRenderer renderer(svg);
    QSize pixels = renderer.defaultSize();
    if (requestedSize.width() > 0 && requestedSize.height() > 0)
        pixels = requestedSize;
    else if (requestedSize.width() > 0 || requestedSize.height() > 0)
        pixels = pixels.scaled(requestedSize.width() > 0 ? requestedSize.width() : INT_MAX,
                               requestedSize.height() > 0 ? requestedSize.height() : INT_MAX, Qt::KeepAspectRatio);

    image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setOpacity(color.alphaF());
    renderer.render(&painter);
    painter.end();
    if (size)
        *size = pixels;
    return image;
}

} // namespace tunara
