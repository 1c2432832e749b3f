#include <gtest/gtest.h>

#include <regex>

#include "hardware/SystemDisplaySnapshotProvider.h"
#include "platform/ScreenList.h"
#include "support/FakeAVService.h"
#include "support/FakeDisplayRegistry.h"
#include "support/FakeWindowServer.h"
#include "support/TestEDID.h"

using namespace lumadesk;

namespace {

// The screens added, in order; the provider asks for nothing else.
struct FakeScreenList final : ScreenList {
    std::vector<Screen> screens() override { return screenList; }
    std::optional<Screen> mainScreen() override { return std::nullopt; }
    ScreenPoint pointerLocation() override { return {}; }
    void add(DisplayID displayID, std::string name) {
        screenList.push_back({{}, displayID, std::move(name)});
    }
    std::vector<Screen> screenList;
};

constexpr std::uint32_t vendor = 4268;
constexpr std::uint32_t product = 41234;

struct ProviderHarness {
    FakeWindowServer windowServer;
    FakeScreenList screens;
    FakeDisplayRegistry registry;
    FakeAVServiceLocator locator;
    SystemDisplaySnapshotProvider provider{windowServer, screens, registry, locator};

    // An external monitor of the usual model on the unit.
    void addMonitor(DisplayID displayID, std::uint32_t serial, std::uint32_t unit) {
        windowServer.addDisplay(
            {.displayID = displayID, .vendor = vendor, .model = product, .serial = serial, .unit = unit});
    }
    // A registry service for the unit, with an entry ID of 100 + unit.
    std::uint64_t addService(std::uint32_t unit) {
        registry.serviceEntries[unit] = 100 + unit;
        return 100 + unit;
    }
    // An AV service for the display that answers EDID reads with the bytes.
    std::shared_ptr<FakeAVService> addAVService(DisplayID displayID, std::vector<std::uint8_t> edid) {
        auto service = std::make_shared<FakeAVService>();
        service->reply = {ioSuccess, std::move(edid)};
        locator.services[displayID] = service;
        return service;
    }
};

}  // namespace

TEST(SystemDisplaySnapshotProvider, ManagesOnlyExternalUnmirroredDisplaysOfOtherVendorsOnRealScreens) {
    ProviderHarness h;
    h.windowServer.addDisplay({.displayID = 1, .isBuiltin = true, .vendor = 1552});
    h.addMonitor(2, 11, 1);
    h.windowServer.addDisplay({.displayID = 3, .mirrorsDisplay = 2, .vendor = vendor, .serial = 12});
    h.windowServer.addDisplay({.displayID = 4, .vendor = 1552, .model = 44});  // the platform maker's
    h.addMonitor(5, 13, 2);
    h.addMonitor(6, 14, 3);
    h.addMonitor(7, 15, 4);
    h.screens.add(5, "Tablet Virtual Display");
    h.screens.add(6, "virtual");  // the test is case-sensitive
    // Display 7 has no screen and is kept.
    EXPECT_EQ(h.provider.onlineDisplayIDs(), (std::vector<DisplayID>{2, 6, 7}));

    h.windowServer.onlineListError = 1001;
    EXPECT_TRUE(h.provider.onlineDisplayIDs().empty());
}

TEST(SystemDisplaySnapshotProvider, DescribesADisplayByVendorProductSerialAndName) {
    ProviderHarness h;
    h.windowServer.addDisplay({.displayID = 1, .isBuiltin = true, .vendor = 1552});
    h.addMonitor(2, 12345, 1);
    h.addMonitor(3, 1, 2);
    h.screens.add(2, "Model A");
    DisplaySnapshot expected{.displayID = 2,
                             .hardwareID = "4268-41234-12345",
                             .modelName = "Model A",
                             .vendorID = vendor,
                             .productID = product,
                             .serialNumber = "12345"};
    EXPECT_EQ(h.provider.snapshot(2), expected);
    // Without any name the display is named after vendor and product; a built-in one is not described.
    EXPECT_EQ(h.provider.snapshot(3)->modelName, "Display 4268-41234");
    EXPECT_FALSE(h.provider.snapshot(1));
}

TEST(SystemDisplaySnapshotProvider, PlaceholderSerialsFallBackToTheEDIDSerialText) {
    ProviderHarness h;
    h.addMonitor(2, 16843009, 1);  // 0x01010101
    h.addMonitor(3, 16843010, 2);
    h.addMonitor(4, 0xFFFFFFFF, 3);
    h.addMonitor(5, 0, 4);
    h.registry.edids[h.addService(1)] = TestEDID::withSerialText(vendor, product, "ABC123\n");
    h.registry.edids[h.addService(3)] = TestEDID::withSerialText(vendor, product, "XYZ\n");

    EXPECT_EQ(h.provider.snapshot(2)->hardwareID, "4268-41234-ABC123");
    EXPECT_EQ(h.provider.snapshot(2)->serialNumber, std::nullopt);
    EXPECT_EQ(h.provider.snapshot(3)->hardwareID, "4268-41234-16843010");
    EXPECT_EQ(h.provider.snapshot(3)->serialNumber, "16843010");
    EXPECT_EQ(h.provider.snapshot(4)->hardwareID, "4268-41234-XYZ");
    EXPECT_EQ(h.provider.snapshot(5)->hardwareID, "4268-41234");  // no EDID anywhere
    EXPECT_EQ(h.registry.outstandingServices, 0);
}

TEST(SystemDisplaySnapshotProvider, TheEDIDSerialComesOverI2CWhenTheRegistryHasNone) {
    ProviderHarness h;
    h.addMonitor(2, 0, 1);
    h.addMonitor(3, 0, 2);
    h.addMonitor(4, 0, 3);
    // The registry EDID of display 2 has no serial descriptor: the AV service is asked next.
    h.registry.edids[h.addService(1)] = TestEDID::block(vendor, product, 0);
    const auto service = h.addAVService(2, TestEDID::withSerialText(vendor, product, "AV-77"));
    auto notAnEDID = TestEDID::withSerialText(vendor, product, "NOPE");
    notAnEDID[1] = 0x00;
    h.addAVService(3, notAnEDID);
    h.addAVService(4, TestEDID::withSerialText(vendor, product, "LOST"))->reply.result = 1;

    EXPECT_EQ(h.provider.snapshot(2)->hardwareID, "4268-41234-AV-77");
    EXPECT_EQ(service->reads, (std::vector<FakeAVService::Read>{{0x50, 0, 128, {}}}));
    EXPECT_EQ(h.provider.snapshot(3)->hardwareID, "4268-41234");
    EXPECT_EQ(h.provider.snapshot(4)->hardwareID, "4268-41234");
}

TEST(SystemDisplaySnapshotProvider, NamesComeFromTheScreenElseFromTheRegistry) {
    ProviderHarness h;
    // Screen names lose only a trailing number in brackets, which the system adds to identical monitors.
    h.screens.add(2, "Model B (2)");
    h.screens.add(3, "Studio (Left)");
    h.screens.add(4, "Wide  (12)");
    h.screens.add(5, "Panel (3) Pro");
    EXPECT_EQ(h.provider.displayName(2), "Model B");
    EXPECT_EQ(h.provider.displayName(3), "Studio (Left)");
    EXPECT_EQ(h.provider.displayName(4), "Wide");
    EXPECT_EQ(h.provider.displayName(5), "Panel (3) Pro");

    // The registry's product name: English first, else the first locale, else the plain text.
    for (std::uint32_t unit = 1; unit <= 4; ++unit) h.addMonitor(10 + unit, 1, unit);
    h.registry.names[h.addService(1)] =
        std::vector<LocalizedName>{{"de_DE", "Bildschirm"}, {"en_US", "Screen"}};
    h.registry.names[h.addService(2)] = std::vector<LocalizedName>{{"fr_FR", "Ecran"}, {"de_DE", "Bild"}};
    h.registry.names[h.addService(3)] = std::string("Plain Name");
    h.registry.names[h.addService(4)] = std::vector<LocalizedName>{};
    EXPECT_EQ(h.provider.displayName(11), "Screen");
    EXPECT_EQ(h.provider.displayName(12), "Ecran");
    EXPECT_EQ(h.provider.displayName(13), "Plain Name");
    EXPECT_EQ(h.provider.displayName(14), std::nullopt);
    EXPECT_EQ(h.registry.outstandingServices, 0);
}

TEST(SystemDisplaySnapshotProvider, StripsTheDuplicateCounterInLinearTimeAsTheBracketRuleSays) {
    // The rule, "\\s*\\(\\d+\\)$" removed, checked on every short text over the characters that matter.
    const std::regex trailingCounter(R"(\s*\(\d+\)$)");
    const std::string alphabet = " \t(1)a";
    std::vector<std::string> texts{""};
    for (std::size_t begin = 0; texts.back().size() < 5;) {
        const std::size_t end = texts.size();
        for (std::size_t i = begin; i < end; ++i) {
            for (const char c : alphabet) texts.push_back(texts[i] + c);
        }
        begin = end;
    }
    for (const auto& text : texts) {
        ASSERT_EQ(SystemDisplaySnapshotProvider::withoutDuplicateCounter(text),
                  std::regex_replace(text, trailingCounter, ""))
            << '"' << text << '"';
    }

    // Long and odd names, as a screen may report them, take no stack and keep their meaning.
    const std::string spaces(30'000, ' ');
    EXPECT_EQ(SystemDisplaySnapshotProvider::withoutDuplicateCounter(spaces), spaces);
    EXPECT_EQ(SystemDisplaySnapshotProvider::withoutDuplicateCounter("A" + spaces + "(7)"), "A");
    EXPECT_EQ(
        SystemDisplaySnapshotProvider::withoutDuplicateCounter(spaces + "(" + std::string(30'000, '9') + ")"),
        "");
    EXPECT_EQ(SystemDisplaySnapshotProvider::withoutDuplicateCounter("Wide (1) (2)"), "Wide (1)");
    ProviderHarness h;
    h.screens.add(2, spaces);
    EXPECT_EQ(h.provider.displayName(2), spaces);
}

TEST(SystemDisplaySnapshotProvider, TakesTheFirstNonBlankSerialDescriptorTrimmedAndWithoutLineFeeds) {
    auto edid = TestEDID::withSerialText(vendor, product, "  AB12\n   ");
    EXPECT_EQ(SystemDisplaySnapshotProvider::serialText(edid), "AB12");
    TestEDID::setTextDescriptor(edid, 0, 0xFF, "\tA\nB C\n");
    EXPECT_EQ(SystemDisplaySnapshotProvider::serialText(edid), "AB C");
    EXPECT_EQ(SystemDisplaySnapshotProvider::serialText(std::span(edid).first(127)), std::nullopt) << "short";

    // Blank and non-ASCII serial descriptors and other tags are passed over for the next serial descriptor.
    TestEDID::setTextDescriptor(edid, 0, 0xFF, "             ");
    TestEDID::setTextDescriptor(edid, 1, 0xFC, "NAME");
    TestEDID::setTextDescriptor(edid, 2, 0xFF, "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(SystemDisplaySnapshotProvider::serialText(edid), std::nullopt);
    TestEDID::setTextDescriptor(edid, 3, 0xFF, "SECOND\n");
    EXPECT_EQ(SystemDisplaySnapshotProvider::serialText(edid), "SECOND");
    // A serial text that fills all 13 bytes, with no line feed or padding, is taken whole.
    TestEDID::setTextDescriptor(edid, 3, 0xFF, "ABCDEFGHIJKLM");
    EXPECT_EQ(SystemDisplaySnapshotProvider::serialText(edid), "ABCDEFGHIJKLM");
    edid[108 + 2] = 0x01;  // not a display descriptor any more
    EXPECT_EQ(SystemDisplaySnapshotProvider::serialText(edid), std::nullopt);
}
