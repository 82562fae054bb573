#include "link/ThreadCall.h"

#include <QThread>

#include <condition_variable>

namespace vtl {

void ThreadCall::post(std::function<void()> call) {
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(std::move(call));
    }
    // By name: the event carries nothing of ours.
    QMetaObject::invokeMethod(this, "runNext", Qt::QueuedConnection);
}

void ThreadCall::run(const std::function<void()>& call) {
    if (QThread::currentThread() == thread()) {
        call();
        return;
    }
    std::mutex doneMutex;
    std::condition_variable doneSignal;
    bool done = false;
    post([&] {
        call();
        const std::lock_guard lock(doneMutex);
        done = true;
        doneSignal.notify_one();
    });
    std::unique_lock lock(doneMutex);
    doneSignal.wait(lock, [&] { return done; });
}

void ThreadCall::runNext() {
    std::function<void()> call;
    {
        const std::lock_guard lock(mutex_);
        if (queue_.empty()) return;
        call = std::move(queue_.front());
        queue_.pop_front();
    }
    call();
}

} // namespace vtl
