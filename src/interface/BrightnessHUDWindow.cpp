#include "interface/BrightnessHUDWindow.h"

#include "interface/ContinuousSlider.h"
#include "interface/SymbolView.h"

#include <QEnterEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace lumadesk {

namespace {

constexpr int panelWidth = 302;
constexpr int panelHeight = 72;
constexpr qreal cornerRadius = 20;
constexpr qreal hiddenScale = 0.96;
constexpr qreal hiddenOffset = -5;
// A spring of response 0.28 s and damping 0.94 settles like an ease-out of about that length.
constexpr int animationMilliseconds = 280;

QString spokenLevel(int level) {
    return QString::number(level) + " percent";
}

}  // namespace

BrightnessHUDWindow::BrightnessHUDWindow(BrightnessHUDState& state, QRect frame)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::BypassWindowManagerHint),
      m_state(state) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(panelWidth, panelHeight);
    m_origin = frame.topLeft();
    move(m_origin);

    // Content 294 x 64 inside a padding of 4; 14 x 8 within the content.
    m_content = new QWidget(this);
    m_content->setGeometry(4, 4, panelWidth - 8, panelHeight - 8);
    auto* column = new QVBoxLayout(m_content);
    column->setContentsMargins(14, 8, 14, 8);
    column->setSpacing(4);
    m_caption = new QLabel(m_content);
    QFont captionFont = m_caption->font();
    captionFont.setPointSizeF(captionFont.pointSizeF() * 0.85);
    captionFont.setWeight(QFont::DemiBold);
    m_caption->setFont(captionFont);
    m_caption->setStyleSheet("color: rgba(255, 255, 255, 235);");
    column->addWidget(m_caption);
    auto* row = new QHBoxLayout;
    row->setSpacing(7);
    auto* dim = new SymbolView("sun.min.fill", 10, QSize(12, 16), m_content);
    auto* bright = new SymbolView("sun.max.fill", 12, QSize(14, 16), m_content);
    for (auto* sun : {dim, bright}) {
        sun->setColor(Qt::white);
        sun->setOpacity(0.9);
        sun->setAccessibleName({});
    }
    m_slider = new ContinuousSlider(m_content);
    m_slider->setFixedHeight(16);
    m_slider->setFocusPolicy(Qt::NoFocus);
    row->addWidget(dim);
    row->addWidget(m_slider, 1);
    row->addWidget(bright);
    column->addLayout(row);

    connect(m_slider, &ContinuousSlider::moved, this,
            [this](double position) { m_state.setBrightnessFromSlider(position); });
    connect(m_slider, &ContinuousSlider::editingChanged, this,
            [this](bool editing) { m_state.setEditing(editing); });
    const auto showLevel = [this](int level) {
        m_slider->setPosition(level);
        m_slider->setAccessibleValue(spokenLevel(level));
    };
    const auto showName = [this](const std::string& name) {
        m_caption->setText(QString::fromStdString(name));
        m_slider->setAccessibleName("Brightness for " + QString::fromStdString(name));
    };
    showLevel(state.brightness().get());
    showName(state.displayName().get());
    m_subscriptions.push_back(state.brightness().subscribe(showLevel));
    m_subscriptions.push_back(state.displayName().subscribe(showName));
    m_subscriptions.push_back(state.isVisible().subscribe([this](bool visible) { animateTo(visible); }));

    m_animation.setDuration(animationMilliseconds);
    m_animation.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setShownFraction(value.toReal()); });
    setShownFraction(0);
}

BrightnessHUDWindow::~BrightnessHUDWindow() = default;

void BrightnessHUDWindow::moveTo(ScreenPoint origin) {
    m_origin = QPoint(static_cast<int>(origin.x), static_cast<int>(origin.y));
    setShownFraction(m_shown);
}

void BrightnessHUDWindow::orderFront() {
    if (!isVisible()) show();
    raise();
}

void BrightnessHUDWindow::orderOut() {
    hide();
}

void BrightnessHUDWindow::animateTo(bool visible) {
    m_animation.stop();
    m_animation.setStartValue(m_shown);
    m_animation.setEndValue(visible ? 1.0 : 0.0);
    m_animation.start();
}

void BrightnessHUDWindow::setShownFraction(qreal fraction) {
    m_shown = fraction;
    setWindowOpacity(fraction);
    // The drift moves the whole window; the scale is drawn, anchored at the top-right corner.
    move(m_origin + QPoint(0, static_cast<int>(hiddenOffset * (1 - fraction))));
    update();
}

void BrightnessHUDWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal scale = hiddenScale + (1 - hiddenScale) * m_shown;
    painter.translate(width(), 0);
    painter.scale(scale, scale);
    painter.translate(-width(), 0);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(4, 4, panelWidth - 8, panelHeight - 8), cornerRadius, cornerRadius);
    painter.fillPath(shape, QColor(40, 40, 44, 225));
    painter.setPen(QPen(QColor(255, 255, 255, 87), 0.5));
    painter.drawPath(shape);
}

void BrightnessHUDWindow::enterEvent(QEnterEvent*) {
    m_state.setHovering(true);
}

void BrightnessHUDWindow::leaveEvent(QEvent*) {
    m_state.setHovering(false);
}

}  // namespace lumadesk
