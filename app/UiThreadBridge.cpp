#include "app/UiThreadBridge.h"

#include <QCoreApplication>
#include <QEvent>
#include <mutex>

#include "update/HandOff.h"

namespace quendra {
namespace {

const QEvent::Type kDrainHandOff = static_cast<QEvent::Type>(QEvent::registerEventType());

}  // namespace

struct UiThreadBridge::Receiver {
    std::mutex mutex;
    QObject* object = nullptr;
};

UiThreadBridge::UiThreadBridge() : receiver_(std::make_shared<Receiver>()) {
    receiver_->object = this;
    UiThreadHooks hooks;
    hooks.wake = [receiver = receiver_] {
        const std::lock_guard lock(receiver->mutex);
        if (receiver->object != nullptr)
            QCoreApplication::postEvent(receiver->object, new QEvent(kDrainHandOff));
    };
    hooks.processEvents = [] { QCoreApplication::processEvents(); };
    InstallUiThreadHooks(std::move(hooks));
}

UiThreadBridge::~UiThreadBridge() {
    InstallUiThreadHooks({});
    const std::lock_guard lock(receiver_->mutex);
    receiver_->object = nullptr;
}

bool UiThreadBridge::event(QEvent* event) {
    if (event->type() != kDrainHandOff)
        return QObject::event(event);
    DrainHandOff();
    return true;
}

}  // namespace quendra
