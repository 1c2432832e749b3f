#pragma once

#include "platform/DescriptorWatching.h"

namespace lumadesk {

// Watches descriptors on Qt's event loop.
class QtDescriptorWatching final : public DescriptorWatching {
public:
    std::unique_ptr<DescriptorWatch> watch(int descriptor, std::function<void()> readable) override;
};

}  // namespace lumadesk
