#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <iostream>

// Renders the application's SVG icon as a square PNG for panels and menus that do not draw SVG.
//   lumadesk-icon-renderer ICON.svg SIZE OUT.png
int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: lumadesk-icon-renderer ICON.svg SIZE OUT.png\n";
        return 2;
    }
    // Shapes only (the icon holds no text): painting on an image needs no application object and no
    // screen, wherever the build runs.
    QSvgRenderer renderer{QString::fromLocal8Bit(argv[1])};
    const int size = QString::fromLocal8Bit(argv[2]).toInt();
    if (!renderer.isValid() || size <= 0) {
        std::cerr << "lumadesk-icon-renderer: cannot render " << argv[1] << " at size " << argv[2] << "\n";
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::cerr << "lumadesk-icon-renderer: cannot write " << argv[3] << "\n";
        return 1;
    }
    return 0;
}
