#pragma once

#include <memory>
#include <string>
#include <vector>

#include "keys/BrightnessHUD.h"
#include "platform/ScreenList.h"

namespace lumadesk {

// Screens and a pointer that a test sets.
struct FakeScreenList final : ScreenList {
    std::vector<Screen> screens() override { return screenList; }
    std::optional<Screen> mainScreen() override {
        if (screenList.empty()) return std::nullopt;
        return screenList.front();
    }
    ScreenPoint pointerLocation() override { return pointer; }

    std::vector<Screen> screenList{
        {.frame = {0, 0, 1920, 1080}, .displayID = 1, .localizedName = "Left", .availableFrame = {}},
        {.frame = {1920, 0, 2560, 1440}, .displayID = 2, .localizedName = "Right", .availableFrame = {}}};
    ScreenPoint pointer{100, 100};
};

// The panel's window as a log of what it was told: "move 1602,32", "front", "out".
struct RecordingPanel final : BrightnessHUDPanel {
    explicit RecordingPanel(std::vector<std::string>& log) : log(log) {}
    void moveTo(ScreenPoint origin) override {
        log.push_back("move " + std::to_string(static_cast<int>(origin.x)) + "," +
                      std::to_string(static_cast<int>(origin.y)));
    }
    void orderFront() override { log.emplace_back("front"); }
    void orderOut() override { log.emplace_back("out"); }
    std::vector<std::string>& log;
};

// A factory of recording panels that counts the panels it made.
struct RecordingPanels {
    std::vector<std::string> log;
    int made = 0;
    BrightnessHUD::MakePanel factory() {
        return [this](BrightnessHUDState&, ScreenFrame) {
            ++made;
            return std::make_unique<RecordingPanel>(log);
        };
    }
};

}  // namespace lumadesk
