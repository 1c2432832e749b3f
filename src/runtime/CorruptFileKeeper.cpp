#include "runtime/CorruptFileKeeper.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>

#include "runtime/AtomicFile.h"
#include "runtime/SystemError.h"

namespace lumadesk {

namespace {

std::string utcStamp(WallInstant now) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

bool nameTaken(const std::filesystem::path& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) == 0) return true;
    if (errno == ENOENT) return false;
    throw systemError("cannot examine " + path.string());
}

// A name no earlier copy has. A plain check suffices: only lock holders create these names.
std::filesystem::path freeCopyName(const std::filesystem::path& file, WallInstant now) {
    const std::string base = file.string() + ".corrupt-" + utcStamp(now);
    std::filesystem::path kept = base;
    for (int counter = 1; nameTaken(kept); ++counter) kept = base + "-" + std::to_string(counter);
    return kept;
}

}  // namespace

std::filesystem::path keepCorruptFile(const std::filesystem::path& file, WallInstant now) {
    const auto kept = freeCopyName(file, now);
    if (::rename(file.c_str(), kept.c_str()) != 0)
        throw systemError("cannot rename " + file.string() + " to " + kept.string());
    return kept;
}

std::filesystem::path keepCopyOfFile(const std::filesystem::path& file, std::string_view contents,
                                     WallInstant now) {
    const auto kept = freeCopyName(file, now);
    AtomicFile(kept).replace(contents);
    return kept;
}

}  // namespace lumadesk
