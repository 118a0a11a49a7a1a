#include "tools/WindowShown.h"

#include <QEvent>

namespace quendra {

WindowShown::WindowShown(QObject* window, std::function<void()> then, QEvent::Type type)
    : QObject(window), then_(std::move(then)), type_(type) {
    window->installEventFilter(this);
}

bool WindowShown::eventFilter(QObject*, QEvent* event) {
    if (event->type() == type_ && then_) {
        auto then = std::move(then_);
        then_ = nullptr;
        then();
    }
    return false;
}

}  // namespace quendra
