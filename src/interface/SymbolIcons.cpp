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

namespace {
constexpr int iconSizes[] = {16, 22, 24, 32, 48, 64};
}  // namespace

QIcon SymbolIcons::icon(const QString& name, const QColor& color) {
    QIcon icon;
    for (int size : iconSizes) icon.addPixmap(pixmap(name, size, color));
    return icon;
}

QIcon SymbolIcons::outlinedIcon(const QString& name, const QColor& ink, const QColor& halo) {
    QIcon icon;
    for (int size : iconSizes) icon.addPixmap(outlinedPixmap(name, size, ink, halo));
    return icon;
}

// The outline is the symbol stamped one pixel off in every direction, opaque, then laid under the
// symbol at the halo's own opacity, so that the stamps do not add up where they overlap.
QPixmap SymbolIcons::outlinedPixmap(const QString& name, int size, const QColor& ink, const QColor& halo) {
    const int inner = size - 2;
    QColor opaqueHalo = halo;
    opaqueHalo.setAlpha(255);
    const QPixmap stamp = pixmap(name, inner, opaqueHalo);
    QPixmap outline(size, size);
    outline.fill(Qt::transparent);
    QPainter outlinePainter(&outline);
    for (int dx = 0; dx <= 2; ++dx) {
        for (int dy = 0; dy <= 2; ++dy) {
            if (dx != 1 || dy != 1) outlinePainter.drawPixmap(dx, dy, stamp);
        }
    }
    outlinePainter.end();

    QPixmap drawn(size, size);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    painter.setOpacity(halo.alphaF());
    painter.drawPixmap(0, 0, outline);
    painter.setOpacity(1.0);
    painter.drawPixmap(1, 1, pixmap(name, inner, ink));
    painter.end();
    return drawn;
}

}  // namespace lumadesk
