#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <set>

#include "platform/DescriptorWatching.h"
#include "platform/KeyboardEvents.h"
#include "platform/linux/keys/InputDevices.h"

namespace lumadesk {

// The HID path on Linux: every input device under the directory (/dev/input) whose keys include
// brightness up or down is read without grabbing it, so the desktop still sees the keys. Devices
// plugged in later are picked up through inotify on the directory (udev creates the node, then sets
// its permissions: both are seen), devices that go away are dropped, and a key such a device held is
// reported released so no repetition outlives it. Brightness keys are reported as the consumer
// usages the kernel mapped them from (page 0x0C, 0x6F up, 0x70 down).
class EvdevBrightnessKeys {
public:
    static constexpr const char* inputDirectory = "/dev/input";

    // The opener and watcher must outlive this object.
    EvdevBrightnessKeys(DescriptorWatching& watcher, InputDeviceOpening& devices,
                        std::filesystem::path directory = inputDirectory);
    ~EvdevBrightnessKeys();
    EvdevBrightnessKeys(const EvdevBrightnessKeys&) = delete;
    EvdevBrightnessKeys& operator=(const EvdevBrightnessKeys&) = delete;

    // Whether at least one device with brightness keys can be opened for reading.
    bool anyReadable();
    // Whether an event node refused to open for want of permission (so asking for access can help).
    bool accessRefused();
    // Starts reading and following plugged devices; 0 on success, else the errno that leaves the path
    // absent: the directory's, or the refusal of every event node when none could be opened (no access
    // to input devices is no error of the program, only a path it cannot offer).
    int open(KeyboardEvents::HIDCallback callback);
    // Stops reading and closes every device.
    void close();
    // How many devices are being read.
    std::size_t deviceCount() const { return m_readers.size(); }

private:
    struct Reader {
        std::unique_ptr<InputDevice> device;
        std::unique_ptr<DescriptorWatch> watch;
        std::set<unsigned> held;
    };
    class Inotify;

    // Opens the node unless it is read already and keeps it when it has brightness keys; the errno
    // when it could not be opened, else 0.
    int add(const std::filesystem::path& node);
    // Closes the device, reporting the release of every brightness key it held.
    void drop(const std::filesystem::path& node);
    // By value: a device that went away is dropped while its own watch is calling.
    void readDevice(std::filesystem::path node);
    void readDirectoryChanges();

    DescriptorWatching& m_watcher;
    InputDeviceOpening& m_devices;
    std::filesystem::path m_directory;
    KeyboardEvents::HIDCallback m_callback;
    std::map<std::filesystem::path, Reader> m_readers;
    std::unique_ptr<Inotify> m_inotify;
    std::unique_ptr<DescriptorWatch> m_directoryWatch;
};

}  // namespace lumadesk
