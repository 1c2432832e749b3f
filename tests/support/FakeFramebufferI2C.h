#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/FramebufferI2C.h"

namespace lumadesk {

// Framebuffer I2C buses with scripted behaviour; records every request sent, per bus, and how many
// connections are open.
class FakeFramebufferI2C final : public FramebufferI2C {
public:
    struct Bus {
        bool opens = true;
        IOResult sendResult = ioSuccess;      // what the send call returns
        IOResult transferResult = ioSuccess;  // what it leaves in the request's result
        std::vector<std::uint8_t> reply{};    // copied into the reply buffer (and sizing it) when given
    };
    struct Sent {
        std::uint32_t bus;
        I2CRequest request;  // as the transport handed it over
    };

    I2CBusCount busCount(const RegistryService& framebuffer) override {
        if (framebuffer.entryID() != entryID) return {static_cast<IOResult>(0xE00002C2), 0};
        return {busCountResult, static_cast<std::uint32_t>(buses.size())};
    }

    std::unique_ptr<I2CConnection> openBus(const RegistryService& framebuffer, std::uint32_t bus) override {
        opened.push_back(bus);
        if (framebuffer.entryID() != entryID || bus >= buses.size() || !buses[bus].opens) return nullptr;
        return std::make_unique<Connection>(*this, bus);
    }

    std::uint64_t entryID = 1;
    IOResult busCountResult = ioSuccess;
    std::vector<Bus> buses{Bus{}};

    std::vector<std::uint32_t> opened;
    std::vector<Sent> sent;
    int openConnections = 0;

private:
    class Connection final : public I2CConnection {
    public:
        Connection(FakeFramebufferI2C& owner, std::uint32_t bus) : m_owner(owner), m_bus(bus) {
            ++m_owner.openConnections;
        }
        ~Connection() override { --m_owner.openConnections; }

        IOResult send(I2CRequest& request) override {
            m_owner.sent.push_back({m_bus, request});
            const Bus& bus = m_owner.buses[m_bus];
            request.result = bus.transferResult;
            if (!bus.reply.empty()) request.replyBuffer = bus.reply;
            return bus.sendResult;
        }

    private:
        FakeFramebufferI2C& m_owner;
        std::uint32_t m_bus;
    };
};

}  // namespace lumadesk
