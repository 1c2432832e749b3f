#include "interface/AboutPage.h"

#include "interface/AppInfo.h"
#include "interface/CheckForUpdatesButton.h"
#include "interface/SymbolView.h"
#include "interface/Theme.h"

#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadialGradient>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace lumadesk {

namespace {

QLabel* centredLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent) {
    auto* label = Theme::label(text, font, color, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

struct AboutFeature {
    const char* systemImage;
    const char* title;
};

constexpr AboutFeature features[] = {
    {"sun.max.fill", "Brightness"},
    {"power", "Connection"},
    {"command", "Shortcuts"},
};

// A rounded rectangle filled with a colour, behind what it holds.
class RoundedFill : public QWidget {
public:
    RoundedFill(QColor fill, qreal radius, QWidget* parent)
        : QWidget(parent), m_fill(std::move(fill)), m_radius(radius) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), m_radius, m_radius);
        painter.fillPath(shape, m_fill);
    }

private:
    QColor m_fill;
    qreal m_radius;
};

// The application's icon at 82 × 82, clipped to rounded corners.
class IconImage : public QWidget {
public:
    explicit IconImage(QWidget* parent) : QWidget(parent) { setFixedSize(82, 82); }

protected:
    void paintEvent(QPaintEvent*) override {
        const QIcon icon = AppInfo::applicationIcon();
        if (icon.isNull()) return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath clip;
        clip.addRoundedRect(QRectF(rect()), 18, 18);
        painter.setClipPath(clip);
        icon.paint(&painter, rect());
    }
};

QColor withAlpha(QColor color, float alpha) {
    color.setAlphaF(alpha);
    return color;
}

}  // namespace

AboutPage::AboutPage(Updater& updater, std::function<void()> openSettings, QWidget* parent)
    : QWidget(parent),
      m_openSettingsAction(std::move(openSettings)),
      m_openSettings(new QPushButton(QStringLiteral("Open Settings"), this)),
      m_checkForUpdates(new CheckForUpdatesButton(updater, this)) {
    setObjectName(QStringLiteral("about"));
    setWindowTitle(QStringLiteral("About Lumadesk"));
    setWindowIcon(AppInfo::applicationIcon());
    auto* column = new QVBoxLayout(this);
    column->setSpacing(18);
    column->setContentsMargins(28, 28, 28, 28);
    column->addWidget(buildIcon(), 0, Qt::AlignHCenter);

    auto* titles = new QVBoxLayout;
    titles->setSpacing(5);
    titles->addWidget(centredLabel(QStringLiteral("Lumadesk"), Theme::systemFont(24, QFont::DemiBold),
                                   Theme::primary(*this), this));
    titles->addWidget(centredLabel(QStringLiteral("External display control, right from your menu bar."),
                                   Theme::font(Theme::TextStyle::callout), Theme::secondary(*this), this));
    titles->addWidget(centredLabel(QStringLiteral("Version ") + AppInfo::versionText(),
                                   Theme::font(Theme::TextStyle::caption), Theme::tertiary(*this), this));
    column->addLayout(titles);
    column->addWidget(buildFeatures());

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    buttons->addStretch(1);
    buttons->addWidget(m_openSettings);
    buttons->addWidget(m_checkForUpdates);
    buttons->addStretch(1);
    column->addLayout(buttons);
    column->addWidget(centredLabel(QStringLiteral("Made for Linux"), Theme::font(Theme::TextStyle::caption2),
                                   Theme::tertiary(*this), this));
    // 390 x 370 as designed; this desktop's fonts may stand taller, and then the window grows to fit
    // rather than letting the icon and the title overlap. The user cannot resize it either way.
    setFixedSize(pageWidth, std::max(pageHeight, column->totalSizeHint().height()));
    connect(m_openSettings, &QPushButton::clicked, this, [this] {
        if (m_openSettingsAction) m_openSettingsAction();
    });
}

QWidget* AboutPage::buildIcon() {
    const QColor accent = Theme::accent(*this);
    auto* tile = new RoundedFill(withAlpha(accent, 0.1f), 24, this);
    tile->setFixedSize(112, 112);
    auto* image = new IconImage(tile);
    auto* shadow = new QGraphicsDropShadowEffect(image);
    shadow->setColor(withAlpha(accent, 0.16f));
    shadow->setBlurRadius(16);
    shadow->setOffset(0, 0);
    image->setGraphicsEffect(shadow);
    image->move((112 - 82) / 2, (112 - 82) / 2);
    return tile;
}

QWidget* AboutPage::buildFeatures() {
    auto* row = new QWidget(this);
    auto* tiles = new QHBoxLayout(row);
    tiles->setSpacing(8);
    tiles->setContentsMargins(0, 0, 0, 0);
    const int side = Theme::symbolSize(13);
    for (const auto& feature : features) {
        auto* tile = new RoundedFill(Theme::primary(*this, 0.05), 10, row);
        auto* content = new QVBoxLayout(tile);
        content->setSpacing(6);
        content->setContentsMargins(0, 10, 0, 10);
        auto* symbol =
            new SymbolView(QString::fromLatin1(feature.systemImage), side, QSize(side, side), tile);
        symbol->setColor(Theme::accent(*this));
        content->addWidget(symbol, 0, Qt::AlignHCenter);
        content->addWidget(centredLabel(QString::fromLatin1(feature.title),
                                        Theme::font(Theme::TextStyle::caption2, QFont::Medium),
                                        Theme::secondary(*this), tile));
        tiles->addWidget(tile, 1);
    }
    return row;
}

void AboutPage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    QRadialGradient glow(QPointF(width() / 2.0, 0), 230, QPointF(width() / 2.0, 0), 10);
    glow.setColorAt(0, withAlpha(Theme::accent(*this), 0.1f));
    glow.setColorAt(1, Qt::transparent);
    painter.fillRect(rect(), glow);
}

}  // namespace lumadesk
