#pragma once

#include <chrono>
#include <iostream>
#include <stdexcept>

#include "interface/ToggleSwitch.h"
#include "support/DisplayManagerHarness.h"

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
