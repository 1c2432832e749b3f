#include <gtest/gtest.h>

#include <libevdev/libevdev.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <deque>
#include <fstream>
#include <map>

#include "keys/BrightnessKeyHandler.h"
#include "platform/linux/keys/EvdevBrightnessKeys.h"
#include "platform/linux/keys/SessionPermissionServices.h"
#include "platform/linux/keys/X11KeyboardEvents.h"
#include "support/PolledDescriptors.h"
#include "support/TemporaryDirectory.h"

using namespace lumadesk;

namespace {

// What a fake device will report: its queued key events, then the failure of its next read.
struct FakeDeviceState {
    bool brightness = true;
    int openError = 0;
    std::deque<InputKeyEvent> queued;
    int failure = 0;
    int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    bool open = false;

    ~FakeDeviceState() { ::close(fd); }
    // Makes the device readable with these events, then, if given, the failure.
    void send(std::initializer_list<InputKeyEvent> events, int readFailure = 0) {
        queued.insert(queued.end(), events);
        failure = readFailure;
        const std::uint64_t one = 1;
        ASSERT_EQ(::write(fd, &one, sizeof one), static_cast<ssize_t>(sizeof one));
    }
};

class FakeDevice final : public InputDevice {
public:
    explicit FakeDevice(FakeDeviceState& state) : m_state(state) { m_state.open = true; }
    ~FakeDevice() override { m_state.open = false; }
    int descriptor() const override { return m_state.fd; }
    bool reportsBrightnessKeys() const override { return m_state.brightness; }
    int read(std::vector<InputKeyEvent>& events) override {
        std::uint64_t count = 0;
        (void)::read(m_state.fd, &count, sizeof count);
        events.insert(events.end(), m_state.queued.begin(), m_state.queued.end());
        m_state.queued.clear();
        return m_state.failure;
    }

private:
    FakeDeviceState& m_state;
};

// Opens the fake devices of a real directory's nodes by their path.
struct FakeInputDevices final : InputDeviceOpening {
    std::unique_ptr<InputDevice> open(const std::filesystem::path& node, int& error) override {
        const auto found = devices.find(node.filename().string());
        if (found == devices.end()) {
            error = ENOENT;
            return nullptr;
        }
        if (found->second.openError != 0) {
            error = found->second.openError;
            return nullptr;
        }
        return std::make_unique<FakeDevice>(found->second);
    }
    std::map<std::string, FakeDeviceState> devices;
};

class EvdevKeys : public testing::Test {
protected:
    // A node in the directory, served by a fake device.
    FakeDeviceState& plug(const std::string& name, bool brightness = true, int openError = 0) {
        auto& state = devices.devices[name];
        state.brightness = brightness;
        state.openError = openError;
        std::ofstream(directory.path() / name).put('\n');
        return state;
    }
    int open() {
        return keys.open([this](const HIDInputValue& value) { seen.push_back(value); });
    }

    TemporaryDirectory directory;
    FakeInputDevices devices;
    PolledDescriptors descriptors;
    EvdevBrightnessKeys keys{descriptors, devices, directory.path()};
    std::vector<HIDInputValue> seen;
};

std::vector<std::pair<std::uint32_t, std::int64_t>> usages(const std::vector<HIDInputValue>& values) {
    std::vector<std::pair<std::uint32_t, std::int64_t>> result;
    for (const auto& value : values) {
        EXPECT_EQ(value.usagePage, 0x0CU);
        result.emplace_back(value.usage, value.value);
    }
    return result;
}

using Usages = std::vector<std::pair<std::uint32_t, std::int64_t>>;

}  // namespace

TEST(InputDeviceCapabilities, ADeviceCountsWhenItHasEitherBrightnessKey) {
    const auto make = [](std::initializer_list<unsigned> codes) {
        std::unique_ptr<libevdev, void (*)(libevdev*)> device(libevdev_new(), libevdev_free);
        libevdev_enable_event_type(device.get(), EV_KEY);
        for (const unsigned code : codes) libevdev_enable_event_code(device.get(), EV_KEY, code, nullptr);
        return device;
    };
    EXPECT_TRUE(hasBrightnessKeys(make({KEY_A, KEY_BRIGHTNESSUP}).get()));
    EXPECT_TRUE(hasBrightnessKeys(make({KEY_BRIGHTNESSDOWN}).get()));
    EXPECT_FALSE(hasBrightnessKeys(make({KEY_A, KEY_VOLUMEUP, KEY_KBDILLUMUP}).get()));

    // Real nodes: a missing one and a file that is no input device are refused with their errno.
    TemporaryDirectory directory;
    std::ofstream(directory.path() / "event0").put('\n');
    LibevdevDevices real;
    int error = 0;
    EXPECT_EQ(real.open(directory.path() / "event9", error), nullptr);
    EXPECT_EQ(error, ENOENT);
    error = 0;
    EXPECT_EQ(real.open(directory.path() / "event0", error), nullptr);
    EXPECT_NE(error, 0);
}

TEST_F(EvdevKeys, ReadsOnlyDevicesWithBrightnessKeysAndReportsTheirConsumerUsages) {
    auto& keyboard = plug("event0");
    auto& mouse = plug("event1", false);
    plug("mouse0");  // not an event node: never opened
    ASSERT_EQ(open(), 0);
    EXPECT_EQ(keys.deviceCount(), 1U);
    EXPECT_TRUE(keyboard.open);
    EXPECT_FALSE(mouse.open);
    EXPECT_TRUE(keys.anyReadable());

    keyboard.send({{KEY_BRIGHTNESSUP, 1}, {KEY_A, 1}, {KEY_BRIGHTNESSUP, 2}, {KEY_BRIGHTNESSUP, 0},
                   {KEY_BRIGHTNESSDOWN, 1}, {KEY_BRIGHTNESSDOWN, 0}});
    descriptors.pump(1, 0);
    EXPECT_EQ(usages(seen), (Usages{{0x6F, 1}, {0x6F, 2}, {0x6F, 0}, {0x70, 1}, {0x70, 0}}));

    // The handler's table: 1 and 2 press, 0 releases.
    const auto reports = [&] {
        std::vector<BrightnessKeyReport> result;
        for (const auto& value : seen) result.push_back(*BrightnessKeyHandler::decodeHIDValue(value));
        return result;
    }();
    EXPECT_EQ(reports[0], (BrightnessKeyReport{BrightnessKeySource::hidIncrease, 6, true}));
    EXPECT_EQ(reports[1], (BrightnessKeyReport{BrightnessKeySource::hidIncrease, 6, true}));
    EXPECT_EQ(reports[2], (BrightnessKeyReport{BrightnessKeySource::hidIncrease, 6, false}));
    EXPECT_EQ(reports[3], (BrightnessKeyReport{BrightnessKeySource::hidDecrease, -6, true}));

    keys.close();
    EXPECT_FALSE(keyboard.open);
    EXPECT_TRUE(descriptors.entries.empty());
}

TEST_F(EvdevKeys, PluggedDevicesArePickedUpAndUnpluggedOnesLetGoOfTheirKeys) {
    plug("event0", false);
    ASSERT_EQ(open(), 0);  // readable, just no brightness keys yet: waits for one
    EXPECT_EQ(keys.deviceCount(), 0U);

    auto& dock = plug("event4");
    descriptors.pump(1, 0);
    ASSERT_EQ(keys.deviceCount(), 1U);
    dock.send({{KEY_BRIGHTNESSDOWN, 1}});
    descriptors.pump(1, 0);

    // A node udev has not opened to the user yet is tried again when its permissions change.
    auto& late = plug("event5", true, EACCES);
    descriptors.pump(1, 0);
    EXPECT_EQ(keys.deviceCount(), 1U);
    late.openError = 0;
    std::filesystem::permissions(directory.path() / "event5", std::filesystem::perms::others_read,
                                 std::filesystem::perm_options::add);
    descriptors.pump(1, 0);
    EXPECT_EQ(keys.deviceCount(), 2U);
    EXPECT_TRUE(late.open);

    // Unplugged while brightness down was held: its release is reported.
    std::filesystem::remove(directory.path() / "event4");
    descriptors.pump(1, 0);
    EXPECT_EQ(keys.deviceCount(), 1U);
    EXPECT_FALSE(dock.open);
    EXPECT_EQ(usages(seen), (Usages{{0x70, 1}, {0x70, 0}}));
}

TEST_F(EvdevKeys, ADeviceThatVanishesMidReadIsDroppedAndItsHeldKeyReleased) {
    auto& keyboard = plug("event0");
    ASSERT_EQ(open(), 0);
    keyboard.send({{KEY_BRIGHTNESSUP, 1}, {KEY_BRIGHTNESSUP, 2}});
    descriptors.pump(1, 0);
    keyboard.send({{KEY_BRIGHTNESSUP, 2}}, -ENODEV);
    descriptors.pump(3, 0);
    EXPECT_EQ(usages(seen), (Usages{{0x6F, 1}, {0x6F, 2}, {0x6F, 2}, {0x6F, 0}}));
    EXPECT_EQ(keys.deviceCount(), 0U);
    EXPECT_FALSE(keyboard.open);
    // Only the directory is watched now: nothing keeps firing for the dead device.
    EXPECT_EQ(descriptors.entries.size(), 1U);
}

TEST_F(EvdevKeys, WithoutAccessToInputDevicesThePathIsAbsentAndThatIsNoError) {
    plug("event0", true, EACCES);
    plug("event1", false, EACCES);
    EXPECT_FALSE(keys.anyReadable());
    EXPECT_EQ(open(), EACCES);
    EXPECT_TRUE(descriptors.entries.empty());

    // Through the keyboard seam, as the key handler sees it, and as the permission the user is shown.
    X11KeyboardEvents keyboard(descriptors, nullptr, false, &keys);
    EXPECT_EQ(keyboard.openHIDMonitor([](const HIDInputValue&) {}), EACCES);
    keyboard.closeHIDMonitor();
    std::vector<std::string> told;
    SessionPermissionServices permissions(false, keys,
                                          [&](const std::string& message) { told.push_back(message); });
    EXPECT_FALSE(permissions.inputMonitoringGranted());
    permissions.requestInputMonitoring();
    ASSERT_EQ(told.size(), 1U);
    EXPECT_NE(told[0].find("sudo usermod -aG input $USER, then log in again"), std::string::npos);

    devices.devices["event0"].openError = 0;
    EXPECT_TRUE(permissions.inputMonitoringGranted());
    EXPECT_EQ(keyboard.openHIDMonitor([](const HIDInputValue&) {}), 0);

    // Opened but without brightness keys, or no devices at all: not granted, and nothing to ask for.
    devices.devices["event0"].brightness = false;
    devices.devices["event1"].openError = 0;
    EXPECT_FALSE(permissions.inputMonitoringGranted());
    permissions.requestInputMonitoring();
    EXPECT_EQ(told.size(), 1U);

    // A directory that does not exist is absent too.
    EvdevBrightnessKeys nowhere(descriptors, devices, directory.path() / "missing");
    EXPECT_EQ(nowhere.open([](const HIDInputValue&) {}), ENOENT);
}
