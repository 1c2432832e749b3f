#pragma once

#include <optional>

#include <QColor>
#include <QString>
#include <QWidget>

namespace lumadesk {

// One symbol centred in a fixed frame, optionally on a rounded rectangle of its own.
class SymbolView : public QWidget {
    Q_OBJECT

public:
    // `symbolSize` is the symbol's side; the frame is `frame` (at least the symbol).
    SymbolView(const QString& symbol, int symbolSize, QSize frame, QWidget* parent = nullptr);

    const QString& symbol() const { return m_symbol; }
    void setSymbol(const QString& symbol);
    void setColor(const QColor& color);
    void setOpacity(qreal opacity);
    // Draws a rounded rectangle of the colour behind the symbol.
    void setBackground(const QColor& fill, qreal cornerRadius);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Background {
        QColor fill;
        qreal cornerRadius;
    };

    QString m_symbol;
    int m_symbolSize;
    QColor m_color;
    qreal m_opacity = 1.0;
    std::optional<Background> m_background;
};

}  // namespace lumadesk
