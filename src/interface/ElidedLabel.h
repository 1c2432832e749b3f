#pragma once

#include <QLabel>
#include <QString>

namespace lumadesk {

// A one-line label that ends text too long for it with "…" instead of cutting a glyph in half, and
// then offers the whole text as its tooltip. Its text (and what assistive technology reads) stays whole.
class ElidedLabel : public QLabel {
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    void setFullText(const QString& text);
    // The text as drawn at the label's width.
    QString shownText() const;
    // Narrow enough for any layout: the label elides instead of asking for its text's width.
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateToolTip();
};

}  // namespace lumadesk
