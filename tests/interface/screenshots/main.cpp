// Renders the popover in its states and rows of the settings context through the real widgets, on Qt's
// offscreen platform, to PNG files for the documentation. Usage: lumadesk_screenshots <directory>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>

#include "assembly/DisplayStack.h"
#include "interface/DisplayRowView.h"
#include "interface/MenuBarItem.h"
#include "interface/MenuBarPopover.h"
#include "interface/SymbolIcons.h"
#include "interface/ToggleSwitch.h"
#include "interface/Updater.h"
#include "interface/screenshots/Shooter.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/RunSync.h"
#include "runtime/VirtualSleeper.h"
#include "support/DisplayManagerHarness.h"
#include "support/TemporaryDirectory.h"

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <QVBoxLayout>

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

std::unique_ptr<MenuBarPopover> popoverOver(DisplayManager& manager, Updater& updater, MainQueue& queue) {
    PopoverActions actions;
    actions.quit = [] {};
    return std::make_unique<MenuBarPopover>(manager, updater, queue, std::move(actions));
}

void shootLoadingAndEmpty(const Shooter& shooter) {
    DisplayManagerHarness desk;
    Updater updater;
    desk.start();
    auto popover = popoverOver(*desk.manager, updater, desk.queue);
    shooter.save(*popover, QStringLiteral("popover-loading.png"));
    desk.refresh();
    shooter.save(*popover, QStringLiteral("popover-empty.png"));
    popover.reset();
    desk.queue.runUntilIdle();
}

// The built-in simulated desk through the whole stack, as `lumadesk --simulated` shows it.
void shootDefaultDesk(const Shooter& shooter) {
    DefaultDesk desk;
    auto& queue = desk.queue;
    auto& stack = *desk.stack;
    runSync(queue, stack.displayManager().refresh());
    Updater updater;
    auto popover = popoverOver(stack.displayManager(), updater, queue);
    queue.runUntilIdle();
    shooter.save(*popover, QStringLiteral("popover-list.png"));
    // Reached by Tab, as the keyboard user sees it.
    auto* slider =
        popover->findChild<DisplayRowView*>()->findChild<QWidget*>(QStringLiteral("brightnessSlider"));
    slider->setFocus(Qt::TabFocusReason);
    shooter.save(*popover, QStringLiteral("popover-focus.png"));
    slider->clearFocus();
    updater.setUpdateAvailable(true);
    shooter.save(*popover, QStringLiteral("popover-update.png"));
    popover.reset();
}

// A disconnect that the window server refuses: the warning on the row and the message in the strip.
void shootError(const Shooter& shooter) {
    DisplayManagerHarness desk;
    Updater updater;
    plugRefusingDesk(desk);
    desk.start();
    desk.refresh();
    auto popover = popoverOver(*desk.manager, updater, desk.queue);
    popover->show();
    flipFirstSwitch(*popover, desk);
    shooter.save(*popover, QStringLiteral("popover-error.png"));
    popover.reset();
    desk.queue.runUntilIdle();
}

lumadesk::Display display(DisplayID id, std::string hardwareID, std::string model, int brightness) {
    lumadesk::Display made;
    made.id = id;
    made.hardwareID = std::move(hardwareID);
    made.modelName = std::move(model);
    made.brightness = brightness;
    made.supportsDDC = true;
    return made;
}

void shootSettingsRows(const Shooter& shooter) {
    VirtualClock clock;
    ManualMainQueue queue(clock);
    QWidget page;
    page.setFixedWidth(700);
    auto* column = new QVBoxLayout(&page);
    column->setContentsMargins(12, 8, 12, 8);
    column->setSpacing(0);

    auto named = display(1, "4268-41234-0", "Northwind 27Q", 64);
    named.customName = "Left of the desk";
    auto withoutDDC = display(2, "7789-9010-0", "Southgate 24", 0);
    withoutDDC.supportsDDC = false;
    auto disconnected = display(3, "5156-12850-12345", "Eastlake 32", 0);
    disconnected.isConnected = false;
    disconnected.isPresent = false;
    auto renaming = display(4, "1552-44052-7", "Studio 27", 50);

    DisplayRowCallbacks nothing{[](std::optional<std::string>) {}, {}, [](int) -> Task<void> { co_return; }};
    auto* hovered = new DisplayRowView(named, DisplayRowContext::settings, nothing, queue, &page);
    auto* renamed = new DisplayRowView(renaming, DisplayRowContext::settings, nothing, queue, &page);
    column->addWidget(hovered);
    column->addWidget(new DisplayRowView(withoutDDC, DisplayRowContext::settings, nothing, queue, &page));
    column->addWidget(new DisplayRowView(disconnected, DisplayRowContext::settings, nothing, queue, &page));
    column->addWidget(renamed);
    page.show();
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(hovered, &enter);
    renamed->beginRename();
    shooter.save(page, QStringLiteral("settings-rows.png"));
}

// Every symbol the program draws, with its name, to check the drawings at a glance.
void shootSymbols(const Shooter& shooter) {
    const QStringList files = QDir(QStringLiteral(":/symbols")).entryList({QStringLiteral("*.svg")});
    constexpr int columns = 3;
    constexpr int cellWidth = 240;
    constexpr int cellHeight = 44;
    QLabel sheet;
    QPixmap canvas(columns * cellWidth, int((files.size() + columns - 1) / columns) * cellHeight);
    canvas.fill(sheet.palette().color(QPalette::Window));
    QPainter painter(&canvas);
    const QColor ink = sheet.palette().color(QPalette::WindowText);
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString name = files[i].chopped(4);
        const QPoint corner(int(i % columns) * cellWidth + 10, int(i / columns) * cellHeight + 8);
        painter.drawPixmap(corner, SymbolIcons::pixmap(name, 28, ink));
        painter.drawText(QRect(corner + QPoint(38, 0), QSize(cellWidth - 48, 28)), Qt::AlignVCenter, name);
    }
    painter.end();
    sheet.setPixmap(canvas);
    sheet.setFixedSize(canvas.size());
    shooter.save(sheet, QStringLiteral("symbols.png"));
}

// The tray icon as each colour scheme draws it, on a dark and on a light panel: at home on the panel of
// its own scheme, and still visible on the other one.
void shootTrayIcons(const Shooter& shooter) {
    constexpr int cellWidth = 150;
    constexpr int cellHeight = 34;
    constexpr int labelWidth = 110;
    const QColor panels[] = {QColor(36, 36, 38), QColor(236, 236, 236)};
    struct Scheme {
        const char* name;
        QColor window;
    };
    const Scheme schemes[] = {{"Dark scheme", QColor(45, 45, 48)}, {"Light scheme", QColor(239, 239, 239)}};
    QLabel sheet;
    const QColor paper = sheet.palette().color(QPalette::Window);
    QPixmap canvas(labelWidth + 2 * cellWidth, 3 * cellHeight);
    canvas.fill(paper);
    QPainter painter(&canvas);
    painter.drawText(QRect(labelWidth, 0, cellWidth, cellHeight), Qt::AlignCenter,
                     QStringLiteral("Dark panel"));
    painter.drawText(QRect(labelWidth + cellWidth, 0, cellWidth, cellHeight), Qt::AlignCenter,
                     QStringLiteral("Light panel"));
    for (int row = 0; row < 2; ++row) {
        const int y = (row + 1) * cellHeight;
        painter.drawText(QRect(8, y, labelWidth - 8, cellHeight), Qt::AlignVCenter,
                         QString::fromLatin1(schemes[row].name));
        QPalette scheme;
        scheme.setColor(QPalette::Window, schemes[row].window);
        for (int column = 0; column < 2; ++column) {
            const QRect panel(labelWidth + column * cellWidth + 4, y + 3, cellWidth - 8, cellHeight - 6);
            painter.fillRect(panel, panels[column]);
            int x = panel.x() + 12;
            for (const char* symbol : {"display", "display.badge.exclamationmark"}) {
                const QIcon icon =
                    MenuBarItem::drawnIcon(QString::fromLatin1(symbol), scheme, QStringLiteral("KDE"));
                icon.paint(&painter, QRect(x, panel.y() + (panel.height() - 22) / 2, 22, 22));
                x += 34;
            }
        }
    }
    painter.end();
    sheet.setPixmap(canvas);
    sheet.setFixedSize(canvas.size());
    shooter.save(sheet, QStringLiteral("tray-icons.png"));
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc != 2) {
        std::cerr << "Usage: lumadesk_screenshots <directory>\n";
        return 64;
    }
    try {
        std::filesystem::create_directories(argv[1]);
        const Shooter shooter(QString::fromLocal8Bit(argv[1]));
        shootLoadingAndEmpty(shooter);
        shootDefaultDesk(shooter);
        shootError(shooter);
        shootSettingsRows(shooter);
        shootSymbols(shooter);
        shootTrayIcons(shooter);
        shootSettingsWindows(shooter);
    } catch (const std::exception& error) {
        std::cerr << "lumadesk_screenshots: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
