#include "runtime/JsonFileDefaults.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <memory>
#include <numeric>
#include <vector>

#include "runtime/VirtualClock.h"
#include "support/TemporaryDirectory.h"

namespace lumadesk {
namespace {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<fs::path> filesStartingWith(const fs::path& directory, const std::string& prefix) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(directory))
        if (entry.path().filename().string().starts_with(prefix)) found.push_back(entry.path());
    return found;
}

Data everyByteValue() {
    Data bytes(256);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{0});
    return bytes;
}

class JsonFileDefaultsTest : public ::testing::Test {
protected:
    fs::path directory() const { return m_temporary.path() / "config" / "lumadesk"; }
    fs::path settingsFile() const { return directory() / "defaults.json"; }
    // VirtualClock's wall time, as the copies of unreadable files are named after it.
    fs::path keptCopy() const { return directory() / "defaults.json.corrupt-20260101T000000Z"; }
    std::unique_ptr<JsonFileDefaults> openDefaults() const {
        return std::make_unique<JsonFileDefaults>(directory(), m_clock);
    }
    // A settings file with the given bytes, as a crash, a bug or a person may leave it.
    void placeSettingsFile(std::string_view bytes) const {
        fs::create_directories(directory());
        writeBytes(settingsFile(), bytes);
    }

    TemporaryDirectory m_temporary;
    VirtualClock m_clock;
};

// Round trips and sharing between instances.

TEST_F(JsonFileDefaultsTest, KeepsEveryTypeExactlyAcrossInstances) {
    const std::vector<std::pair<std::string, DefaultsValue>> values = {
        {"on", true},
        {"off", false},
        {"smallest", std::numeric_limits<std::int64_t>::min()},
        {"largest", std::numeric_limits<std::int64_t>::max()},
        {"three as double", 3.0},
        {"tenth", 0.1},
        {"negative zero", -0.0},
        {"tiny", std::numeric_limits<double>::denorm_min()},
        {"huge", std::numeric_limits<double>::max()},
        {"infinity", std::numeric_limits<double>::infinity()},
        {"minus infinity", -std::numeric_limits<double>::infinity()},
        {"text", std::string("Desk \"Left\" \xC3\xA9\xE2\x98\x80 \\ \n")},
        {"text with NUL", std::string("a\0b", 3)},
        {"empty text", std::string()},
        {"every byte", everyByteValue()},
        {"empty data", Data()},
        {"data that looks like text", Data{'{', '"', '$', '}'}}};
    {
        auto writer = openDefaults();
        for (const auto& [key, value] : values) writer->setValue(key, value);
        writer->setValue("not a number", std::numeric_limits<double>::quiet_NaN());
    }

    auto reader = openDefaults();
    for (const auto& [key, value] : values) EXPECT_EQ(reader->value(key), value) << key;
    EXPECT_FALSE(reader->integerValue("three as double"));
    EXPECT_TRUE(std::signbit(*reader->doubleValue("negative zero")));
    EXPECT_TRUE(std::isnan(reader->doubleValue("not a number").value_or(0)));
    EXPECT_FALSE(reader->lastProblem());
}

TEST_F(JsonFileDefaultsTest, FirstWriteCreatesADirectoryOnlyTheUserCanEnter) {
    // Reading a domain that was never written creates nothing on disk.
    EXPECT_FALSE(openDefaults()->value("brightness"));
    EXPECT_FALSE(fs::exists(m_temporary.path() / "config"));

    openDefaults()->setValue("brightness", std::int64_t{40});
    struct stat status {};
    ASSERT_EQ(::stat(directory().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    EXPECT_EQ(openDefaults()->integerValue("brightness"), 40);
}

TEST_F(JsonFileDefaultsTest, InstancesSeeEachOthersChanges) {
    auto writer = openDefaults();
    auto reader = openDefaults();
    writer->setValue("name", std::string("Left"));
    EXPECT_EQ(reader->stringValue("name"), "Left");
    writer->setValue("name", std::string("Right"));
    EXPECT_EQ(reader->stringValue("name"), "Right");
    writer->removeValue("name");
    EXPECT_FALSE(reader->value("name"));
    EXPECT_FALSE(openDefaults()->value("name"));
}

// Each write merges into what is on disk, not into what its instance loaded earlier.
TEST_F(JsonFileDefaultsTest, TwoProcessesWritingDifferentKeysLoseNothing) {
    constexpr int keysPerProcess = 200;
    openDefaults()->setValue("before", true);
    std::vector<pid_t> children;
    for (int process = 0; process < 2; ++process) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                auto defaults = openDefaults();
                for (int index = 0; index < keysPerProcess; ++index)
                    defaults->setValue("p" + std::to_string(process) + "-" + std::to_string(index),
                                       std::int64_t{index});
                ::_exit(0);
            } catch (...) {
                ::_exit(1);
            }
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    auto reader = openDefaults();
    EXPECT_EQ(reader->boolValue("before"), true);
    for (int process = 0; process < 2; ++process)
        for (int index = 0; index < keysPerProcess; ++index)
            ASSERT_EQ(reader->integerValue("p" + std::to_string(process) + "-" + std::to_string(index)),
                      index);
}

// Files that cannot be parsed or read.

TEST_F(JsonFileDefaultsTest, UnparsableFilesAreKeptAsideByteForByte) {
    const std::vector<std::string> unparsable = {std::string("garbage\0\xFF", 9), "", "[1, 2]",
                                                 R"({"a": null})", R"({"a": {"$data": "not base64!"}})"};
    for (const auto& bytes : unparsable) {
        SCOPED_TRACE(bytes);
        fs::remove_all(directory());
        placeSettingsFile(bytes);

        auto defaults = openDefaults();

        EXPECT_FALSE(defaults->value("a"));
        EXPECT_FALSE(fs::exists(settingsFile()));
        EXPECT_EQ(readBytes(keptCopy()), bytes);
        ASSERT_TRUE(defaults->lastProblem());
        EXPECT_NE(defaults->lastProblem()->find(settingsFile().string() + " could not be read ("),
                  std::string::npos);
        EXPECT_NE(defaults->lastProblem()->find("it was kept as " + keptCopy().string()), std::string::npos);
    }
}

TEST_F(JsonFileDefaultsTest, FileCutOffMidWriteIsKeptAsideWithoutOverwritingAnEarlierCopy) {
    openDefaults()->setValue("displays", everyByteValue());
    const auto whole = readBytes(settingsFile());
    const auto cutOff = whole.substr(0, whole.size() / 2);
    writeBytes(settingsFile(), cutOff);

    auto defaults = openDefaults();
    EXPECT_FALSE(defaults->value("displays"));
    EXPECT_EQ(readBytes(keptCopy()), cutOff);
    // Writing goes on into a fresh file.
    defaults->setValue("brightness", std::int64_t{10});
    EXPECT_EQ(openDefaults()->integerValue("brightness"), 10);

    // A second bad file in the same second gets a copy of its own.
    writeBytes(settingsFile(), "second");
    auto second = openDefaults();
    const auto secondCopy = keptCopy().string() + "-1";
    EXPECT_EQ(readBytes(keptCopy()), cutOff);
    EXPECT_EQ(readBytes(secondCopy), "second");
    EXPECT_NE(second->lastProblem()->find(secondCopy), std::string::npos);
}

TEST_F(JsonFileDefaultsTest, DamageFoundWhileRunningIsSignalledOnce) {
    auto defaults = openDefaults();
    defaults->setValue("kept", true);
    std::vector<std::string> problems;
    auto subscription =
        defaults->observeProblems([&](const std::string& problem) { problems.push_back(problem); });

    writeBytes(settingsFile(), "{\"kept\": tru");

    EXPECT_FALSE(defaults->value("kept"));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(defaults->lastProblem(), problems.front());
    EXPECT_NE(problems.front().find(keptCopy().string()), std::string::npos);
    EXPECT_FALSE(defaults->value("kept"));
    EXPECT_EQ(problems.size(), 1u);
}

// A value the program cannot use is about to be replaced: the file it is in is copied first, once for
// each version of the file however often the value is read, and the problem is told once with it.
TEST_F(JsonFileDefaultsTest, AnUnusableValueIsCopiedOncePerVersionOfTheFile) {
    auto defaults = openDefaults();
    defaults->setValue("displays", std::string("not a list of displays"));
    const auto firstVersion = readBytes(settingsFile());
    std::vector<std::string> problems;
    auto subscription =
        defaults->observeProblems([&](const std::string& problem) { problems.push_back(problem); });

    defaults->keepCopyOfUnusableValue("displays");
    defaults->keepCopyOfUnusableValue("displays");
    EXPECT_EQ(filesStartingWith(directory(), "defaults.json.corrupt-"), std::vector<fs::path>{keptCopy()});
    EXPECT_EQ(readBytes(keptCopy()), firstVersion);
    EXPECT_EQ(problems,
              std::vector<std::string>{"The setting \"displays\" in " + settingsFile().string() +
                                       " is not in the expected form; a copy of the file was kept as " +
                                       keptCopy().string() + " before it is replaced."});

    // Another process writes a new version: that one is copied too.
    openDefaults()->setValue("displays", std::string("still not a list"));
    defaults->keepCopyOfUnusableValue("displays");
    defaults->keepCopyOfUnusableValue("displays");
    EXPECT_EQ(filesStartingWith(directory(), "defaults.json.corrupt-").size(), 2u);
    EXPECT_EQ(readBytes(keptCopy().string() + "-1"), readBytes(settingsFile()));
    EXPECT_EQ(problems.size(), 2u);
}

// Whatever sits in the settings file's place and is not a file to read is refused without blocking or
// reading without end, moved aside like damaged content, and replaced by the next change.
TEST_F(JsonFileDefaultsTest, HostileFilesAreRefusedWithoutBlockingAndMovedAside) {
    const std::vector<std::pair<std::string, std::function<void()>>> cases = {
        {"it is not a regular file", [&] { ASSERT_EQ(::mkfifo(settingsFile().c_str(), 0600), 0); }},
        {"it is not a regular file", [&] { fs::create_symlink("/dev/zero", settingsFile()); }},
        {"it is a directory", [&] { fs::create_directories(settingsFile()); }},
        // Sparse: the test takes no space, and the file must not be read at all.
        {"it is larger than 16 MiB", [&] {
             placeSettingsFile("{}");
             fs::resize_file(settingsFile(), 16 * 1024 * 1024 + 1);
         }}};
    for (const auto& [reason, place] : cases) {
        SCOPED_TRACE(reason);
        fs::remove_all(directory());
        fs::create_directories(directory());
        place();
        auto defaults = openDefaults();
        EXPECT_EQ(defaults->lastProblem(), "The settings file " + settingsFile().string() +
                                               " could not be read (" + reason + "); it was kept as " +
                                               keptCopy().string() +
                                               " and Lumadesk started with default settings.");
        EXPECT_TRUE(fs::exists(fs::symlink_status(keptCopy())));
        defaults->setValue("a", true);
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(settingsFile())));
        EXPECT_EQ(openDefaults()->value("a"), DefaultsValue{true});
    }

    // Integers beyond 64 bits and numbers beyond a double make the file unreadable, as documented.
    for (const std::string number : {"18446744073709551616", "-9223372036854775809", "1e400"}) {
        SCOPED_TRACE(number);
        fs::remove_all(directory());
        placeSettingsFile("{\"a\": " + number + "}");
        auto defaults = openDefaults();
        EXPECT_FALSE(defaults->value("a"));
        EXPECT_EQ(readBytes(keptCopy()), "{\"a\": " + number + "}");
    }
}

TEST_F(JsonFileDefaultsTest, LeftoverTemporaryFileIsIgnoredAndRemovedByTheNextWrite) {
    openDefaults()->setValue("brightness", std::int64_t{70});
    const auto leftover = directory() / "defaults.json.tmp-Ab12Cd";
    writeBytes(leftover, R"({"brightness": 5, "half)");

    auto defaults = openDefaults();
    EXPECT_EQ(defaults->integerValue("brightness"), 70);
    EXPECT_FALSE(defaults->lastProblem());
    defaults->setValue("contrast", std::int64_t{50});

    EXPECT_FALSE(fs::exists(leftover));
    EXPECT_EQ(openDefaults()->integerValue("brightness"), 70);
}

// Makes writes past a size fail with EFBIG, as a full disk would fail them; root is subject to it too.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &oldLimit);
        const rlimit limit{bytes, oldLimit.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &oldLimit);
        std::signal(SIGXFSZ, oldHandler);
    }
    rlimit oldLimit{};
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
};

TEST_F(JsonFileDefaultsTest, FailedWritesLeaveFileValuesAndObserversAsTheyWere) {
    auto defaults = openDefaults();
    defaults->setValue("brightness", std::int64_t{30});
    const auto savedBytes = readBytes(settingsFile());
    int notifications = 0;
    auto subscription = defaults->observe("brightness", [&] { ++notifications; });
    const auto expectNothingChanged = [&] {
        EXPECT_EQ(defaults->integerValue("brightness"), 30);
        EXPECT_EQ(readBytes(settingsFile()), savedBytes);
        EXPECT_TRUE(filesStartingWith(directory(), "defaults.json.tmp-").empty());
        EXPECT_EQ(notifications, 0);
    };

    {
        SCOPED_TRACE("text that is not UTF-8 cannot be written as JSON");
        EXPECT_THROW(defaults->setValue("brightness", std::string("\xFF\xFE")), DefaultsWriteError);
        expectNothingChanged();
    }
    {
        SCOPED_TRACE("a write cut short, as by a full disk");
        {
            FileSizeLimit limit(1);
            EXPECT_THROW(defaults->setValue("brightness", everyByteValue()), DefaultsWriteError);
            EXPECT_THROW(defaults->removeValue("brightness"), DefaultsWriteError);
        }
        expectNothingChanged();
    }
    if (::geteuid() != 0) {  // root writes into read-only directories
        SCOPED_TRACE("a read-only directory");
        fs::permissions(directory(), fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_THROW(defaults->setValue("brightness", std::int64_t{90}), DefaultsWriteError);
        fs::permissions(directory(), fs::perms::owner_all);
        expectNothingChanged();
    }
    {
        SCOPED_TRACE("a lock that cannot be taken names the file and the system error");
        const auto lockFile = directory() / "defaults.json.lock";
        fs::remove(lockFile);
        fs::create_directory(lockFile);  // opening a directory for writing fails, for root too
        try {
            defaults->setValue("brightness", std::int64_t{90});
            ADD_FAILURE() << "the write succeeded";
        } catch (const DefaultsWriteError& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find(settingsFile().string()), std::string::npos) << message;
            EXPECT_NE(message.find("Is a directory"), std::string::npos) << message;
        }
        expectNothingChanged();
    }
}

TEST_F(JsonFileDefaultsTest, NotifiesOnlyObserversOfTheChangedKey) {
    auto defaults = openDefaults();
    std::map<std::string, int> notifications;
    std::vector<Subscription> subscriptions;
    for (const std::string key : {"a", "b"})
        subscriptions.push_back(defaults->observe(key, [&notifications, key] { ++notifications[key]; }));
    // An observer may write again from inside its notification.
    subscriptions.push_back(defaults->observe("a", [&] { defaults->setValue("c", std::int64_t{2}); }));

    defaults->setValue("a", std::int64_t{1});
    EXPECT_EQ(notifications, (std::map<std::string, int>{{"a", 1}}));
    EXPECT_EQ(openDefaults()->integerValue("c"), 2);
    defaults->removeValue("b");  // nothing to remove, nothing changed
    EXPECT_EQ(notifications, (std::map<std::string, int>{{"a", 1}}));
    defaults->removeValue("a");
    EXPECT_EQ(notifications, (std::map<std::string, int>{{"a", 2}}));
}

}  // namespace
}  // namespace lumadesk
