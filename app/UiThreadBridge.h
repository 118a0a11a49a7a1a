#pragma once

// Connects the update subsystem's hand-off to the Qt event loop: a call that a worker queues
// for the UI thread posts one event to this object, whose handler runs the queue; waits of
// the UI thread for a worker also serve Qt's own events.

#include <QObject>
#include <memory>

namespace quendra {

class UiThreadBridge : public QObject {
public:
    // Installs the hooks; the calling thread is the UI thread.
    UiThreadBridge();
    // Removes them; a worker that wakes the UI thread afterwards posts nothing.
    ~UiThreadBridge() override;

protected:
    bool event(QEvent* event) override;

private:
    struct Receiver;
    std::shared_ptr<Receiver> receiver_;
};

}  // namespace quendra
