#pragma once

#include "interface/DisplayRowCallbacks.h"
#include "interface/logic/BrightnessSliderState.h"
#include "interface/logic/ConnectionSwitchState.h"
#include "interface/logic/DisplayRowContext.h"
#include "interface/logic/RenameFlow.h"
#include "registry/Display.h"
#include "runtime/MainQueue.h"

#include <QWidget>

#include <vector>

class QLabel;
class QLineEdit;

namespace lumadesk {

class ConnectionStatusView;
class ContinuousSlider;
class ElidedLabel;
class PlainButton;
class SymbolView;
class ToggleSwitch;

// One display: its brightness slider, its connection switch with the state of a running or failed
// change, and, in the settings window, its name with the rename field. It holds a copy of the
// display and only the state of the user's interaction; every change goes to the callbacks.
class DisplayRowView : public QWidget {
    Q_OBJECT

public:
    DisplayRowView(Display display, DisplayRowContext context, DisplayRowCallbacks callbacks,
                   MainQueue& queue, QWidget* parent = nullptr);

    const Display& display() const { return m_display; }
    // A fresh copy of the display, with callbacks bound to it.
    void setDisplay(Display display, DisplayRowCallbacks callbacks);

    const RenameFlow& renameFlow() const { return m_rename; }
    // The row's controls in the order Tab visits them: as laid out, top to bottom, left to right.
    std::vector<QWidget*> tabOrder() const;
    // Opens the name field (the pencil and a double click on the name do this); settings only.
    void beginRename();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildPopoverLayout();
    void buildSettingsLayout();
    QWidget* buildNameBlock();
    void nameParts();
    void connectControls();
    void refresh();
    void refreshName();
    void refreshSlider();
    void writeBrightness(int level);
    void commitRename();
    void cancelRename();
    void setHovering(bool hovering);

    Display m_display;
    DisplayRowContext m_context;
    DisplayRowCallbacks m_callbacks;
    MainQueue& m_queue;
    BrightnessSliderState m_slider;
    ConnectionSwitchState m_connection;
    RenameFlow m_rename;
    bool m_isHovering = false;

    // Owned through the widget tree; the settings-only ones stay null in the popover.
    SymbolView* m_icon = nullptr;
    SymbolView* m_dragHandle = nullptr;
    ElidedLabel* m_nameLabel = nullptr;
    QLabel* m_modelNameLabel = nullptr;
    PlainButton* m_renameButton = nullptr;
    QWidget* m_nameBlock = nullptr;
    QLineEdit* m_nameField = nullptr;
    ConnectionStatusView* m_status = nullptr;
    ToggleSwitch* m_switch = nullptr;
    QWidget* m_sliderLine = nullptr;
    ContinuousSlider* m_brightnessSlider = nullptr;
    QLabel* m_levelLabel = nullptr;
};

}  // namespace lumadesk
