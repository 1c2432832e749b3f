#pragma once

#include "platform/ScreenList.h"

namespace lumadesk {

// The desktop's screens as Qt sees them, for placing windows; the primary screen is the main one.
class QtScreenList final : public ScreenList {
public:
    std::vector<Screen> screens() override;
    std::optional<Screen> mainScreen() override;
    ScreenPoint pointerLocation() override;
};

}  // namespace lumadesk
