#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace lumadesk {

// The program's symbols by their system names ("display", "sun.max.fill", ...): one-colour SVG
// drawings shipped as Qt resources and tinted when drawn.
class SymbolIcons {
public:
    // Whether a drawing exists for the name.
    static bool contains(const QString& name);
    // The symbol tinted in the colour, `size` logical pixels square, sharp at the pixel ratio. Empty
    // for an unknown name.
    static QPixmap pixmap(const QString& name, int size, const QColor& color, qreal devicePixelRatio = 1.0);
    // The symbol as an icon in the colour, for places that scale it themselves (the tray).
    static QIcon icon(const QString& name, const QColor& color);
    // The symbol as an icon in `ink` inside a one-pixel outline of `halo`, so that it stands out from
    // a background of either shade (the tray's panel, whose colour nobody tells).
    static QIcon outlinedIcon(const QString& name, const QColor& ink, const QColor& halo);

private:
    static QString resourcePath(const QString& name);
    static QPixmap outlinedPixmap(const QString& name, int size, const QColor& ink, const QColor& halo);
};

}  // namespace lumadesk
