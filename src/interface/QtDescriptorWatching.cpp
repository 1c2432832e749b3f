#include "interface/QtDescriptorWatching.h"

#include <QSocketNotifier>

namespace lumadesk {

namespace {

class NotifierWatch final : public DescriptorWatch {
public:
    NotifierWatch(int descriptor, std::function<void()> readable)
        : m_notifier(descriptor, QSocketNotifier::Read), m_readable(std::move(readable)) {
        QObject::connect(&m_notifier, &QSocketNotifier::activated, [this] { m_readable(); });
    }

private:
    QSocketNotifier m_notifier;
    std::function<void()> m_readable;
};

}  // namespace

std::unique_ptr<DescriptorWatch> QtDescriptorWatching::watch(int descriptor, std::function<void()> readable) {
    return std::make_unique<NotifierWatch>(descriptor, std::move(readable));
}

}  // namespace lumadesk
