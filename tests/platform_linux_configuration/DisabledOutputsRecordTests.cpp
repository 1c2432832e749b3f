#include "platform/linux/configuration/DisabledOutputsRecord.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/linux/configuration/OutputConfigurationTransactions.h"
#include "platform_linux_configuration/FakeOutputBackend.h"
#include "support/TemporaryDirectory.h"

namespace lumadesk {
namespace {

TEST(DisabledOutputsRecordTest, TheNextStartBringsBackWhatARunLeftOff) {
    const TemporaryDirectory directory;
    const DisabledOutputsRecord record(directory.path() / "lumadesk" / DisabledOutputsRecord::fileName);
    FakeOutputBackend backend;
    {
        // A run disables two outputs, brings one back and is killed.
        OutputConfigurationTransactions transactions(
            backend,
            [](DisplayID id) {
                return OutputIdentity{id == 3 ? "DP-1" : "HDMI-A-1", {0, 0xFF, std::uint8_t(id)}};
            },
            &record);
        for (const auto& [id, enabled] : {std::pair{3u, false}, {4u, false}, {3u, true}}) {
            const auto configuration = *transactions.beginConfiguration().configuration;
            transactions.configureDisplayEnabled(configuration, id, enabled);
            ASSERT_EQ(transactions.completeConfiguration(configuration, ConfigureOption::forSession),
                      windowServerSuccess);
        }
    }
    EXPECT_EQ(record.load(), (std::vector<OutputIdentity>{{"HDMI-A-1", {0, 0xFF, 4}}}));

    // The next start cannot bring it back yet: it stays recorded.
    backend.applied.clear();
    backend.failureMessage = "not now";
    restoreLeftOverOutputs(backend, record);
    EXPECT_EQ(backend.applied, (std::vector<std::string>{"HDMI-A-1 on", "HDMI-A-1 on"}));
    EXPECT_EQ(record.load().size(), 1u);

    backend.failureMessage.reset();
    restoreLeftOverOutputs(backend, record);
    EXPECT_TRUE(record.load().empty());
    EXPECT_FALSE(std::filesystem::exists(directory.path() / "lumadesk" / DisabledOutputsRecord::fileName));

    // A damaged file is read as nothing left off.
    std::ofstream(directory.path() / "lumadesk" / DisabledOutputsRecord::fileName) << "{\"outputs\": [";
    backend.applied.clear();
    restoreLeftOverOutputs(backend, record);
    EXPECT_TRUE(backend.applied.empty());
}

}  // namespace
}  // namespace lumadesk
