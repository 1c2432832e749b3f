#include "runtime/AtomicFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "support/TemporaryDirectory.h"

namespace lumadesk {
namespace {

namespace fs = std::filesystem;

std::string contentsOf(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) return "(none)";
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

// Flushes for real, and writes down for each flush what was flushed and what the target held at that
// moment; a flush of the temporary file or of the directory fails with the errno set for it.
class RecordingFileSync final : public FileSync {
public:
    explicit RecordingFileSync(fs::path target) : m_target(std::move(target)) {}

    int fsync(int descriptor) override {
        const fs::path flushed = fs::read_symlink("/proc/self/fd/" + std::to_string(descriptor));
        const bool isDirectory = flushed == m_target.parent_path();
        flushes.push_back((isDirectory ? "directory" : describeFile(flushed)) + ", target " +
                          contentsOf(m_target));
        if (const auto error = isDirectory ? directoryError : temporaryError) {
            errno = *error;
            return -1;
        }
        return ::fsync(descriptor);
    }

    std::vector<std::string> flushes;
    std::optional<int> temporaryError;
    std::optional<int> directoryError;

private:
    std::string describeFile(const fs::path& file) const {
        const bool temporary = file.parent_path() == m_target.parent_path() &&
                               file.filename().string().starts_with(m_target.filename().string() + ".tmp-");
        return (temporary ? "temporary " : file.string() + " ") + contentsOf(file);
    }

    fs::path m_target;
};

std::vector<fs::path> leftoverTemporaries(const fs::path& target) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(target.parent_path()))
        if (entry.path().filename().string().starts_with(target.filename().string() + ".tmp-"))
            found.push_back(entry.path());
    return found;
}

// The new content is on disk before the rename makes it the file, and the rename is on disk before the
// replace returns; a flush that fails leaves the old content or reports that the new one may not last.
TEST(AtomicFileTest, ReplacingFlushesTheContentBeforeTheRenameAndTheDirectoryAfterIt) {
    struct Case {
        const char* name;
        std::optional<int> temporaryError;
        std::optional<int> directoryError;
        std::vector<std::string> flushes;
        std::string failure;  // the start of what() when the replace throws
        std::string contentAfter;
    };
    const std::vector<Case> cases{
        {"both flushed", {}, {}, {"temporary new, target old", "directory, target new"}, "", "new"},
        {"the disk refuses the content", EIO, {}, {"temporary new, target old"}, "cannot flush ", "old"},
        // Some file systems cannot flush a directory: there is nothing to wait for.
        {"no directory flush here",
         {},
         EINVAL,
         {"temporary new, target old", "directory, target new"},
         "",
         "new"},
        {"the disk refuses the rename",
         {},
         EIO,
         {"temporary new, target old", "directory, target new"},
         "cannot flush the directory ",
         "new"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        const TemporaryDirectory directory;
        const fs::path target = directory.path() / "defaults.json";
        RecordingFileSync sync(target);
        const AtomicFile file(target, sync);
        file.replace("old");
        sync.flushes.clear();
        sync.temporaryError = testCase.temporaryError;
        sync.directoryError = testCase.directoryError;

        std::string failure;
        try {
            file.replace("new");
        } catch (const std::system_error& error) {
            failure = error.what();
        }
        EXPECT_EQ(sync.flushes, testCase.flushes);
        EXPECT_EQ(failure.substr(0, testCase.failure.size()), testCase.failure);
        EXPECT_EQ(failure.empty(), testCase.failure.empty()) << failure;
        EXPECT_EQ(contentsOf(target), testCase.contentAfter);
        EXPECT_TRUE(leftoverTemporaries(target).empty());
    }
}

// A new file is private to its owner; a replaced one keeps the mode its owner gave it.
TEST(AtomicFileTest, ReplacingKeepsTheFilesMode) {
    const TemporaryDirectory directory;
    const fs::path target = directory.path() / "defaults.json";
    const AtomicFile file(target);
    file.replace("1");
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    for (const auto mode : {fs::perms(0640), fs::perms(0444)}) {
        fs::permissions(target, mode);
        file.replace("2");
        EXPECT_EQ(fs::status(target).permissions(), mode);
    }
}

}  // namespace
}  // namespace lumadesk
