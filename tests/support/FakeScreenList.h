#pragma once

#include <optional>
#include <vector>

#include "platform/ScreenList.h"

namespace lumadesk {

// A screen list with settable screens; the first screen is the main one.
class FakeScreenList final : public ScreenList {
public:
    std::vector<Screen> screens() override { return screenList; }
    std::optional<Screen> mainScreen() override {
        if (screenList.empty()) return std::nullopt;
        return screenList.front();
    }
    ScreenPoint pointerLocation() override { return pointer; }

    // Adds a screen showing the display.
    void add(DisplayID displayID, std::string name) { screenList.push_back({{}, displayID, std::move(name)}); }

    std::vector<Screen> screenList;
    ScreenPoint pointer;
};

}  // namespace lumadesk
