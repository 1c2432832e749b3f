#pragma once

#include <memory>

#include "platform/AVService.h"
#include "platform/DisplayID.h"

namespace lumadesk {

// Finds the AV service that drives a display.
class AVServiceLocating {
public:
    virtual ~AVServiceLocating() = default;
    AVServiceLocating() = default;
    AVServiceLocating(const AVServiceLocating&) = delete;
    AVServiceLocating& operator=(const AVServiceLocating&) = delete;

    // The display's AV service; null when none matches. The caller's reference keeps it open.
    virtual std::shared_ptr<AVService> avService(DisplayID displayID) = 0;
};

}  // namespace lumadesk
