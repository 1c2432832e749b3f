#pragma once

#include <poll.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "platform/DescriptorWatching.h"

namespace lumadesk {

// Watches descriptors by hand: a test pumps them after each change it makes. A watch may end from its
// own callback, as with the program's event loop.
struct PolledDescriptors final : DescriptorWatching {
    struct Entry final : DescriptorWatch {
        Entry(PolledDescriptors& owner, int fd, std::function<void()> readable)
            : owner(owner), fd(fd), readable(std::move(readable)) {
            owner.entries.push_back(this);
        }
        ~Entry() override { std::erase(owner.entries, this); }
        PolledDescriptors& owner;
        int fd;
        std::function<void()> readable;
    };
    std::unique_ptr<DescriptorWatch> watch(int fd, std::function<void()> readable) override {
        return std::make_unique<Entry>(*this, fd, std::move(readable));
    }
    // Calls every watch whose descriptor is readable within `timeoutMs`, `rounds` times over.
    void pump(int rounds = 20, int timeoutMs = 50) {
        for (int round = 0; round < rounds; ++round) {
            for (auto* entry : std::vector(entries)) {
                if (std::ranges::find(entries, entry) == entries.end()) continue;  // ended meanwhile
                pollfd p{entry->fd, POLLIN, 0};
                if (poll(&p, 1, timeoutMs) <= 0) continue;
                const auto readable = entry->readable;  // outlives an entry that ends itself
                readable();
            }
        }
    }
    std::vector<Entry*> entries;
};

}  // namespace lumadesk
