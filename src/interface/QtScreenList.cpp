#include "interface/QtScreenList.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace lumadesk {

namespace {

ScreenFrame frameOf(const QRect& g) {
    return {static_cast<double>(g.x()), static_cast<double>(g.y()), static_cast<double>(g.width()),
            static_cast<double>(g.height())};
}

Screen screenOf(const QScreen& screen) {
    return {.frame = frameOf(screen.geometry()),
            .displayID = 0,
            .localizedName = screen.name().toStdString(),
            .availableFrame = frameOf(screen.availableGeometry())};
}

}  // namespace

std::vector<Screen> QtScreenList::screens() {
    std::vector<Screen> result;
    for (const QScreen* screen : QGuiApplication::screens()) result.push_back(screenOf(*screen));
    return result;
}

std::optional<Screen> QtScreenList::mainScreen() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return std::nullopt;
    return screenOf(*primary);
}

ScreenPoint QtScreenList::pointerLocation() {
    const QPoint point = QCursor::pos();
    return {static_cast<double>(point.x()), static_cast<double>(point.y())};
}

}  // namespace lumadesk
