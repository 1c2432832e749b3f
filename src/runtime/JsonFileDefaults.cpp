#include "runtime/JsonFileDefaults.h"

#include <system_error>

#include "runtime/ConfigDirectory.h"
#include "runtime/CorruptFileKeeper.h"
#include "runtime/FileLock.h"

namespace lumadesk {

namespace {

std::string keptAsideMessage(const std::filesystem::path& file, const std::string& reason,
                             const std::filesystem::path& kept) {
    return "The settings file " + file.string() + " could not be read (" + reason + "); it was kept as " +
           kept.string() + " and Lumadesk started with default settings.";
}

std::string unreadableMessage(const std::filesystem::path& file, const std::string& reason) {
    return "The settings file " + file.string() + " could not be read (" + reason +
           "); Lumadesk started with default settings.";
}

std::string copiedMessage(const std::string& key, const std::filesystem::path& file,
                          const std::filesystem::path& copy) {
    return "The setting \"" + key + "\" in " + file.string() +
           " is not in the expected form; a copy of the file was kept as " + copy.string() +
           " before it is replaced.";
}

std::string saveFailureMessage(const std::string& key, const std::filesystem::path& file,
                               const std::string& reason) {
    return "The setting \"" + key + "\" could not be saved to " + file.string() + ": " + reason + ".";
}

}  // namespace

JsonFileDefaults::JsonFileDefaults(std::filesystem::path directory, const Clock& clock,
                                   const std::string& fileName)
    : m_directory(std::move(directory)),
      m_lockPath(m_directory / (fileName + ".lock")),
      m_file(m_directory / fileName),
      m_clock(clock) {
    reload();
}

std::optional<DefaultsValue> JsonFileDefaults::value(const std::string& key) const {
    reloadIfChanged();
    auto it = m_values.find(key);
    if (it == m_values.end()) return std::nullopt;
    return it->second;
}

void JsonFileDefaults::setValue(const std::string& key, DefaultsValue value) {
    change(key, [&](DefaultsMap& values) {
        values.insert_or_assign(key, std::move(value));
        return true;
    });
}

void JsonFileDefaults::removeValue(const std::string& key) {
    change(key, [&](DefaultsMap& values) { return values.erase(key) > 0; });
}

void JsonFileDefaults::keepCopyOfUnusableValue(const std::string& key) {
    reloadIfChanged();
    if (!m_identity || m_identity == m_copiedIdentity) return;
    std::optional<std::string> problem;
    try {
        // Under the lock, from a fresh read, so that the copy is of what the next write replaces.
        FileLock lock(m_lockPath);
        const auto snapshot = readFileSnapshot(filePath());
        if (!snapshot) return;
        m_copiedIdentity = snapshot->identity;
        problem =
            copiedMessage(key, filePath(), keepCopyOfFile(filePath(), snapshot->contents, m_clock.wallNow()));
    } catch (const std::exception& error) {
        problem = "The setting \"" + key + "\" in " + filePath().string() +
                  " is not in the expected form, and no copy of the file could be kept: " + error.what() +
                  ".";
    }
    report(problem);
}

Subscription JsonFileDefaults::observeProblems(std::function<void(const std::string&)> callback) {
    return m_problems.subscribe(std::move(callback));
}

void JsonFileDefaults::reloadIfChanged() const {
    if (currentIdentity(filePath()) != m_identity) reload();
}

void JsonFileDefaults::reload() const {
    std::optional<FileSnapshot> snapshot;
    try {
        snapshot = readFileSnapshot(filePath());
    } catch (const FileReadError& error) {
        // A directory, FIFO or oversized file in its place is moved aside, as damaged content is; a
        // failure of the system leaves the file for the next read.
        if (error.isNotAFileToRead()) return recoverFromCorruptFile(error.reason());
        adopt({}, currentIdentity(filePath()));
        report(unreadableMessage(filePath(), error.reason()));
        return;
    }
    if (!snapshot) {
        adopt({}, std::nullopt);
        return;
    }
    try {
        adopt(parseDefaults(snapshot->contents), snapshot->identity);
    } catch (const DefaultsFormatError& error) {
        recoverFromCorruptFile(error.what());
    }
}

// The unparsable text may have been read from a file that was replaced since; only a fresh read
// under the lock may decide to move the file aside.
void JsonFileDefaults::recoverFromCorruptFile(const std::string& reason) const {
    LockedRead read;
    try {
        FileLock lock(m_lockPath);
        read = readUnderLock();
    } catch (const std::exception& error) {
        read = {{}, currentIdentity(filePath()), unreadableMessage(filePath(), reason + "; " + error.what())};
    }
    adopt(std::move(read.values), read.identity);
    report(read.problem);
}

JsonFileDefaults::LockedRead JsonFileDefaults::readUnderLock() const {
    std::string reason;
    try {
        auto snapshot = readFileSnapshot(filePath());
        if (!snapshot) return {};
        return {parseDefaults(snapshot->contents), snapshot->identity, std::nullopt};
    } catch (const FileReadError& error) {
        if (!error.isNotAFileToRead()) throw;
        reason = error.reason();
    } catch (const DefaultsFormatError& error) {
        reason = error.what();
    }
    const auto kept = keepCorruptFile(filePath(), m_clock.wallNow());
    return {{}, std::nullopt, keptAsideMessage(filePath(), reason, kept)};
}

void JsonFileDefaults::change(const std::string& key, const Edit& edit) {
    std::optional<std::string> problem;
    std::optional<std::string> failure;
    bool changed = false;
    try {
        changed = saveChange(edit, problem);
    } catch (const std::exception& error) {
        failure = error.what();
    }
    // Callbacks run only now that the lock is released: they may well write again.
    report(problem);
    if (failure) throw DefaultsWriteError(saveFailureMessage(key, filePath(), *failure));
    if (changed) notifyChanged(key);
}

// Leaves the values in memory untouched unless the change was saved.
bool JsonFileDefaults::saveChange(const Edit& edit, std::optional<std::string>& problem) {
    createConfigDirectory(m_directory);
    FileLock lock(m_lockPath);
    auto read = readUnderLock();
    problem = read.problem;
    // Whoever left these died before renaming them; no writer is active while we hold the lock.
    m_file.removeLeftoverTemporaries();
    const bool changed = edit(read.values);
    if (changed) {
        m_file.replace(serialiseDefaults(read.values));
        read.identity = currentIdentity(filePath());
    }
    adopt(std::move(read.values), read.identity);
    return changed;
}

void JsonFileDefaults::adopt(DefaultsMap values, std::optional<FileIdentity> identity) const {
    m_values = std::move(values);
    m_identity = identity;
}

void JsonFileDefaults::report(const std::optional<std::string>& problem) const {
    if (!problem) return;
    m_lastProblem = problem;
    m_problems.emit(*problem);
}

}  // namespace lumadesk
