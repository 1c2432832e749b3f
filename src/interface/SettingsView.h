#pragma once

#include "interface/GeneralPage.h"
#include "registry/DisplayManager.h"
#include "runtime/MainQueue.h"

#include <QWidget>

class QTabWidget;

namespace lumadesk {

class DisplaysPage;

// The settings window: the "Displays" and "General" tabs in a fixed 760 × 360 frame. Each time it comes
// on screen it refreshes the displays.
class SettingsView : public QWidget {
    Q_OBJECT

public:
    static constexpr int viewWidth = 760;
    static constexpr int viewHeight = 360;

    SettingsView(DisplayManager& manager, MainQueue& queue, UserDefaults& defaults,
                 KeyboardPermissionControlling& permissions, GeneralPageActions actions,
                 QWidget* parent = nullptr);
    ~SettingsView() override;

    QTabWidget& tabs() const { return *m_tabs; }
    DisplaysPage& displaysPage() const { return *m_displaysPage; }
    GeneralPage& generalPage() const { return *m_generalPage; }
    // Shows the window, or brings it forward and activates it when it is open.
    void present();

protected:
    void showEvent(QShowEvent* event) override;

private:
    DisplayManager& m_manager;
    MainQueue& m_queue;
    QTabWidget* m_tabs;            // owned through the widget tree
    DisplaysPage* m_displaysPage;  // owned through the widget tree
    GeneralPage* m_generalPage;    // owned through the widget tree
};

}  // namespace lumadesk
