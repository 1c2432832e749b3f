#include "platform/AVService.h"

namespace lumadesk {

namespace {

// An exchange of the service's own reads and writes, for a channel nothing else uses.
class PlainExchange final : public AVServiceExchange {
public:
    PlainExchange(AVService& service, std::uint8_t chipAddress)
        : m_service(service), m_chipAddress(chipAddress) {}

    IOResult write(std::uint8_t dataAddress, std::span<const std::uint8_t> buffer) override {
        return m_service.writeI2C(m_chipAddress, dataAddress, buffer);
    }
    IOResult read(std::span<std::uint8_t> buffer) override {
        return m_service.readI2C(m_chipAddress, 0, buffer);
    }

private:
    AVService& m_service;
    std::uint8_t m_chipAddress;
};

}  // namespace

std::unique_ptr<AVServiceExchange> AVService::openExchange(std::uint8_t chipAddress, IOResult& result) {
    result = ioSuccess;
    return std::make_unique<PlainExchange>(*this, chipAddress);
}

}  // namespace lumadesk
