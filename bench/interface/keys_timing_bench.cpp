// Two real-time figures of the brightness keys on Qt's event loop (offscreen unless told otherwise):
// - a key held for 5 s on the main queue: when each repeated step came, against the first step plus
//   delay + k x interval (the X server's default 600 ms and 25 per second, an interval the repeater
//   raises to its 0.1 s floor);
// - the floating panel: from creating and ordering it front to its first paint, and from ordering an
//   ordered-out panel front again to its next paint.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <iostream>
#include <numeric>
#include <vector>

#include "interface/BrightnessHUDWindow.h"
#include "interface/QtMainQueue.h"
#include "keys/BrightnessKeyRepeater.h"
#include "runtime/SystemClock.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

using Steady = std::chrono::steady_clock;

double milliseconds(Steady::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

void measureRepeat() {
    constexpr auto delay = 600ms;
    constexpr auto interval = 40ms;
    constexpr auto held = 5s;
    SystemClock clock;
    QtMainQueue queue(clock);
    std::vector<Steady::time_point> steps;
    BrightnessKeyRepeater repeater(queue, delay, interval, [&](int) { steps.push_back(Steady::now()); });
    repeater.press(6, BrightnessKeySource::hidIncrease);
    Steady::time_point released;
    QTimer::singleShot(held, Qt::PreciseTimer, [&] {
        repeater.release(BrightnessKeySource::hidIncrease);
        released = Steady::now();
        QCoreApplication::quit();
    });
    QApplication::exec();

    const Duration effective = std::max(Duration(interval), BrightnessKeyRepeater::minimumRepeatInterval);
    std::vector<double> errors;
    for (std::size_t k = 1; k < steps.size(); ++k) {
        const auto expected = steps[0] + delay + (k - 1) * effective;
        errors.push_back(milliseconds(steps[k] - expected));
    }
    const auto expectedSteps = 1 + (released - steps[0] - delay) / effective + 1;
    std::vector<double> sorted = errors;
    std::ranges::sort(sorted);
    std::cout << "repeat over " << milliseconds(released - steps[0]) << " ms held (delay 600 ms, interval 40 ms, floored to "
              << milliseconds(effective) << " ms): " << steps.size()
              << " steps (ideal " << expectedSteps << ")\n"
              << "  lateness of step k against delay + k x interval: mean "
              << std::accumulate(errors.begin(), errors.end(), 0.0) / static_cast<double>(errors.size())
              << " ms, median " << sorted[sorted.size() / 2] << " ms, max " << sorted.back() << " ms, last "
              << errors.back() << " ms\n";
}

// Counts the panel's paints.
class PaintCounter final : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

double untilPainted(PaintCounter& counter, QElapsedTimer& timer) {
    const int before = counter.paints;
    while (counter.paints == before) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void measurePanel() {
    BrightnessHUDState state([](int) {}, [](bool) {});
    PaintCounter counter;
    QElapsedTimer timer;
    timer.start();
    BrightnessHUDWindow window(state, QRect(0, 0, 1920, 1080));
    window.installEventFilter(&counter);
    window.moveTo({1602, 32});
    window.orderFront();
    const double first = untilPainted(counter, timer);

    std::vector<double> later;
    for (int show = 0; show < 20; ++show) {
        window.orderOut();
        QElapsedTimer pause;
        pause.start();
        while (pause.elapsed() < 50) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        timer.restart();
        window.orderFront();
        later.push_back(untilPainted(counter, timer));
    }
    std::ranges::sort(later);
    std::cout << "panel: first show to first paint " << first << " ms; later shows (20): median "
              << later[later.size() / 2] << " ms, max " << later.back() << " ms\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    measurePanel();
    measureRepeat();
    return 0;
}
