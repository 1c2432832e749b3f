#pragma once

#include <chrono>
#include <iostream>
#include <stdexcept>

#include "assembly/DisplayStack.h"
#include "interface/ToggleSwitch.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/VirtualSleeper.h"
#include "support/DisplayManagerHarness.h"
#include "support/TemporaryDirectory.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>
#include <QWidget>

namespace lumadesk {

// Shows a widget and saves what it draws as a PNG file in the directory, naming the file on stdout.
class Shooter {
public:
    explicit Shooter(QString directory) : m_directory(std::move(directory)) {}

    void save(QWidget& widget, const QString& name) const {
        widget.show();
        QCoreApplication::processEvents();
        const QString path = QDir(m_directory).filePath(name);
        if (!widget.grab().save(path)) throw std::runtime_error("cannot write " + path.toStdString());
        std::cout << path.toStdString() << "\n";
    }

private:
    QString m_directory;
};

// The built-in simulated desk through the whole stack, as `lumadesk --simulated` shows it, in virtual
// time.
struct DefaultDesk {
    TemporaryDirectory configDirectory;
    VirtualClock clock;
    VirtualSleeper sleeper{clock};
    ManualMainQueue queue{clock};
    std::unique_ptr<Platform> platform = SimulatedPlatform::create({}, clock, sleeper);
    std::unique_ptr<DisplayStack> stack =
        std::make_unique<DisplayStack>(*platform, queue, DisplayStackOptions{configDirectory.path()});

    // The stack goes first, with the work it left queued.
    ~DefaultDesk() {
        queue.runUntilIdle();
        stack.reset();
    }
};

// Two displays on the harness's desk, the first of which the window server refuses to disconnect.
inline void plugRefusingDesk(DisplayManagerHarness& desk) {
    auto northwind = DisplayManagerHarness::snapshot(1, "4268-41234-0");
    northwind.modelName = "Northwind 27Q";
    auto southgate = DisplayManagerHarness::snapshot(2, "7789-9010-SG24-0042", false);
    southgate.modelName = "Southgate 24";
    desk.ddc.plugIn(northwind, 40);
    desk.ddc.plugIn(southgate, 0);
    desk.ddc.failingConnectionChanges.insert(1);
}

// Flips the first connection switch in the window and lets the refused change end.
inline void flipFirstSwitch(QWidget& window, DisplayManagerHarness& desk) {
    QTest::mouseClick(window.findChild<ToggleSwitch*>(QStringLiteral("connectionSwitch")), Qt::LeftButton);
    desk.queue.advanceBy(std::chrono::seconds(2));
}

// The settings window's pages and states, the diagnostics, the About window and the update dialog.
void shootSettingsWindows(const Shooter& shooter);

}  // namespace lumadesk
