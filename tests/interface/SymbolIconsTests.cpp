#include <gtest/gtest.h>

#include "interface/SymbolIcons.h"

#include <QImage>

using namespace lumadesk;

namespace {

// How many pixels are drawn, and whether all the solid ones are in the colour (the edges are blended).
std::pair<int, bool> inkOf(const QPixmap& pixmap, const QColor& color) {
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    int drawn = 0;
    bool inColour = true;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() == 0) continue;
            ++drawn;
            if (pixel.alpha() < 255) continue;
            inColour = inColour && pixel.rgb() == color.rgb();
        }
    }
    return {drawn, inColour};
}

}  // namespace

TEST(SymbolIconsTest, EverySymbolInUseIsDrawnInTheAskedColourAndAtThePixelRatio) {
    const QColor orange(255, 149, 0);
    for (const char* name :
         {"arrow.clockwise", "arrow.down.circle.fill", "command", "display", "display.2",
          "display.badge.exclamationmark", "display.trianglebadge.exclamationmark",
          "exclamationmark.triangle.fill", "gearshape", "keyboard.badge.exclamationmark", "line.3.horizontal",
          "moon.fill", "pencil", "power", "slider.horizontal.3", "sun.max", "sun.max.fill", "sun.min",
          "sun.min.fill"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(SymbolIcons::contains(QString::fromLatin1(name)));
        const auto pixmap = SymbolIcons::pixmap(QString::fromLatin1(name), 24, orange);
        ASSERT_EQ(pixmap.size(), QSize(24, 24));
        const auto [drawn, inColour] = inkOf(pixmap, orange);
        EXPECT_GT(drawn, 24) << "the drawing is not empty";
        EXPECT_LT(drawn, 24 * 24) << "the drawing does not fill its square";
        EXPECT_TRUE(inColour);
    }

    // Drawn at the screen's pixel ratio, so that dense screens get sharp symbols, not scaled ones.
    const auto sharp = SymbolIcons::pixmap(QStringLiteral("display"), 16, Qt::black, 2.0);
    EXPECT_EQ(sharp.size(), QSize(32, 32));
    EXPECT_EQ(sharp.deviceIndependentSize(), QSizeF(16, 16));
    EXPECT_FALSE(SymbolIcons::contains(QStringLiteral("no.such.symbol")));
}
