#pragma once

#include <QObject>
#include <functional>

#include <QEvent>

namespace quendra {

// Calls `then` once, when the watched window first receives an event of the given type
// (shown by default; QEvent::Paint for the first paint).
class WindowShown : public QObject {
public:
    WindowShown(QObject* window, std::function<void()> then, QEvent::Type type = QEvent::Show);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> then_;
    QEvent::Type type_;
};

}  // namespace quendra
