#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>

class QLabel;

namespace lumadesk {

// The type sizes and colours the views share. Colours derive from the widget's palette, so the
// desktop's accent and light or dark scheme carry through.
class Theme {
public:
    enum class TextStyle { callout, caption, caption2 };

    static QFont font(TextStyle style, QFont::Weight weight = QFont::Normal);
    // A font of the pixel size, for symbols and headlines sized in points of their own.
    static QFont systemFont(int pixelSize, QFont::Weight weight = QFont::Normal);
    // The side of a symbol drawn at a text size.
    static int symbolSize(int textPixelSize);
    static int symbolSize(TextStyle style);

    static QColor accent(const QWidget& widget);
    static QColor primary(const QWidget& widget, qreal opacity = 1.0);
    static QColor secondary(const QWidget& widget);
    static QColor tertiary(const QWidget& widget);
    // The hairline around cards: the separator colour at 48 %.
    static QColor separator(const QWidget& widget);
    static QColor green();
    // A label of plain text in the font and colour.
    static QLabel* label(const QString& text, const QFont& font, const QColor& color, QWidget* parent);
    static QColor orange();
};

}  // namespace lumadesk
