#pragma once

#include "interface/logic/DisplaysPageContent.h"
#include "interface/logic/GlobalBrightnessSync.h"
#include "registry/DisplayManager.h"
#include "runtime/MainQueue.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QScrollArea;
class QStackedLayout;

namespace lumadesk {

class ContinuousSlider;
class DisplayManagerSignals;
class DisplayRowList;
class ErrorBanner;
class RowReorderer;
struct DisplayRowCallbacks;

// The first tab of the settings window: every display in a table with its name, slider, level and
// switch, an all-displays line above them, rows that can be renamed and dragged into a new order, and
// the manager's last error under the table. It keeps no display data; every change goes through the
// manager's operations.
class DisplaysPage : public QWidget {
    Q_OBJECT

public:
    DisplaysPage(DisplayManager& manager, MainQueue& queue, QWidget* parent = nullptr);
    ~DisplaysPage() override;

    const DisplaysPageContent& content() const { return m_content; }
    const QWidget& tableCard() const { return *m_tableCard; }
    const DisplayRowList& rowList() const { return *m_rows; }
    // The rows under the card's two fixed lines, scrolling inside the card.
    QScrollArea& rowArea() const { return *m_rowArea; }
    // The table state, scrolling as a whole only where even the smallest card and the banner do not fit.
    QScrollArea& tableArea() const { return *m_tableArea; }
    const ErrorBanner& errorBanner() const { return *m_errorBanner; }
    const QPushButton& refreshButton() const { return *m_refreshButton; }
    ContinuousSlider& allDisplaysSlider() const { return *m_allSlider; }
    QString allDisplaysLevelText() const;
    const GlobalBrightnessSync& globalBrightness() const { return m_globalBrightness; }
    RowReorderer& reorderer() const { return *m_reorderer; }

private:
    QWidget* buildLoadingView();
    QWidget* buildEmptyView();
    QWidget* buildTableView();
    QWidget* buildHeaderLine();
    QWidget* buildAllDisplaysLine();
    DisplayRowCallbacks rowCallbacks(const Display& display);
    void render();
    void renderAllDisplays();
    void syncGlobalBrightness();
    void fitTableCard();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    DisplayManager& m_manager;
    MainQueue& m_queue;
    DisplaysPageContent m_content{false, {}};
    GlobalBrightnessSync m_globalBrightness;

    // Owned through the object tree.
    DisplayManagerSignals* m_signals;
    QStackedLayout* m_states = nullptr;
    QWidget* m_loadingView = nullptr;
    QWidget* m_emptyView = nullptr;
    QScrollArea* m_tableArea = nullptr;
    QWidget* m_tableView = nullptr;
    QPushButton* m_refreshButton = nullptr;
    QWidget* m_tableCard = nullptr;
    ContinuousSlider* m_allSlider = nullptr;
    QLabel* m_allLevel = nullptr;
    QScrollArea* m_rowArea = nullptr;
    DisplayRowList* m_rows = nullptr;
    RowReorderer* m_reorderer = nullptr;
    ErrorBanner* m_errorBanner = nullptr;
};

}  // namespace lumadesk
