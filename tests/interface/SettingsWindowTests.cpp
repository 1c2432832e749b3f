#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "interface/AboutPage.h"
#include "interface/CheckForUpdatesButton.h"
#include "interface/ContinuousSlider.h"
#include "interface/DiagnosticsView.h"
#include "interface/DisplayRowList.h"
#include "interface/DisplayRowView.h"
#include "interface/DisplaysPage.h"
#include "interface/ErrorBanner.h"
#include "interface/GeneralPage.h"
#include "interface/LumadeskApp.h"
#include "interface/MenuBarItem.h"
#include "interface/NoticeRow.h"
#include "interface/PlainButton.h"
#include "interface/RowReorderer.h"
#include "interface/SettingsView.h"
#include "interface/Theme.h"
#include "interface/ToggleSwitch.h"
#include "interface/TrayMenu.h"
#include "interface/Updater.h"
#include "interface/logic/BrightnessControlPicker.h"
#include "keys/KeysFakes.h"
#include "platform/simulated/SimulatedKeyboardEvents.h"
#include "runtime/InMemoryDefaults.h"
#include "support/DisplayManagerHarness.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>

// The settings window, its two pages, the diagnostics and the About window through the real widgets.

using namespace lumadesk;

namespace {

// Grants the test sets, counting what the page asks for.
class FakePermissions final : public KeyboardPermissionControlling {
public:
    KeyboardGrants grants() const override { return m_state.get(); }
    bool refresh() override { return m_state.set(system); }
    void requestAccess() override {
        ++requests;
        refresh();
    }
    Subscription observe(std::function<void()> callback) override {
        return m_state.subscribe([callback = std::move(callback)](const KeyboardGrants&) { callback(); });
    }

    KeyboardGrants system{true, false};
    int requests = 0;

private:
    Observable<KeyboardGrants> m_state{KeyboardGrants{true, false}};
};

// New rows are laid out over a few turns of the event loop: the list's, then its scroll area's.
void settleLayouts() {
    for (int turn = 0; turn < 3; ++turn) QCoreApplication::processEvents();
}

struct SettingsFixture : ::testing::Test {
    DisplayManagerHarness desk;
    FakePermissions permissions;
    int aboutOpened = 0;
    int loginSettingsOpened = 0;

    void plugIn(int count) {
        for (int i = 1; i <= count; ++i)
            desk.ddc.plugIn(
                DisplayManagerHarness::snapshot(static_cast<DisplayID>(i), "10-" + std::to_string(i)),
                40 + i);
    }
    std::unique_ptr<SettingsView> openSettings() {
        GeneralPageActions actions{[this] { ++loginSettingsOpened; }, [this] { ++aboutOpened; }};
        return std::make_unique<SettingsView>(*desk.manager, desk.queue, desk.defaults, permissions,
                                              std::move(actions));
    }
    void TearDown() override { desk.queue.runUntilIdle(); }
};

}  // namespace

// A notice row's explanation line is drawn smaller and lighter than the page's text.
void expectCaptionInSecondary(const NoticeRow& row) {
    const auto* explanation = row.findChild<QLabel*>(QStringLiteral("explanation"));
    ASSERT_NE(explanation, nullptr);
    EXPECT_EQ(explanation->font().pointSizeF(), Theme::font(Theme::TextStyle::caption).pointSizeF());
    EXPECT_LT(explanation->font().pointSizeF(), row.font().pointSizeF());
    EXPECT_EQ(explanation->palette().color(QPalette::WindowText), Theme::secondary(row));
}

TEST_F(SettingsFixture, WindowHasTwoTabsAFixedSizeAndRefreshesEachTimeItAppears) {
    plugIn(2);
    desk.start();
    auto settings = openSettings();
    EXPECT_EQ(settings->size(), QSize(760, 360));
    EXPECT_EQ(settings->minimumSize(), settings->maximumSize());
    ASSERT_EQ(settings->tabs().count(), 2);
    EXPECT_EQ(settings->tabs().tabText(0), "Displays");
    EXPECT_EQ(settings->tabs().tabText(1), "General");
    EXPECT_FALSE(settings->tabs().tabIcon(0).isNull());
    EXPECT_FALSE(settings->tabs().tabIcon(1).isNull());

    EXPECT_FALSE(desk.manager->hasLoaded());
    settings->present();
    desk.queue.runUntilIdle();
    EXPECT_TRUE(desk.manager->hasLoaded()) << "appearing refreshes";
    const auto readsAfterFirst = desk.ddc.reads.size();
    settings->hide();
    settings->present();
    desk.queue.runUntilIdle();
    EXPECT_GT(desk.ddc.reads.size(), readsAfterFirst) << "and again each time";
}

TEST_F(SettingsFixture, DisplaysPageShowsTheTableRenamesReordersAndReportsErrors) {
    desk.start();
    auto settings = openSettings();
    auto& page = settings->displaysPage();
    settings->present();
    EXPECT_EQ(page.content().state(), PopoverContentState::loading);
    desk.queue.runUntilIdle();
    EXPECT_EQ(page.content().state(), PopoverContentState::empty);

    // The empty state's button refreshes, every click anew.
    plugIn(3);
    QTest::mouseClick(const_cast<QPushButton*>(&page.refreshButton()), Qt::LeftButton);
    desk.queue.runUntilIdle();
    EXPECT_EQ(page.content().state(), PopoverContentState::list);
    EXPECT_EQ(page.tableCard().height(), 62 * 3 + 90);
    ASSERT_EQ(page.rowList().rows().size(), 3u);
    EXPECT_EQ(page.allDisplaysLevelText(), "42%") << "the mean of 41, 42 and 43";
    EXPECT_TRUE(page.allDisplaysSlider().isEnabled());

    // A rename reaches the manager at once; blanks around it go, a name of only blanks changes nothing,
    // and a very long one neither fails nor stretches the window.
    const auto rename = [&page](std::size_t index, const QString& text) {
        auto* row = page.rowList().rows()[index];
        row->beginRename();
        auto* field = row->findChild<QLineEdit*>(QStringLiteral("nameField"));
        field->setText(text);
        Q_EMIT field->textEdited(text);
        QTest::keyClick(field, Qt::Key_Return);
    };
    rename(0, QStringLiteral("  Left  "));
    EXPECT_EQ(desk.display("10-1").customName, "Left");
    rename(0, QStringLiteral("   "));
    EXPECT_EQ(desk.display("10-1").customName, "Left");
    rename(0, QString(10000, QLatin1Char('x')));
    EXPECT_EQ(desk.display("10-1").customName.value_or("").size(), 1000u)
        << "names are cut at 1,000 characters";
    EXPECT_EQ(settings->size(), QSize(760, 360));
    rename(0, QStringLiteral("Left"));

    // Dragging the third row over the first shows a line above it, and dropping it there moves it; over
    // itself there is no line and a drop asks for nothing.
    settleLayouts();
    const auto& rows = page.rowList().rows();
    const auto& line = page.reorderer().indicator();
    EXPECT_TRUE(line.isHidden());
    page.reorderer().dragOver(2, rows[0]->geometry().top() + 1);
    EXPECT_FALSE(line.isHidden());
    EXPECT_EQ(line.geometry(), QRect(0, 0, page.rowList().width(), RowReorderer::indicatorHeight));
    page.reorderer().dragOver(0, rows[1]->geometry().center().y() + 1);
    EXPECT_EQ(line.geometry().top() + RowReorderer::indicatorHeight / 2, rows[2]->geometry().top())
        << "the first between the second and third";
    page.reorderer().dragOver(2, rows[2]->geometry().center().y());
    EXPECT_TRUE(line.isHidden()) << "over itself";
    page.reorderer().dragOver(2, rows[0]->geometry().top() + 1);
    page.reorderer().drop(2, rows[0]->geometry().top() + 1);
    EXPECT_TRUE(line.isHidden()) << "gone with the drop";
    EXPECT_EQ(desk.rows(), "10-3 #0 43, 10-1 #1 41 \"Left\", 10-2 #2 42");
    ASSERT_EQ(page.rowList().rows().size(), 3u);
    EXPECT_EQ(page.rowList().rows()[0]->display().hardwareID, "10-3") << "in the manager's new order";
    const auto before = desk.rows();
    QCoreApplication::processEvents();
    page.reorderer().drop(1, page.rowList().rows()[1]->geometry().center().y());
    EXPECT_EQ(desk.rows(), before);

    // A failed connection change shows in the banner until the manager clears it.
    EXPECT_TRUE(page.errorBanner().isHidden());
    desk.ddc.failingConnectionChanges.insert(2);
    auto* toggle = page.rowList().rows()[2]->findChild<ToggleSwitch*>(QStringLiteral("connectionSwitch"));
    QTest::mouseClick(toggle, Qt::LeftButton);
    desk.queue.runUntilIdle();
    EXPECT_FALSE(page.errorBanner().isHidden());
    EXPECT_FALSE(page.errorBanner().message().isEmpty());

    // Opening the page wrote no brightness; a move of the all-displays slider writes every display.
    EXPECT_TRUE(desk.ddc.writes.empty());
    Q_EMIT page.allDisplaysSlider().moved(70.4);
    desk.queue.runUntilIdle();
    EXPECT_EQ(page.allDisplaysLevelText(), "70%");
    EXPECT_EQ(desk.ddc.writes.size(), 3u);
}

namespace {

QRect inWindow(const QWidget& widget) {
    return QRect(widget.mapTo(widget.window(), QPoint(0, 0)), widget.size());
}

// The part of the widget that its parents and the window leave showing, in the window's coordinates.
QRect shownInWindow(const QWidget& widget) {
    QRect shown = inWindow(widget);
    for (const QWidget* parent = widget.parentWidget(); parent; parent = parent->parentWidget()) {
        shown &= inWindow(*parent);
        if (parent->isWindow()) break;
    }
    return shown;
}

}  // namespace

TEST_F(SettingsFixture, TableStaysInsideTheWindowAndItsRowsScrollToTheLastWithManyDisplays) {
    desk.start();
    auto settings = openSettings();
    auto& page = settings->displaysPage();
    settings->present();
    int plugged = 0;
    for (const int count : {4, 8, 50}) {
        SCOPED_TRACE(std::to_string(count) + " displays");
        for (++plugged; plugged <= count; ++plugged)
            desk.ddc.plugIn(DisplayManagerHarness::snapshot(static_cast<DisplayID>(plugged),
                                                            "10-" + std::to_string(plugged)));
        plugged = count;
        desk.refresh();
        settleLayouts();
        ASSERT_EQ(page.rowList().rows().size(), static_cast<std::size_t>(count));

        // The card is whole inside the window, under the padding, and the page itself does not scroll.
        const QWidget& card = page.tableCard();
        EXPECT_EQ(shownInWindow(card), inWindow(card));
        EXPECT_LE(inWindow(card).bottom() + 24, inWindow(page).bottom());
        EXPECT_GE(card.height(), 62 + 90);
        EXPECT_LT(card.height(), 62 * count + 90) << "it gave way to the window";
        EXPECT_EQ(page.tableArea().verticalScrollBar()->maximum(), 0);

        // The rows scroll inside it down to the last, which then shows whole.
        const DisplayRowView& last = *page.rowList().rows().back();
        auto& rows = page.rowArea();
        if (count > 4) {
            EXPECT_GT(rows.verticalScrollBar()->maximum(), 0);
            EXPECT_NE(shownInWindow(last), inWindow(last)) << "below the card before scrolling";
            // A row dragged to the lower edge of what shows of the rows scrolls them on.
            page.reorderer().dragOver(0, rows.viewport()->height() - 4);
            EXPECT_GT(rows.verticalScrollBar()->value(), 0);
            page.reorderer().drop(0, 0);
            EXPECT_EQ(desk.display("10-1").sortOrder, 0) << "dropped onto itself";
        }
        rows.ensureWidgetVisible(page.rowList().rows().back(), 0, 0);
        EXPECT_EQ(shownInWindow(last), inWindow(last));
        EXPECT_EQ(last.display().hardwareID, "10-" + std::to_string(count));
        rows.verticalScrollBar()->setValue(0);
    }

    // With the banner under it the card gives way again; both stay inside the window.
    desk.ddc.failingConnectionChanges.insert(1);
    QTest::mouseClick(page.rowList().rows()[0]->findChild<ToggleSwitch*>(QStringLiteral("connectionSwitch")),
                      Qt::LeftButton);
    desk.queue.runUntilIdle();
    settleLayouts();
    ASSERT_FALSE(page.errorBanner().isHidden());
    EXPECT_EQ(shownInWindow(page.errorBanner()), inWindow(page.errorBanner()));
    EXPECT_EQ(shownInWindow(page.tableCard()), inWindow(page.tableCard()));
    EXPECT_LT(inWindow(page.tableCard()).bottom(), inWindow(page.errorBanner()).top());
}

TEST_F(SettingsFixture, GeneralPageBindsTheSettingsLiveAndShowsWhatIsMissing) {
    plugIn(2);
    desk.loginItems.currentStatus = LoginItemStatus::notRegistered;
    desk.loginItems.statusAfterRegister = LoginItemStatus::requiresApproval;
    desk.start();
    desk.refresh();
    Updater updater;
    QWidget popover;
    MenuBarItem tray(desk.defaults, updater, popover);
    auto settings = openSettings();
    settings->present();
    settings->tabs().setCurrentIndex(1);
    auto& page = settings->generalPage();

    // Turning the tray icon off removes it at once; the window stays.
    EXPECT_TRUE(page.menuBarIconSwitch().isOn());
    QTest::mouseClick(&page.menuBarIconSwitch(), Qt::LeftButton);
    EXPECT_EQ(desk.defaults.boolValue(MenuBarItem::showMenuBarIconKey), false);
    EXPECT_FALSE(tray.isPresent());
    EXPECT_FALSE(page.menuBarIconSwitch().isOn());
    EXPECT_TRUE(settings->isVisible());
    QTest::mouseClick(&page.brightnessHUDSwitch(), Qt::LeftButton);
    EXPECT_EQ(desk.defaults.boolValue(GeneralPage::showBrightnessHUDKey), false);

    // The approval row shows only while the login item awaits approval; launch at login goes through
    // the manager.
    EXPECT_FALSE(page.approvalRow().isHidden());
    EXPECT_EQ(page.approvalRow().text(), "Allow Lumadesk in Login Items to finish setup.");
    expectCaptionInSecondary(page.approvalRow());
    QTest::mouseClick(&page.approvalRow().button(), Qt::LeftButton);
    EXPECT_EQ(loginSettingsOpened, 1);
    desk.loginItems.currentStatus = LoginItemStatus::enabled;
    desk.queue.advanceBy(std::chrono::seconds(3));
    EXPECT_TRUE(page.approvalRow().isHidden());
    EXPECT_TRUE(page.launchAtLoginSwitch().isOn());
    QTest::mouseClick(&page.launchAtLoginSwitch(), Qt::LeftButton);
    EXPECT_FALSE(desk.manager->launchAtLoginEnabled());
    EXPECT_FALSE(page.launchAtLoginSwitch().isOn());

    // The keyboard row: its text; the request, after which a dialog says what to do for the grant still
    // missing (one dialog however often it is asked for); the grants read again when it closes and when
    // the program becomes active again.
    EXPECT_FALSE(page.keyboardRow().isHidden());
    EXPECT_EQ(page.keyboardRow().text(), "Allow Lumadesk in Input Monitoring.");
    expectCaptionInSecondary(page.keyboardRow());
    QTest::mouseClick(&page.keyboardRow().button(), Qt::LeftButton);
    EXPECT_EQ(permissions.requests, 1);
    auto* dialog = page.keyboardAccessDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_EQ(dialog->explanations().size(), 1);
    EXPECT_TRUE(dialog->explanations()[0].contains("Add your user to the input group"));
    ASSERT_EQ(dialog->commandFields().size(), 1u);
    EXPECT_EQ(dialog->commandFields()[0]->text(), "sudo usermod -aG input $USER");
    EXPECT_TRUE(dialog->commandFields()[0]->isReadOnly());
    QTest::mouseClick(dialog->copyButtons()[0], Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "sudo usermod -aG input $USER");
    QTest::mouseClick(&page.keyboardRow().button(), Qt::LeftButton);
    EXPECT_EQ(page.keyboardAccessDialog(), dialog);
    permissions.system = {true, true};
    dialog->accept();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(page.keyboardAccessDialog(), nullptr);
    EXPECT_TRUE(page.keyboardRow().isHidden()) << "read again when the dialog closed";
    permissions.system = {false, true};
    Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_FALSE(page.keyboardRow().isHidden()) << "and when the program became active";
    EXPECT_EQ(page.keyboardRow().text(), "Allow Lumadesk in Accessibility.");
    QTest::mouseClick(&page.keyboardRow().button(), Qt::LeftButton);
    ASSERT_NE(page.keyboardAccessDialog(), nullptr);
    EXPECT_TRUE(page.keyboardAccessDialog()->explanations()[0].startsWith(
        "Brightness keys are owned by the desktop"));
    EXPECT_TRUE(page.keyboardAccessDialog()->commandFields().empty());
    page.keyboardAccessDialog()->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    permissions.system = {true, true};
    Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_TRUE(page.keyboardRow().isHidden());
    QTest::mouseClick(&page.keyboardRow().button(), Qt::LeftButton);
    EXPECT_EQ(page.keyboardAccessDialog(), nullptr) << "nothing missing, nothing to tell";

    // The picker: two fixed entries, a divider, the displays; a choice is stored; a value that matches
    // nothing stays stored and shows unselected.
    auto& picker = page.controlPicker();
    EXPECT_EQ(picker.width(), 210);
    ASSERT_EQ(picker.count(), 5);
    EXPECT_EQ(picker.itemText(0), "All displays");
    EXPECT_EQ(picker.itemText(1), "Display under pointer");
    EXPECT_EQ(picker.itemText(3), "Model 10-1");
    EXPECT_EQ(picker.currentIndex(), 0);
    Q_EMIT picker.activated(4);
    EXPECT_EQ(desk.defaults.stringValue(BrightnessControlPicker::key), "10-2");
    desk.ddc.unplug(2);
    desk.refresh();
    EXPECT_EQ(picker.count(), 4);
    EXPECT_EQ(picker.currentIndex(), -1);
    EXPECT_EQ(desk.defaults.stringValue(BrightnessControlPicker::key), "10-2");
    // A stored value of the wrong type reads as the default, as the brightness keys read it, and stays
    // stored until the user picks an entry.
    desk.defaults.setValue(BrightnessControlPicker::key, std::int64_t{7});
    EXPECT_EQ(picker.currentIndex(), 0);
    EXPECT_EQ(picker.currentText(), "All displays");
    EXPECT_EQ(desk.defaults.value(BrightnessControlPicker::key), DefaultsValue{std::int64_t{7}});
    Q_EMIT picker.activated(1);
    EXPECT_EQ(desk.defaults.stringValue(BrightnessControlPicker::key), "current");

    // The footer: the version, the diagnostics and About.
    EXPECT_TRUE(page.versionText().startsWith("Version "));
    QTest::mouseClick(&page.aboutButton(), Qt::LeftButton);
    EXPECT_EQ(aboutOpened, 1);
    QTest::mouseClick(&page.advancedButton(), Qt::LeftButton);
    ASSERT_NE(page.diagnostics(), nullptr);
    page.rebuild();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(page.diagnostics(), nullptr) << "rebuilding the page closes the sheet";
}

TEST_F(SettingsFixture, DiagnosticsListsRecordsCopiesTheTextAndClosesWithDone) {
    desk.storeRecords({{.hardwareID = "gone",
                        .modelName = "Model gone",
                        .sortOrder = 5,
                        .lastSeenAt = desk.clock.wallNow()}});
    plugIn(1);
    desk.start();
    QWidget window;
    auto* empty = new DiagnosticsView(*desk.manager, &window);
    EXPECT_TRUE(empty->showsEmptyState());
    EXPECT_FALSE(empty->copyButton().isEnabled());
    EXPECT_EQ(empty->footerText(), "0 managed, 0 hidden records");
    desk.refresh();
    EXPECT_FALSE(empty->showsEmptyState()) << "it follows the manager live";
    EXPECT_EQ(empty->size(), QSize(600, 390));
    EXPECT_EQ(empty->footerText(), "1 managed, 1 hidden records");
    EXPECT_TRUE(empty->doneButton().isDefault());

    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::mouseClick(&empty->copyButton(), Qt::LeftButton);
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_EQ(copied.toStdString(), empty->content().copiedText());
    EXPECT_TRUE(copied.startsWith("Name: Model gone\nModel: Model gone\nHardware ID: gone\n"));
    if (QGuiApplication::clipboard()->supportsSelection()) {
        EXPECT_EQ(QGuiApplication::clipboard()->text(QClipboard::Selection), copied);
    }
    empty->open();
    QTest::mouseClick(&empty->doneButton(), Qt::LeftButton);
    EXPECT_FALSE(empty->isVisible());
}

TEST_F(SettingsFixture, AppOpensOneSettingsWindowOneAboutWindowAndOffersThemInTheTrayMenu) {
    plugIn(1);
    desk.start();
    InMemoryDefaults defaults;
    SimulatedKeyboardEvents keyboard;
    SimulatedPermissionServices permissions;
    FakeScreenList screens;
    LumadeskApp app(desk.manager, defaults, desk.queue, {keyboard, permissions, screens, true}, nullptr,
                    std::make_unique<FakePermissions>());
    app.start();
    EXPECT_EQ(app.settingsView(), nullptr) << "made when first opened";
    app.openSettings();
    auto* first = app.settingsView();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    app.openSettings();
    EXPECT_EQ(app.settingsView(), first) << "one settings window";

    app.openAbout();
    auto* about = app.aboutWindow();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->windowTitle(), "About Lumadesk");
    EXPECT_EQ(about->objectName(), "about");
    EXPECT_EQ(about->width(), 390);
    EXPECT_GE(about->height(), 370) << "taller only where the fonts need it";
    EXPECT_EQ(about->minimumSize(), about->maximumSize());
    EXPECT_EQ(about->checkForUpdatesButton().text(), "Check for Updates…");
    app.openAbout();
    EXPECT_EQ(app.aboutWindow(), about) << "one About window";
    first->hide();
    QTest::mouseClick(&about->openSettingsButton(), Qt::LeftButton);
    EXPECT_TRUE(first->isVisible());

    QStringList titles;
    for (auto* action : app.trayMenu().actions()) {
        if (!action->isSeparator()) titles << action->text();
    }
    EXPECT_EQ(titles, QStringList({"About Lumadesk", "Check for Updates…", "Settings…", "Quit Lumadesk"}));
    EXPECT_EQ(app.trayMenu().checkForUpdatesAction().isEnabled(), app.updater().canCheckForUpdates());
    desk.queue.runUntilIdle();
}
