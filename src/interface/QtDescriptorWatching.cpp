#include "interface/QtDescriptorWatching.h"

#include <QCoreApplication>
#include <QSocketNotifier>

namespace lumadesk {

namespace {

class NotifierWatch final : public DescriptorWatch {
public:
    NotifierWatch(int descriptor, std::function<void()> readable)
        : m_notifier(std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read)) {
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                         [readable = std::move(readable)] { readable(); });
    }
    // A watch may end from its own callback (a device that went away, a server that closed): the
    // notifier and the callback it is running are deleted once control is back in the event loop.
    ~NotifierWatch() override {
        m_notifier->setEnabled(false);
        if (QCoreApplication::instance()) m_notifier.release()->deleteLater();
    }
    NotifierWatch(const NotifierWatch&) = delete;
    NotifierWatch& operator=(const NotifierWatch&) = delete;

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};

}  // namespace

std::unique_ptr<DescriptorWatch> QtDescriptorWatching::watch(int descriptor, std::function<void()> readable) {
    return std::make_unique<NotifierWatch>(descriptor, std::move(readable));
}

}  // namespace lumadesk
