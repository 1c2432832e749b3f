#pragma once

#include <functional>
#include <string>
#include <vector>

#include "interface/logic/GlobalBrightnessSync.h"
#include "interface/logic/PlatformStatus.h"
#include "interface/logic/PopoverContent.h"
#include "interface/logic/PopoverRefresh.h"
#include "registry/DisplayManager.h"
#include "runtime/MainQueue.h"

#include <QWidget>

class QPushButton;
class QScrollArea;

namespace lumadesk {

class ActivationBlocker;
class AllDisplaysCard;
class DisplayManagerSignals;
class DisplayRowList;
class ErrorStrip;
class OverlayScrollBar;
class PopoverFooter;
class PopoverHeader;
class Updater;
struct DisplayRowCallbacks;

// What the popover's footer buttons do beyond the manager, and where it reads the platform's problems
// (shown under the manager's error; absent: none). An absent `openSettings` disables "Settings".
struct PopoverActions {
    std::function<void()> openSettings;
    std::function<void()> quit;
    std::function<std::vector<std::string>()> platformProblems;
};

// The window under the tray icon: the display count and refresh, the all-displays card, the rows, the
// manager's last error with the platform's problems, and the footer. It shows what the manager holds and sends every change through
// the manager's operations.
class MenuBarPopover : public QWidget {
    Q_OBJECT

public:
    static constexpr int popoverWidth = 340;

    MenuBarPopover(DisplayManager& manager, Updater& updater, MainQueue& queue, PopoverActions actions,
                   QWidget* parent = nullptr);
    ~MenuBarPopover() override;

    PopoverContentState contentState() const { return m_content.state(); }
    const PopoverHeader& header() const { return *m_header; }
    const AllDisplaysCard& card() const { return *m_card; }
    const DisplayRowList& rowList() const { return *m_rows; }
    const QScrollArea& listArea() const { return *m_listArea; }
    // The slim indicator over the list's right edge; shown only while the list scrolls.
    const OverlayScrollBar& scrollIndicator() const { return *m_scrollIndicator; }
    const ErrorStrip& errorStrip() const { return *m_errorStrip; }
    const PopoverFooter& footer() const { return *m_footer; }
    const QWidget& loadingView() const { return *m_loadingView; }
    const QWidget& emptyView() const { return *m_emptyView; }
    const QPushButton& emptyRefreshButton() const { return *m_emptyRefreshButton; }
    const GlobalBrightnessSync& globalBrightness() const { return m_globalBrightness; }
    bool isRefreshing() const { return m_refresh.isRefreshing(); }
    // Starts a refresh of the popover's own unless one runs.
    void refreshDisplays();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildLoadingView();
    QWidget* buildEmptyView();
    QWidget* buildListView();
    DisplayRowCallbacks rowCallbacks(const Display& display);
    void render();
    void renderRefreshing();
    void applyTabOrder();
    void renderErrorStrip();
    void syncGlobalBrightness();
    void fitHeight();

    DisplayManager& m_manager;
    Updater& m_updater;
    MainQueue& m_queue;
    PopoverActions m_actions;
    PopoverContent m_content{false, {}};
    PopoverRefresh m_refresh;
    GlobalBrightnessSync m_globalBrightness;
    // The platform's problems change with refreshes that leave the list as it was.
    Subscription m_refreshes;

    // Owned through the object tree.
    DisplayManagerSignals* m_signals;
    PopoverHeader* m_header = nullptr;
    QWidget* m_loadingView = nullptr;
    QWidget* m_emptyView = nullptr;
    QPushButton* m_emptyRefreshButton = nullptr;
    ActivationBlocker* m_emptyRefreshBlocker = nullptr;
    QWidget* m_listView = nullptr;
    AllDisplaysCard* m_card = nullptr;
    QWidget* m_cardDivider = nullptr;
    QScrollArea* m_listArea = nullptr;
    OverlayScrollBar* m_scrollIndicator = nullptr;
    DisplayRowList* m_rows = nullptr;
    ErrorStrip* m_errorStrip = nullptr;
    PopoverFooter* m_footer = nullptr;
};

}  // namespace lumadesk
