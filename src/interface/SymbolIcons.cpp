#include "interface/SymbolIcons.h"

#include <QFile>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

#include <cmath>

// Resources of a static library must be registered by name, outside any namespace.
static void registerSymbolResources() {
    Q_INIT_RESOURCE(symbols);
}

namespace lumadesk {

QString SymbolIcons::resourcePath(const QString& name) {
    static const bool registered = (registerSymbolResources(), true);
    (void)registered;
    return QStringLiteral(":/symbols/%1.svg").arg(name);
}

bool SymbolIcons::contains(const QString& name) {
    return QFile::exists(resourcePath(name));
}

QPixmap SymbolIcons::pixmap(const QString& name, int size, const QColor& color, qreal devicePixelRatio) {
    const int side = static_cast<int>(std::ceil(size * devicePixelRatio));
    const QString key =
        QStringLiteral("symbol:%1:%2@%3:%4").arg(name).arg(size).arg(devicePixelRatio).arg(color.rgba());
    QPixmap cached;
    if (QPixmapCache::find(key, &cached)) return cached;

    QSvgRenderer renderer(resourcePath(name));
    if (!renderer.isValid()) return {};
    QPixmap drawn(side, side);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    // The drawing's shape keeps its coverage and takes the colour.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(drawn.rect(), color);
    painter.end();
    drawn.setDevicePixelRatio(devicePixelRatio);
    QPixmapCache::insert(key, drawn);
    return drawn;
}

QIcon SymbolIcons::icon(const QString& name, const QColor& color) {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) icon.addPixmap(pixmap(name, size, color));
    return icon;
}

}  // namespace lumadesk
