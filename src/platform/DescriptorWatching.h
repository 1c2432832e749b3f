#pragma once

#include <functional>
#include <memory>

namespace lumadesk {

// Watching one descriptor; destroying it ends the watch.
class DescriptorWatch {
public:
    virtual ~DescriptorWatch() = default;
    DescriptorWatch() = default;
    DescriptorWatch(const DescriptorWatch&) = delete;
    DescriptorWatch& operator=(const DescriptorWatch&) = delete;
};

// The main thread's event loop as a watcher of descriptors that become readable.
class DescriptorWatching {
public:
    virtual ~DescriptorWatching() = default;
    DescriptorWatching() = default;
    DescriptorWatching(const DescriptorWatching&) = delete;
    DescriptorWatching& operator=(const DescriptorWatching&) = delete;

    // Calls `readable` on the main thread whenever the descriptor has data, until the watch ends.
    [[nodiscard]] virtual std::unique_ptr<DescriptorWatch> watch(int descriptor,
                                                                 std::function<void()> readable) = 0;
};

}  // namespace lumadesk
