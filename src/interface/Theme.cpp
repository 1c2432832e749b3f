#include "interface/Theme.h"

#include <QApplication>
#include <QLabel>

#include <cmath>

namespace lumadesk {

namespace {

int pixelSize(Theme::TextStyle style) {
    switch (style) {
        case Theme::TextStyle::callout:
            return 13;
        case Theme::TextStyle::caption:
            return 11;
        case Theme::TextStyle::caption2:
            return 10;
    }
    return 13;
}

QColor withOpacity(QColor color, qreal opacity) {
    color.setAlphaF(static_cast<float>(color.alphaF() * opacity));
    return color;
}

}  // namespace

QFont Theme::font(TextStyle style, QFont::Weight weight) {
    return systemFont(pixelSize(style), weight);
}

QFont Theme::systemFont(int pixelSize, QFont::Weight weight) {
    QFont font = QApplication::font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

// Symbols stand a little taller than the letters of the text they go with.
int Theme::symbolSize(int textPixelSize) {
    return static_cast<int>(std::lround(textPixelSize * 1.2));
}

int Theme::symbolSize(TextStyle style) {
    return symbolSize(pixelSize(style));
}

QColor Theme::accent(const QWidget& widget) {
    return widget.palette().color(QPalette::Highlight);
}

QColor Theme::primary(const QWidget& widget, qreal opacity) {
    return withOpacity(widget.palette().color(QPalette::WindowText), opacity);
}

QColor Theme::secondary(const QWidget& widget) {
    return primary(widget, 0.55);
}

QColor Theme::tertiary(const QWidget& widget) {
    return primary(widget, 0.3);
}

QColor Theme::separator(const QWidget& widget) {
    return primary(widget, 0.25 * 0.48);
}

QColor Theme::green() {
    return QColor(52, 199, 89);
}

QLabel* Theme::label(const QString& text, const QFont& font, const QColor& color, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

QColor Theme::orange() {
    return QColor(255, 149, 0);
}

}  // namespace lumadesk
