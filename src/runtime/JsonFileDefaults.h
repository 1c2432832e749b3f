#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "runtime/AtomicFile.h"
#include "runtime/Clock.h"
#include "runtime/DefaultsFileFormat.h"
#include "runtime/FileSnapshot.h"
#include "runtime/Signal.h"
#include "runtime/UserDefaults.h"

namespace lumadesk {

// User defaults kept in a file of a directory (defaults.json unless named otherwise) and shared safely
// by several Lumadesk processes: every write re-reads the file under an exclusive lock, so that changes
// other processes made to other keys survive, and replaces the file atomically. Reads come from memory, refreshed whenever
// the file changed on disk. A file that cannot be parsed is kept aside and reported, never
// overwritten. Used from the main thread only.
class JsonFileDefaults final : public UserDefaults {
public:
    // The settings file of the real desk.
    static constexpr const char* defaultFileName = "defaults.json";

    // Reads <directory>/<fileName> if there is one; the clock dates the copies of unreadable files.
    JsonFileDefaults(std::filesystem::path directory, const Clock& clock,
                     const std::string& fileName = defaultFileName);

    std::optional<DefaultsValue> value(const std::string& key) const override;
    void setValue(const std::string& key, DefaultsValue value) override;
    void removeValue(const std::string& key) override;
    void keepCopyOfUnusableValue(const std::string& key) override;

    // The settings file.
    const std::filesystem::path& filePath() const { return m_file.target(); }
    // The latest problem with the settings file, in words for the user.
    const std::optional<std::string>& lastProblem() const { return m_lastProblem; }
    // Calls back with the message each time a problem with the settings file is found.
    [[nodiscard]] Subscription observeProblems(std::function<void(const std::string&)> callback);

private:
    // The file's values as read under the lock, and what went wrong on the way.
    struct LockedRead {
        DefaultsMap values;
        std::optional<FileIdentity> identity;
        std::optional<std::string> problem;
    };
    // Changes the values in place; false when nothing changed.
    using Edit = std::function<bool(DefaultsMap&)>;

    void reloadIfChanged() const;
    void reload() const;
    void recoverFromCorruptFile(const std::string& reason) const;
    LockedRead readUnderLock() const;
    void change(const std::string& key, const Edit& edit);
    bool saveChange(const Edit& edit, std::optional<std::string>& problem);
    void adopt(DefaultsMap values, std::optional<FileIdentity> identity) const;
    void report(const std::optional<std::string>& problem) const;

    std::filesystem::path m_directory;
    std::filesystem::path m_lockPath;
    AtomicFile m_file;
    const Clock& m_clock;
    // What the file held when last read; reads refresh it, hence mutable.
    mutable DefaultsMap m_values;
    mutable std::optional<FileIdentity> m_identity;
    mutable std::optional<std::string> m_lastProblem;
    // The version of the file last kept as a copy because of an unusable value.
    std::optional<FileIdentity> m_copiedIdentity;
    Signal<std::string> m_problems;
};

}  // namespace lumadesk
