#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

namespace vtl {

// Runs functions on the thread this object lives on, through Qt's event queue. The functions
// travel beside the event, in a queue of this object's own: what the caller wrote before the call
// is seen by the function, and what a blocking call's function wrote is seen by the caller after
// it, in the language's own terms. (A functor posted with QMetaObject::invokeMethod would be
// written by one thread and read by the other, with only Qt's internal locks between them, which
// a thread checker does not see when Qt is not built for one.)
class ThreadCall final : public QObject {
    Q_OBJECT
public:
    explicit ThreadCall(QObject* parent = nullptr) : QObject(parent) {}

    // Queues `call` and returns at once.
    void post(std::function<void()> call);
    // Runs `call` and returns once it has run; at once when the caller is on this thread.
    void run(const std::function<void()>& call);

private Q_SLOTS:
    void runNext();

private:
    std::mutex mutex_;
    std::deque<std::function<void()>> queue_;
};

} // namespace vtl
