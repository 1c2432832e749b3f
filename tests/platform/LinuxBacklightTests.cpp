#include "platform/linux/LinuxBacklight.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/TemporaryDirectory.h"

using namespace lumadesk;

namespace {

// udev's backlight events as a count the test raises.
struct CountedEvents final : DeviceEvents {
    explicit CountedEvents(int& waiting) : waiting(waiting) {}
    int descriptor() const override { return 42; }
    int drain() override { return std::exchange(waiting, 0); }
    int& waiting;
};

void writeFile(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

// A backlight device under <sys>/class/backlight.
void addBacklight(const std::filesystem::path& sys, const std::string& name, const std::string& type,
                  int actual, int maximum) {
    const auto device = sys / "class/backlight" / name;
    writeFile(device / "type", type + "\n");
    writeFile(device / "actual_brightness", std::to_string(actual) + "\n");
    writeFile(device / "max_brightness", std::to_string(maximum) + "\n");
}

}  // namespace

TEST(LinuxBacklight, ReadsThePreferredDeviceAndTellsOfUdevEvents) {
    TemporaryDirectory root;
    const auto sys = root.path() / "sys";
    int waiting = 0;
    LinuxBacklight backlight(sys, std::make_unique<CountedEvents>(waiting));
    EXPECT_FALSE(backlight.level()) << "no backlight at all";

    // A raw device is taken only when nothing better is there; the firmware's wins.
    addBacklight(sys, "intel_backlight", "raw", 96000, 96000);
    EXPECT_EQ(backlight.level(), 100);
    addBacklight(sys, "acpi_video0", "firmware", 3, 15);
    EXPECT_EQ(backlight.level(), 20);
    writeFile(sys / "class/backlight/acpi_video0/actual_brightness", "7\n");
    EXPECT_EQ(backlight.level(), 47);
    // Values that make no sense are no level.
    writeFile(sys / "class/backlight/acpi_video0/max_brightness", "0\n");
    EXPECT_FALSE(backlight.level());
    writeFile(sys / "class/backlight/acpi_video0/max_brightness", "15x\n");
    EXPECT_FALSE(backlight.level());

    int told = 0;
    const Subscription subscription = backlight.subscribeToChanges([&] { ++told; });
    const auto watch = backlight.watch();
    ASSERT_TRUE(watch);
    EXPECT_EQ(watch->descriptor, 42);
    waiting = 3;
    watch->readable();
    EXPECT_EQ(told, 1) << "a burst of events is one change";
    watch->readable();
    EXPECT_EQ(told, 1) << "a wake-up without events is none";

    EXPECT_FALSE(LinuxBacklight(sys, nullptr).watch());
}
