#include "platform/linux/configuration/DisabledOutputsRecord.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <functional>

#include "platform/linux/configuration/OutputConfigurationTransactions.h"
#include "platform_linux_configuration/FakeOutputBackend.h"
#include "support/TemporaryDirectory.h"

namespace lumadesk {
namespace {

using Role = OutputHolder::Role;

// A /proc of its own: processes by ID and start, and the boot's ID.
class FakeProc {
public:
    FakeProc() {
        std::filesystem::create_directories(m_root.path() / "sys/kernel/random");
        std::ofstream(m_root.path() / "sys/kernel/random/boot_id") << "boot-2\n";
    }
    void run(int processID, std::uint64_t start, const std::string& name = "lumadesk") const {
        std::filesystem::create_directories(m_root.path() / std::to_string(processID));
        std::ofstream(m_root.path() / std::to_string(processID) / "stat")
            << processID << " (" << name << ") S 1 " << processID
            << " 0 0 -1 4194560 100 0 0 0 5 3 0 0 20 0 4 0 " << start << " 1000 200\n";
    }
    void end(int processID) const { std::filesystem::remove_all(m_root.path() / std::to_string(processID)); }
    ProcessTable table() const { return ProcessTable(m_root.path()); }

private:
    TemporaryDirectory m_root;
};

TEST(OutputHolderTest, ReadsProcessesAndTellsWhatWasLeftBehind) {
    const FakeProc proc;
    proc.run(500, 8123);
    // A name with spaces and parentheses does not shift the fields.
    proc.run(600, 9000, "a (b) c");
    const ProcessTable processes = proc.table();
    EXPECT_EQ(processes.startOf(500), 8123u);
    EXPECT_EQ(processes.startOf(600), 9000u);
    EXPECT_EQ(processes.startOf(700), std::nullopt);
    EXPECT_EQ(processes.bootID(), "boot-2");

    const OutputHolder current{Role::tray, 900, 9999, "boot-2", "c3"};
    struct Case {
        const char* what;
        std::optional<OutputHolder> holder;
        bool leftBehind;
    };
    const Case cases[] = {
        {"a record of an older version", std::nullopt, true},
        {"an earlier boot", OutputHolder{Role::command, 500, 8123, "boot-1", "c3"}, true},
        {"an earlier session", OutputHolder{Role::command, 500, 8123, "boot-2", "c2"}, true},
        {"a tray of an earlier session still running", OutputHolder{Role::tray, 500, 8123, "boot-2", "c2"},
         true},
        {"a command of this session", OutputHolder{Role::command, 400, 10, "boot-2", "c3"}, false},
        {"a command of this session still running", OutputHolder{Role::command, 500, 8123, "boot-2", "c3"},
         false},
        {"a tray of this session that ended", OutputHolder{Role::tray, 400, 10, "boot-2", "c3"}, true},
        {"a tray of this session still running", OutputHolder{Role::tray, 500, 8123, "boot-2", "c3"}, false},
        {"a tray whose ID a later process took", OutputHolder{Role::tray, 500, 7000, "boot-2", "c3"}, true},
    };
    for (const Case& c : cases) EXPECT_EQ(isLeftBehind(c.holder, current, processes), c.leftBehind) << c.what;

    // The real table knows this very process as running.
    const ProcessTable real;
    EXPECT_TRUE(real.isRunning(real.self(Role::command)));
}

TEST(DisabledOutputsRecordTest, TheTraysStartBringsBackWhatWasLeftBehindAndLeavesACommandsChangesOff) {
    const TemporaryDirectory directory;
    const auto file = directory.path() / "lumadesk" / DisabledOutputsRecord::fileName;
    const FakeProc proc;
    proc.run(100, 50);
    proc.run(200, 60);
    const OutputHolder command{Role::command, 100, 50, "boot-2", "c3"};
    const OutputHolder crashedTray{Role::tray, 200, 60, "boot-2", "c3"};
    const auto lookup = [](DisplayID id) {
        return OutputIdentity{id == 3 ? "DP-1" : id == 4 ? "HDMI-A-1" : "DP-2", {0, 0xFF, std::uint8_t(id)}};
    };
    FakeOutputBackend backend;
    const auto change = [](OutputConfigurationTransactions& transactions, DisplayID id, bool enabled) {
        const auto configuration = *transactions.beginConfiguration().configuration;
        transactions.configureDisplayEnabled(configuration, id, enabled);
        return transactions.completeConfiguration(configuration, ConfigureOption::forSession);
    };
    {
        // A command takes DP-1 off; a tray running at the same time takes HDMI-A-1 and DP-2 off, brings
        // DP-2 back, and is killed. Each keeps the other's entries.
        const DisabledOutputsRecord commandRecord(file, command);
        const DisabledOutputsRecord trayRecord(file, crashedTray);
        OutputConfigurationTransactions byCommand(backend, lookup, &commandRecord);
        OutputConfigurationTransactions byTray(backend, lookup, &trayRecord);
        ASSERT_EQ(change(byCommand, 3, false), windowServerSuccess);
        ASSERT_EQ(change(byTray, 4, false), windowServerSuccess);
        ASSERT_EQ(change(byTray, 5, false), windowServerSuccess);
        ASSERT_EQ(change(byTray, 5, true), windowServerSuccess);
    }
    proc.end(100);
    proc.end(200);
    const DisabledOutputsRecord record(file, {Role::tray, 300, 70, "boot-2", "c3"});
    EXPECT_EQ(record.load(), (std::vector<HeldOutput>{{{"DP-1", {0, 0xFF, 3}}, command},
                                                      {{"HDMI-A-1", {0, 0xFF, 4}}, crashedTray}}));

    // The next tray cannot bring the crashed tray's output back yet: it stays recorded as it was.
    backend.applied.clear();
    backend.failureMessage = "not now";
    restoreLeftOverOutputs(backend, record, proc.table());
    EXPECT_EQ(backend.applied, (std::vector<std::string>{"HDMI-A-1 on", "HDMI-A-1 on"}));
    EXPECT_EQ(record.load().size(), 2u);

    // Then it can; the command's DP-1 stays off until logout.
    backend.failureMessage.reset();
    backend.applied.clear();
    restoreLeftOverOutputs(backend, record, proc.table());
    EXPECT_EQ(backend.applied, (std::vector<std::string>{"HDMI-A-1 on"}));
    EXPECT_EQ(record.load(), (std::vector<HeldOutput>{{{"DP-1", {0, 0xFF, 3}}, command}}));

    // In the next session it is left behind too.
    const DisabledOutputsRecord nextSession(file, {Role::tray, 300, 70, "boot-2", "c4"});
    restoreLeftOverOutputs(backend, nextSession, proc.table());
    EXPECT_EQ(backend.applied.back(), "DP-1 on");
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(DisabledOutputsRecordTest, ReadsOlderRecordsAsLeftBehindAndDamagedOnesAsNothing) {
    const TemporaryDirectory directory;
    const auto file = directory.path() / DisabledOutputsRecord::fileName;
    const DisabledOutputsRecord record(file, {Role::tray, 300, 70, "boot-2", "c3"});
    FakeOutputBackend backend;
    std::ofstream(file) << R"({"outputs": [{"connector": "DP-1", "edid": "AP8D"}, {"connector": "DP-2"}]})";
    EXPECT_EQ(record.load(), (std::vector<HeldOutput>{{{"DP-1", {0, 0xFF, 3}}, std::nullopt},
                                                      {{"DP-2", {}}, std::nullopt}}));
    restoreLeftOverOutputs(backend, record, FakeProc().table());
    EXPECT_EQ(backend.applied, (std::vector<std::string>{"DP-1 on, DP-2 on"}));
    EXPECT_FALSE(std::filesystem::exists(file));
}

// Every kind of file that is not a readable record is refused at once (a FIFO is never waited on), set
// aside under a name of its own so that the next write does not lose it, and reported.
TEST(DisabledOutputsRecordTest, SetsAsideAndReportsEveryDamagedRecordWithoutWaitingOnIt) {
    struct Case {
        const char* what;
        std::function<void(const std::filesystem::path&)> plant;
        const char* reason;
    };
    const auto write = [](std::string text) {
        return [text](const std::filesystem::path& file) { std::ofstream(file) << text; };
    };
    const Case cases[] = {
        {"cut short", write(R"({"outputs": [)"), "it is not a record of held displays"},
        {"a holder of the wrong type",
         write(R"({"outputs": [{"connector": "DP-1", "heldBy": {"role": 1}}]})"),
         "it is not a record of held displays"},
        {"a FIFO", [](const std::filesystem::path& file) { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); },
         "it is not a regular file"},
        {"a directory", [](const std::filesystem::path& file) { std::filesystem::create_directory(file); },
         "it is a directory"},
        {"a valid record over the limit",
         [](const std::filesystem::path& file) {
             std::string record = R"({"outputs": [)";
             const std::string entry = R"({"connector": "DP-1", "edid": "AP8D"},)";
             while (record.size() <= DisabledOutputsRecord::sizeLimit) record += entry;
             std::ofstream(file) << record << R"({"connector": "DP-2"}]})";
         },
         "it is larger than 1 MiB"},
    };
    for (const Case& c : cases) {
        const TemporaryDirectory directory;
        const auto file = directory.path() / DisabledOutputsRecord::fileName;
        std::vector<std::string> problems;
        const DisabledOutputsRecord record(
            file, {Role::tray, 300, 70, "boot-2", "c3"},
            [&problems](const std::string& problem) { problems.push_back(problem); });
        c.plant(file);
        FakeOutputBackend backend;
        restoreLeftOverOutputs(backend, record, FakeProc().table());
        EXPECT_TRUE(backend.applied.empty()) << c.what;
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(file))) << c.what;
        std::vector<std::filesystem::path> kept;
        for (const auto& entry : std::filesystem::directory_iterator(directory.path()))
            if (entry.path().filename().string().starts_with(std::string(DisabledOutputsRecord::fileName) +
                                                             ".corrupt-"))
                kept.push_back(entry.path());
        ASSERT_EQ(kept.size(), 1u) << c.what;
        ASSERT_EQ(problems.size(), 1u) << c.what;
        EXPECT_EQ(problems.front(),
                  "The record of displays taken off the desktop, " + file.string() + ", could not be read (" +
                      c.reason + "); it was kept as " + kept.front().string() +
                      ". Displays an earlier run left off the desktop may have to be turned on by hand.")
            << c.what;

        // The next change starts a fresh record next to the one kept aside.
        record.note({{{"DP-3", {1}}, false}});
        EXPECT_EQ(record.load().size(), 1u) << c.what;
        EXPECT_TRUE(std::filesystem::exists(kept.front())) << c.what;
        EXPECT_EQ(problems.size(), 1u) << c.what;
    }
}

TEST(DisabledOutputsRecordTest, KeepsEachOutputsPlaceAndReadsRecordsWithoutOne) {
    const TemporaryDirectory directory;
    const auto file = directory.path() / DisabledOutputsRecord::fileName;
    const DisabledOutputsRecord record(file, {Role::command, 300, 70, "boot-2", "c3"});
    const OutputPlace place{-1920, 120, 2560, 1440, 143.998, 1.25, 3, true};
    record.note({{{"DP-1", {1}}, false}, {{"DP-2", {2}}, false}}, {{"DP-1", place}});
    const auto held = record.load();
    ASSERT_EQ(held.size(), 2u);
    EXPECT_EQ(held[0].place, place);
    EXPECT_EQ(held[1].place, std::nullopt);

    // A record of the version before: no place, read as an output with no place known.
    std::ofstream(file) << R"({"outputs": [{"connector": "DP-1", "edid": "AQ==", "place": {"x": 5}}]})";
    EXPECT_TRUE(record.load().empty()) << "a place without its size is damaged, not half read";
    std::ofstream(file) << R"({"outputs": [{"connector": "DP-1", "edid": "AQ==",
                               "place": {"x": 5, "y": 0, "width": 800, "height": 600}}]})";
    ASSERT_EQ(record.load().size(), 1u);
    EXPECT_EQ(record.load()[0].place, (OutputPlace{5, 0, 800, 600, 0, 1, 0, false}));
}

}  // namespace
}  // namespace lumadesk
