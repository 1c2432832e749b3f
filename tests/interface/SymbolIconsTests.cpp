#include <gtest/gtest.h>

#include "interface/SymbolIcons.h"

#include <QImage>

using namespace lumadesk;

TEST(SymbolIconsTest, EverySymbolInUseIsDrawnInTheAskedColourAndAtThePixelRatio) {
    const QColor orange(255, 149, 0);
    for (const char* name : {"arrow.clockwise", "arrow.down.circle.fill", "command", "display", "display.2",
                             "display.badge.exclamationmark", "display.trianglebadge.exclamationmark",
                             "exclamationmark.triangle.fill", "gearshape", "keyboard.badge.exclamationmark",
                             "line.3.horizontal", "moon.fill", "pencil", "power", "slider.horizontal.3",
                             "sun.max", "sun.max.fill", "sun.min", "sun.min.fill"}) {
        SCOPED_TRACE(name);
        const QImage image = SymbolIcons::pixmap(QString::fromLatin1(name), 24, orange).toImage();
        ASSERT_EQ(image.size(), QSize(24, 24));
        // Some pixels but not the whole square are drawn; the solid ones (not the blended edges) are
        // all in the colour.
        int drawn = 0;
        int offColour = 0;
        for (int y = 0; y < 24; ++y) {
            for (int x = 0; x < 24; ++x) {
                const QColor pixel = image.pixelColor(x, y);
                drawn += pixel.alpha() > 0;
                offColour += pixel.alpha() == 255 && pixel.rgb() != orange.rgb();
            }
        }
        EXPECT_GT(drawn, 24);
        EXPECT_LT(drawn, 24 * 24);
        EXPECT_EQ(offColour, 0);
    }

    // Drawn at the screen's pixel ratio, so that dense screens get sharp symbols, not scaled ones.
    const auto sharp = SymbolIcons::pixmap(QStringLiteral("display"), 16, Qt::black, 2.0);
    EXPECT_EQ(sharp.size(), QSize(32, 32));
    EXPECT_EQ(sharp.deviceIndependentSize(), QSizeF(16, 16));
    EXPECT_FALSE(SymbolIcons::contains(QStringLiteral("no.such.symbol")));
}
