#include "interface/ContinuousSlider.h"

#include "interface/ListWheelLatch.h"
#include "interface/Theme.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>

#include <cmath>

namespace lumadesk {

namespace {

// Reads the slider's value as the words it was given instead of the bare number.
class SliderAccessibility : public QAccessibleWidget {
public:
    explicit SliderAccessibility(ContinuousSlider* slider) : QAccessibleWidget(slider, QAccessible::Slider) {}

    QString text(QAccessible::Text kind) const override {
        const auto* slider = static_cast<const ContinuousSlider*>(widget());
        if (kind == QAccessible::Value) return slider->accessibleValue();
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* sliderAccessibility(const QString& className, QObject* object) {
    if (className == QLatin1String(ContinuousSlider::staticMetaObject.className())) {
        return new SliderAccessibility(
            static_cast<ContinuousSlider*>(object));  // owned by QAccessible's cache
    }
    return nullptr;
}

QString sliderStyleSheet(const QColor& accent, const QColor& track) {
    return QStringLiteral(
               "QSlider { min-height: 16px; max-height: 16px; }"
               "QSlider::groove:horizontal { height: 4px; border-radius: 2px; background: %2; }"
               "QSlider::sub-page:horizontal { height: 4px; border-radius: 2px; background: %1; }"
               "QSlider::sub-page:horizontal:disabled { background: transparent; }"
               "QSlider::handle:horizontal { width: 14px; height: 14px; margin: -5px 0; border-radius: 7px;"
               " background: white; border: 1px solid rgba(0, 0, 0, 0.22); }"
               // A slider that cannot act has no level to show: an empty track, no knob.
               "QSlider::handle:horizontal:disabled { background: transparent; border-color: transparent; }")
        .arg(accent.name(QColor::HexArgb), track.name(QColor::HexArgb));
}

}  // namespace

ContinuousSlider::ContinuousSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    static const bool factoryInstalled = (QAccessible::installFactory(sliderAccessibility), true);
    (void)factoryInstalled;
    setRange(0, 100 * stepsPerUnit);
    setSingleStep(stepsPerUnit);
    setPageStep(10 * stepsPerUnit);
    setStyleSheet(sliderStyleSheet(Theme::accent(*this), Theme::primary(*this, 0.14)));
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QSlider::valueChanged, this,
            [this](int value) { Q_EMIT moved(value / double(stepsPerUnit)); });
    connect(this, &QSlider::sliderPressed, this, [this] { Q_EMIT editingChanged(true); });
    connect(this, &QSlider::sliderReleased, this, [this] { Q_EMIT editingChanged(false); });
}

void ContinuousSlider::setPosition(double position) {
    const QSignalBlocker quiet(this);
    setValue(static_cast<int>(std::lround(position * stepsPerUnit)));
}

// The list's latch is made when the slider first shows in it, so that it has seen the notches the
// list scrolled with before the slider came under the pointer.
void ContinuousSlider::showEvent(QShowEvent* event) {
    QSlider::showEvent(event);
    m_listLatch = ListWheelLatch::around(*this);
}

void ContinuousSlider::wheelEvent(QWheelEvent* event) {
    if (!hasFocus() && m_listLatch && !m_listLatch->latch().controlTakes(event->timestamp())) {
        event->ignore();
        return;
    }
    QSlider::wheelEvent(event);
    event->accept();
}

// The style's own focus frame (a dotted outline) gives way to the ring drawn below.
void ContinuousSlider::initStyleOption(QStyleOptionSlider* option) const {
    QSlider::initStyleOption(option);
    option->state &= ~QStyle::State_HasFocus;
}

void ContinuousSlider::paintEvent(QPaintEvent* event) {
    QSlider::paintEvent(event);
    if (!hasFocus()) return;
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect knob = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Theme::accent(*this), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(knob).adjusted(0.75, 0.75, -0.75, -0.75));
}

void ContinuousSlider::setAccessibleValue(const QString& text) {
    if (text == m_accessibleValue) return;
    m_accessibleValue = text;
    QAccessibleValueChangeEvent event(this, text);
    QAccessible::updateAccessibility(&event);
}

}  // namespace lumadesk
