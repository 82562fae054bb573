#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <functional>

namespace vtl::test {

// Runs `act` once on the first modal window of type T that shows. Windows read their controller
// with the event loop running before they show, so the check repeats until one is up (or gives up
// after timeoutMs, leaving the test's own expectations to fail; a window on the real clock may take
// a while on a busy machine).
template <typename T = QWidget> void whenModal(std::function<void(T*)> act, int timeoutMs = 60000) {
    auto* timer = new QTimer;
    const QDeadlineTimer deadline(timeoutMs);
    QObject::connect(timer, &QTimer::timeout, [timer, deadline, act = std::move(act)] {
        T* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!window && !deadline.hasExpired()) return;
        timer->stop();
        timer->deleteLater();
        if (window) act(window);
    });
    timer->start(1);
}

} // namespace vtl::test
