#include "platform/linux/keys/InputDevices.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <unistd.h>

#include <cerrno>

namespace lumadesk {

namespace {

class EvdevDevice final : public InputDevice {
public:
    struct Free {
        void operator()(libevdev* device) const { libevdev_free(device); }
    };

    EvdevDevice(int fd, std::unique_ptr<libevdev, Free> device) : m_fd(fd), m_device(std::move(device)) {}
    ~EvdevDevice() override {
        m_device.reset();
        ::close(m_fd);
    }

    int descriptor() const override { return m_fd; }
    bool reportsBrightnessKeys() const override { return hasBrightnessKeys(m_device.get()); }

    int read(std::vector<InputKeyEvent>& events) override {
        // After the kernel dropped events, libevdev replays the differences (a key let go meanwhile
        // among them) in sync mode, which ends with -EAGAIN; then normal reading goes on.
        unsigned flag = LIBEVDEV_READ_FLAG_NORMAL;
        for (;;) {
            input_event event{};
            const int status = libevdev_next_event(m_device.get(), flag, &event);
            if (status == LIBEVDEV_READ_STATUS_SUCCESS || status == LIBEVDEV_READ_STATUS_SYNC) {
                if (status == LIBEVDEV_READ_STATUS_SYNC) flag = LIBEVDEV_READ_FLAG_SYNC;
                if (event.type == EV_KEY) events.push_back({event.code, event.value});
            } else if (status == -EAGAIN && flag == LIBEVDEV_READ_FLAG_SYNC) {
                flag = LIBEVDEV_READ_FLAG_NORMAL;
            } else {
                return status == -EAGAIN ? 0 : status;
            }
        }
    }

private:
    int m_fd;
    std::unique_ptr<libevdev, Free> m_device;
};

}  // namespace

std::unique_ptr<InputDevice> LibevdevDevices::open(const std::filesystem::path& node, int& error) {
    const int fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    libevdev* device = nullptr;
    if (const int status = libevdev_new_from_fd(fd, &device); status < 0) {
        ::close(fd);
        error = -status;
        return nullptr;
    }
    return std::make_unique<EvdevDevice>(fd, std::unique_ptr<libevdev, EvdevDevice::Free>(device));
}

bool hasBrightnessKeys(const libevdev* device) {
    return libevdev_has_event_code(device, EV_KEY, KEY_BRIGHTNESSUP) ||
           libevdev_has_event_code(device, EV_KEY, KEY_BRIGHTNESSDOWN);
}

}  // namespace lumadesk
