#pragma once

#include <filesystem>
#include <memory>
#include <vector>

struct libevdev;

namespace lumadesk {

// One key change of an input device: its kernel key code and value (0 up, 1 down, 2 autorepeat).
struct InputKeyEvent {
    unsigned code = 0;
    int value = 0;

    friend bool operator==(const InputKeyEvent&, const InputKeyEvent&) = default;
};

// One opened input device, read without grabbing it.
class InputDevice {
public:
    virtual ~InputDevice() = default;
    InputDevice() = default;
    InputDevice(const InputDevice&) = delete;
    InputDevice& operator=(const InputDevice&) = delete;

    // The descriptor that becomes readable when events wait.
    virtual int descriptor() const = 0;
    // Whether the device has a brightness-up or brightness-down key.
    virtual bool reportsBrightnessKeys() const = 0;
    // Appends every waiting key event; 0 once nothing more waits, else the negative errno (-ENODEV: the
    // device is gone).
    virtual int read(std::vector<InputKeyEvent>& events) = 0;
};

// Opens input device nodes for reading.
class InputDeviceOpening {
public:
    virtual ~InputDeviceOpening() = default;
    InputDeviceOpening() = default;
    InputDeviceOpening(const InputDeviceOpening&) = delete;
    InputDeviceOpening& operator=(const InputDeviceOpening&) = delete;

    // The opened device; none, with the errno in `error`, when it cannot be opened.
    virtual std::unique_ptr<InputDevice> open(const std::filesystem::path& node, int& error) = 0;
};

// The kernel's evdev nodes, read through libevdev.
class LibevdevDevices final : public InputDeviceOpening {
public:
    std::unique_ptr<InputDevice> open(const std::filesystem::path& node, int& error) override;
};

// Whether a device's capabilities include a brightness key.
bool hasBrightnessKeys(const libevdev* device);

}  // namespace lumadesk
