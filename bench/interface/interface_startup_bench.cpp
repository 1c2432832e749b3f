// Start-up and memory of the tray application on the built-in simulated desk, assembled as `lumadesk`
// assembles it: the time from process start to the popover's first paint and to its first paint of the
// display list, and the resident memory after start and after opening the popover 100 times.
// Where the desktop has no tray (as on the offscreen platform) the popover is shown at start.
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "assembly/DisplayStack.h"
#include "assembly/PlatformFactory.h"
#include "interface/LumadeskApp.h"
#include "interface/MenuBarPopover.h"
#include "interface/QtMainQueue.h"
#include "runtime/Sleeper.h"
#include "runtime/SystemClock.h"
#include "support/TemporaryDirectory.h"

#include <QApplication>
#include <QEvent>

using namespace lumadesk;

namespace {

constexpr int openings = 100;

// Milliseconds since this process started, by the kernel's record of its start (10 ms steps).
double millisecondsSinceProcessStart() {
    std::ifstream statFile("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(statFile)), std::istreambuf_iterator<char>());
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 22; ++i) fields >> field;  // field 22: start time in clock ticks after boot
    const double startSeconds = std::stod(field) / static_cast<double>(sysconf(_SC_CLK_TCK));
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return (static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9 - startSeconds) * 1000.0;
}

double residentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Notes the popover's first paint, and its first paint of the display list, then ends the event loop.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(const MenuBarPopover& popover) : m_popover(popover) {}

    std::optional<double> firstPaint;
    std::optional<double> firstListPaint;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Paint) return false;
        const double now = millisecondsSinceProcessStart();
        if (!firstPaint) firstPaint = now;
        if (!firstListPaint && m_popover.contentState() == PopoverContentState::list) {
            firstListPaint = now;
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
        return false;
    }

private:
    const MenuBarPopover& m_popover;
};

}  // namespace

int main(int argc, char** argv) {
    const double atMain = millisecondsSinceProcessStart();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    SystemClock clock;
    SystemSleeper sleeper;
    QtMainQueue queue(clock);
    TemporaryDirectory configDirectory;
    const auto platform =
        makePlatform({.simulated = true}, configDirectory.path(), clock, sleeper, [](const std::string&) {});
    DisplayStack stack(*platform, queue, {configDirectory.path()});
    double afterStart = 0;
    double afterOpenings = 0;
    std::optional<double> firstPaint;
    std::optional<double> firstListPaint;
    {
        LumadeskApp app(stack.sharedDisplayManager(), stack.defaults(), queue);
        PaintWatch watch(app.popover());
        app.popover().installEventFilter(&watch);
        app.start();
        app.popover().show();
        QApplication::exec();
        firstPaint = watch.firstPaint;
        firstListPaint = watch.firstListPaint;
        app.popover().removeEventFilter(&watch);

        QCoreApplication::processEvents();
        afterStart = residentMegabytes();
        for (int i = 0; i < openings; ++i) {
            app.popover().hide();
            QCoreApplication::processEvents();
            app.popover().show();
            app.popover().repaint();
            QCoreApplication::processEvents();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        afterOpenings = residentMegabytes();
    }
    std::cout << "process start to main():                 " << atMain << " ms\n"
              << "process start to the popover's first paint: " << firstPaint.value_or(-1) << " ms\n"
              << "process start to the first paint of the list: " << firstListPaint.value_or(-1) << " ms\n"
              << "resident memory after start:             " << afterStart << " MiB\n"
              << "resident memory after " << openings << " openings:        " << afterOpenings << " MiB\n";
    return 0;
}
