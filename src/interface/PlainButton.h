#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QString>

namespace lumadesk {

// A button without a bezel: an optional symbol and an optional text side by side, dimmed while pressed
// or disabled. With an expanding size policy its content keeps to the leading edge.
class PlainButton : public QAbstractButton {
    Q_OBJECT

public:
    PlainButton(const QString& symbol, const QString& text, const QFont& font, QWidget* parent = nullptr);

    const QString& symbol() const { return m_symbol; }
    // The symbol's colour; the text's when not set.
    void setSymbolColor(const QColor& color);
    void setTextColor(const QColor& color);
    void setSpacing(int spacing);
    void setOpacity(qreal opacity);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    QColor m_symbolColor;
    QColor m_textColor;
    int m_symbolSize;
    int m_spacing = 4;
    qreal m_opacity = 1.0;
};

}  // namespace lumadesk
