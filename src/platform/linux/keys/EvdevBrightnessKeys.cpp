#include "platform/linux/keys/EvdevBrightnessKeys.h"

#include <linux/input-event-codes.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <vector>

namespace lumadesk {

namespace {

constexpr std::uint32_t consumerUsagePage = 0x0C;
constexpr std::uint32_t brightnessIncrementUsage = 0x6F;
constexpr std::uint32_t brightnessDecrementUsage = 0x70;

bool isEventNode(const std::string& name) {
    return name.starts_with("event");
}

bool isBrightnessKey(unsigned code) {
    return code == KEY_BRIGHTNESSUP || code == KEY_BRIGHTNESSDOWN;
}

HIDInputValue usageOf(unsigned code, int value) {
    return {.usagePage = consumerUsagePage,
            .usage = code == KEY_BRIGHTNESSUP ? brightnessIncrementUsage : brightnessDecrementUsage,
            .value = value};
}

// The event nodes of the directory; none when it cannot be listed.
std::vector<std::filesystem::path> eventNodes(const std::filesystem::path& directory) {
    std::vector<std::filesystem::path> nodes;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(directory, error), end; !error && entry != end;
         entry.increment(error)) {
        if (isEventNode(entry->path().filename().string())) nodes.push_back(entry->path());
    }
    return nodes;
}

}  // namespace

// An inotify instance watching one directory's entries.
class EvdevBrightnessKeys::Inotify {
public:
    Inotify() : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
    ~Inotify() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Inotify(const Inotify&) = delete;
    Inotify& operator=(const Inotify&) = delete;

    int descriptor() const { return m_fd; }
    // 0 when the directory is watched, else the errno.
    int watch(const std::filesystem::path& directory) {
        if (m_fd < 0) return errno;
        const auto mask = IN_CREATE | IN_ATTRIB | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM;
        return inotify_add_watch(m_fd, directory.c_str(), mask) < 0 ? errno : 0;
    }

private:
    int m_fd;
};

EvdevBrightnessKeys::EvdevBrightnessKeys(DescriptorWatching& watcher, InputDeviceOpening& devices,
                                         std::filesystem::path directory)
    : m_watcher(watcher), m_devices(devices), m_directory(std::move(directory)) {}

EvdevBrightnessKeys::~EvdevBrightnessKeys() {
    close();
}

bool EvdevBrightnessKeys::anyReadable() {
    for (const auto& node : eventNodes(m_directory)) {
        int error = 0;
        const auto device = m_devices.open(node, error);
        if (device && device->reportsBrightnessKeys()) return true;
    }
    return false;
}

bool EvdevBrightnessKeys::accessRefused() {
    for (const auto& node : eventNodes(m_directory)) {
        int error = 0;
        if (!m_devices.open(node, error) && (error == EACCES || error == EPERM)) return true;
    }
    return false;
}

int EvdevBrightnessKeys::open(KeyboardEvents::HIDCallback callback) {
    close();
    m_callback = std::move(callback);
    m_inotify = std::make_unique<Inotify>();
    // Watched before the first listing, so a device plugged in between is not missed.
    if (const int error = m_inotify->watch(m_directory); error != 0) {
        close();
        return error;
    }
    int refusal = 0;
    bool opened = false;
    for (const auto& node : eventNodes(m_directory)) {
        const int error = add(node);
        if (error == 0) opened = true;
        if (error == EACCES || error == EPERM) refusal = error;
    }
    if (!opened && refusal != 0) {
        close();
        return refusal;
    }
    m_directoryWatch = m_watcher.watch(m_inotify->descriptor(), [this] { readDirectoryChanges(); });
    return 0;
}

void EvdevBrightnessKeys::close() {
    m_directoryWatch.reset();
    m_inotify.reset();
    while (!m_readers.empty()) drop(m_readers.begin()->first);
    m_callback = nullptr;
}

int EvdevBrightnessKeys::add(const std::filesystem::path& node) {
    if (m_readers.contains(node)) return 0;
    int error = 0;
    auto device = m_devices.open(node, error);
    if (!device) return error;
    if (!device->reportsBrightnessKeys()) return 0;
    auto& reader = m_readers[node];
    reader.device = std::move(device);
    reader.watch = m_watcher.watch(reader.device->descriptor(), [this, node] { readDevice(node); });
    return 0;
}

void EvdevBrightnessKeys::drop(const std::filesystem::path& node) {
    const auto reader = m_readers.find(node);
    if (reader == m_readers.end()) return;
    const auto held = std::move(reader->second.held);
    m_readers.erase(reader);
    if (!m_callback) return;
    for (const unsigned code : held) m_callback(usageOf(code, 0));
}

void EvdevBrightnessKeys::readDevice(std::filesystem::path node) {
    const auto reader = m_readers.find(node);
    if (reader == m_readers.end()) return;
    std::vector<InputKeyEvent> events;
    const int status = reader->second.device->read(events);
    for (const auto& event : events) {
        if (!isBrightnessKey(event.code)) continue;
        if (event.value == 0) {
            reader->second.held.erase(event.code);
        } else {
            reader->second.held.insert(event.code);
        }
        m_callback(usageOf(event.code, event.value));
    }
    // Gone (ENODEV) or broken: reading it again would only fail again.
    if (status != 0) drop(node);
}

void EvdevBrightnessKeys::readDirectoryChanges() {
    alignas(inotify_event) std::array<char, 4096> buffer{};
    for (;;) {
        const auto length = ::read(m_inotify->descriptor(), buffer.data(), buffer.size());
        if (length <= 0) return;
        for (std::size_t offset = 0; offset < static_cast<std::size_t>(length);) {
            inotify_event event{};
            std::memcpy(&event, buffer.data() + offset, sizeof event);
            const std::string name(event.len ? buffer.data() + offset + sizeof event : "");
            offset += sizeof event + event.len;
            if (!isEventNode(name.c_str())) continue;
            const auto node = m_directory / name;
            if (event.mask & (IN_DELETE | IN_MOVED_FROM)) {
                drop(node);
            } else {
                // A refused node is tried again when udev changes its permissions (IN_ATTRIB).
                add(node);
            }
        }
    }
}

}  // namespace lumadesk
