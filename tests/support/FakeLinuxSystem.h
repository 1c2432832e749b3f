#pragma once

#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/LinuxSystem.h"
#include "platform/simulated/SimulatedMonitor.h"
#include "support/TemporaryDirectory.h"

namespace lumadesk {

// A Linux machine in a temporary directory: a sysfs tree built with the helpers below and i2c-dev nodes
// served by fake buses, on which simulated monitors answer byte for byte. Records every node opened and
// every transfer made without the node's lock. The nodes are real files and their flocks real ones, so
// another party (the test, another process) can contend for them with flock(2) itself.
class FakeLinuxSystem final : public LinuxSystem {
public:
    // A fake /dev/i2c-N: the monitor on it (none: nothing answers) and its faults.
    struct Bus {
        std::shared_ptr<SimulatedMonitor> monitor;
        int openError = 0;                     // errno of every open (EACCES: no permission)
        int transferError = 0;                 // errno of every read and write (ENXIO, ENODEV, EIO, ...)
        bool lockedElsewhere = false;          // another program holds its flock
        int selectError = 0;                   // errno of I2C_SLAVE (EBUSY: a kernel driver has the chip)
        std::optional<std::size_t> readLimit;  // reads return at most this many bytes
        // Writes take at most this many bytes.
        std::optional<std::size_t> writeLimit;
        // Runs after each write the monitor took, as the next read or open begins: another program acting
        // on the bus between a request and the read of its reply.
        std::function<void()> afterWrite;
    };

    ~FakeLinuxSystem() override {
        for (const auto& [descriptor, file] : m_open) ::close(file.node);
    }

    const std::filesystem::path& root() const override { return m_root.path(); }

    // --- the sysfs tree ---

    // A PCI device under /sys/devices with its class ("0x030000") and driver.
    std::filesystem::path addPciDevice(const std::string& slot, const std::string& deviceClass,
                                       const std::string& driver) {
        const auto device = sys() / "devices/pci0000:00" / slot;
        write(device / "class", deviceClass + "\n");
        const auto driverDirectory = sys() / "bus/pci/drivers" / driver;
        std::filesystem::create_directories(driverDirectory);
        std::filesystem::create_directory_symlink(driverDirectory, device / "driver");
        return device;
    }

    // An I2C adapter i2c-<bus> beneath the parent, listed in /sys/bus/i2c/devices, with an i2c-dev node
    // unless told otherwise; the node is served by the returned fake bus.
    Bus& addAdapter(const std::filesystem::path& parent, unsigned bus, const std::string& name,
                    bool withNode = true) {
        const std::string busName = "i2c-" + std::to_string(bus);
        const auto adapter = parent / busName;
        write(adapter / "name", name + "\n");
        std::filesystem::create_directories(sys() / "bus/i2c/devices");
        std::filesystem::create_directory_symlink(adapter, sys() / "bus/i2c/devices" / busName);
        if (!withNode) return m_nodeless;
        std::filesystem::create_directories(adapter / "i2c-dev" / busName);
        std::filesystem::create_directories(sys() / "class/i2c-dev");
        std::filesystem::create_directory_symlink(adapter / "i2c-dev" / busName,
                                                  sys() / "class/i2c-dev" / busName);
        write(dev() / busName, "");
        return m_buses[dev() / busName];
    }

    // A DRM connector card<card>-<name> of the PCI device, listed in /sys/class/drm.
    std::filesystem::path addConnector(const std::filesystem::path& pciDevice, unsigned card,
                                       const std::string& name, unsigned connectorID, bool connected,
                                       const std::vector<std::uint8_t>& edid = {}, bool enabled = true) {
        const std::string cardName = "card" + std::to_string(card);
        const auto connector = pciDevice / "drm" / cardName / (cardName + "-" + name);
        write(connector / "status", connected ? "connected\n" : "disconnected\n");
        write(connector / "enabled", enabled ? "enabled\n" : "disabled\n");
        write(connector / "connector_id", std::to_string(connectorID) + "\n");
        write(connector / "edid", std::string(edid.begin(), edid.end()));
        std::filesystem::create_directories(sys() / "class/drm");
        std::filesystem::create_directory_symlink(connector, sys() / "class/drm" / connector.filename());
        return connector;
    }

    // Links the adapter to an HDMI/DVI connector as its "ddc".
    void linkDDC(const std::filesystem::path& connector, const std::filesystem::path& adapter) {
        std::filesystem::create_directory_symlink(adapter, connector / "ddc");
    }

    static void write(const std::filesystem::path& file, const std::string& text) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }

    // The fake node /dev/i2c-<bus> of an adapter added before.
    Bus& bus(unsigned number) { return m_buses.at(dev() / ("i2c-" + std::to_string(number))); }

    // --- device events ---

    // The kernel's events on connectors and nodes as udev hands them on: the test raises them, the
    // platform's watch takes them. Unreachable: udev cannot be reached (a container without netlink).
    struct DeviceEventQueue {
        static constexpr int descriptor = 99;  // below every node's descriptor
        bool reachable = true;
        int waiting = 0;
    };
    DeviceEventQueue& deviceEvents() { return m_deviceEvents; }

    // --- what happened ---

    std::vector<std::filesystem::path> opened() const {
        std::lock_guard lock(m_mutex);
        return m_opened;
    }
    // Transfers made on a descriptor that did not hold the node's lock.
    int unlockedTransfers() const {
        std::lock_guard lock(m_mutex);
        return m_unlockedTransfers;
    }
    // Descriptors opened and not closed.
    std::size_t openDescriptors() const {
        std::lock_guard lock(m_mutex);
        return m_open.size();
    }

    // --- the system calls ---

    int open(const std::filesystem::path& path, int) override {
        runAfterWrite();
        std::lock_guard lock(m_mutex);
        m_opened.push_back(path);
        const auto bus = m_buses.find(path);
        if (bus == m_buses.end()) return fail(ENOENT);
        if (bus->second.openError) return fail(bus->second.openError);
        m_open[++m_lastDescriptor] = {&bus->second, 0, false, ::open(path.c_str(), O_RDWR | O_CLOEXEC)};
        return m_lastDescriptor;
    }
    int ioctl(int descriptor, unsigned long request, unsigned long argument) override {
        std::lock_guard lock(m_mutex);
        auto* file = find(descriptor);
        if (!file || request != I2C_SLAVE || argument > 0x7F) return fail(EINVAL);
        if (file->bus->selectError) return fail(file->bus->selectError);
        file->address = static_cast<std::uint8_t>(argument);
        return 0;
    }
    ssize_t write(int descriptor, std::span<const std::uint8_t> bytes) override {
        std::lock_guard lock(m_mutex);
        auto* file = transferTarget(descriptor);
        if (!file) return -1;
        if (file->bus->writeLimit) bytes = bytes.first(std::min(bytes.size(), *file->bus->writeLimit));
        if (file->address == SimulatedMonitor::edidAddress && bytes.size() == 1)
            file->bus->eepromOffset = bytes[0];
        if (file->bus->monitor->write(file->address, bytes) != ioSuccess) return fail(ENXIO);
        m_afterWrite = file->bus->afterWrite;
        return static_cast<ssize_t>(bytes.size());
    }
    ssize_t read(int descriptor, std::span<std::uint8_t> buffer) override {
        runAfterWrite();
        std::lock_guard lock(m_mutex);
        auto* file = transferTarget(descriptor);
        if (!file) return -1;
        if (file->bus->readLimit) buffer = buffer.first(std::min(buffer.size(), *file->bus->readLimit));
        if (file->bus->monitor->read(file->address, file->bus->eepromOffset, buffer) != ioSuccess)
            return fail(ENXIO);
        return static_cast<ssize_t>(buffer.size());
    }
    int flock(int descriptor, int operation) override {
        std::lock_guard lock(m_mutex);
        auto* file = find(descriptor);
        if (!file) return fail(EBADF);
        if ((operation & LOCK_EX) && file->bus->lockedElsewhere) return fail(EWOULDBLOCK);
        if (::flock(file->node, operation) != 0) return -1;
        file->locked = (operation & LOCK_EX) != 0;
        return 0;
    }
    int close(int descriptor) override {
        std::lock_guard lock(m_mutex);
        const auto file = m_open.find(descriptor);
        if (file == m_open.end()) return fail(EBADF);
        ::close(file->second.node);  // which lets go of its flock
        m_open.erase(file);
        return 0;
    }
    std::unique_ptr<DeviceEvents> watchDevices() override {
        if (!m_deviceEvents.reachable) return nullptr;
        return std::make_unique<FakeDeviceEvents>(m_deviceEvents);
    }

private:
    class FakeDeviceEvents final : public DeviceEvents {
    public:
        explicit FakeDeviceEvents(DeviceEventQueue& queue) : m_queue(queue) {}
        int descriptor() const override { return DeviceEventQueue::descriptor; }
        int drain() override { return std::exchange(m_queue.waiting, 0); }

    private:
        DeviceEventQueue& m_queue;
    };

    struct BusState : Bus {
        std::uint8_t eepromOffset = 0;
    };
    struct OpenFile {
        BusState* bus = nullptr;
        std::uint8_t address = 0;
        bool locked = false;
        int node = -1;  // the node's real file, which carries the flock
    };

    void runAfterWrite() {
        std::function<void()> pending;
        {
            std::lock_guard lock(m_mutex);
            pending = std::exchange(m_afterWrite, nullptr);
        }
        if (pending) pending();
    }
    static int fail(int error) {
        errno = error;
        return -1;
    }
    // The open file a read or write goes to, counting it when unlocked; null (errno set) when the
    // transfer fails before reaching a monitor.
    OpenFile* transferTarget(int descriptor) {
        auto* file = find(descriptor);
        const int error = !file                      ? EBADF
                          : file->bus->transferError ? file->bus->transferError
                          : !file->bus->monitor      ? ENXIO
                                                     : 0;
        if (file && !file->locked) ++m_unlockedTransfers;
        if (error == 0) return file;
        fail(error);
        return nullptr;
    }
    OpenFile* find(int descriptor) {
        const auto file = m_open.find(descriptor);
        return file == m_open.end() ? nullptr : &file->second;
    }

    TemporaryDirectory m_root;
    mutable std::mutex m_mutex;
    std::map<std::filesystem::path, BusState> m_buses;
    Bus m_nodeless;  // what an adapter without a node gets to configure; never reached
    std::map<int, OpenFile> m_open;
    int m_lastDescriptor = 100;
    std::vector<std::filesystem::path> m_opened;
    int m_unlockedTransfers = 0;
    std::function<void()> m_afterWrite;  // due before the next read or open
    DeviceEventQueue m_deviceEvents;
};

}  // namespace lumadesk
