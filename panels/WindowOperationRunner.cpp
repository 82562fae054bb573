#include "panels/WindowOperationRunner.h"

#include "panels/OperationProgressBar.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBoxLayout>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QThread>

#include <algorithm>

namespace vtl {

namespace {

// Puts the bar right after `besides` in the box layout that holds it.
QBoxLayout* rowOf(QLayout* layout, QWidget* widget) {
    if (!layout) return nullptr;
    auto* box = qobject_cast<QBoxLayout*>(layout);
    if (box && box->indexOf(widget) >= 0) return box;
    for (int i = 0; i < layout->count(); ++i)
        if (QBoxLayout* found = rowOf(layout->itemAt(i)->layout(), widget)) return found;
    return nullptr;
}

void placeBeside(QWidget* besides, QWidget* bar) {
    QWidget* parent = besides->parentWidget();
    QBoxLayout* row = parent ? rowOf(parent->layout(), besides) : nullptr;
    if (!row) return;
    row->insertWidget(row->indexOf(besides) + 1, bar);
    // The bar must not squeeze a status line below a progress text.
    if (!qobject_cast<QLineEdit*>(besides)) return;
    const int textWidth = besides->fontMetrics().horizontalAdvance(
        QStringLiteral("Reading Weekly Schedules 99 of 99"));
    besides->setMinimumWidth(std::max(besides->minimumWidth(), textWidth + 16));
}

// The one thread every window's exchanges run on. The serial port is created and used there only:
// Qt's port belongs to the thread that made it.
class LineThread {
public:
    static LineThread& instance() {
        static LineThread* line = [] {
            auto* made = new LineThread;
            // Stopped while the application object goes, before static objects are destroyed.
            qAddPostRoutine([] { instance().stop(); });
            return made;
        }();
        return *line;
    }
    QObject* context() { return &context_; }
    bool isCurrent() const { return QThread::currentThread() == &thread_; }

private:
    LineThread() {
        thread_.setObjectName(QStringLiteral("line"));
        context_.moveToThread(&thread_);
        thread_.start();
    }
    void stop() {
        thread_.quit();
        thread_.wait();
    }

    QThread thread_;
    QObject context_;
};

} // namespace

WindowOperationRunner::WindowOperationRunner(QWidget* window, UserInterface& ui, Clock& clock,
                                             QWidget* besides)
    : QObject(window), window_(window), ui_(ui) {
    if (besides) {
        progress_ = new OperationProgressBar(clock);
        placeBeside(besides, progress_);
        if (!progress_->parent()) progress_->setParent(window);
    }
    window_->installEventFilter(this);
}

WindowOperationRunner::~WindowOperationRunner() = default;

QList<QPointer<QAbstractButton>> WindowOperationRunner::disableButtons() {
    QList<QPointer<QAbstractButton>> disabled;
    for (QAbstractButton* button : window_->findChildren<QAbstractButton*>()) {
        if (!button->isEnabled()) continue;
        if (progress_ && progress_->isAncestorOf(button)) continue;
        button->setEnabled(false);
        disabled.append(button);
    }
    return disabled;
}

void WindowOperationRunner::run(const std::function<void()>& work) {
    // Work started by work already running (a worker's own nested step) just runs.
    LineThread& line = LineThread::instance();
    if (QThread::currentThread() != qApp->thread() || line.isCurrent()) {
        work();
        return;
    }
    if (busy_) return;
    busy_ = true;
    const QList<QPointer<QAbstractButton>> disabled = disableButtons();
    if (progress_) progress_->begin();
    ProgressDisplayScope display(ui_, progress_);

    // The loop quits when the work posts that it is done; a quit posted before exec() starts is
    // delivered inside it.
    QEventLoop loop;
    QMetaObject::invokeMethod(
        line.context(),
        [&work, &loop] {
            work();
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    loop.exec();

    if (progress_) progress_->setVisible(false);
    for (const QPointer<QAbstractButton>& button : disabled)
        if (button) button->setEnabled(true);
    busy_ = false;
}

// While work runs the window stays open: its frame's close and Escape are ignored.
bool WindowOperationRunner::eventFilter(QObject* watched, QEvent* event) {
    if (!busy_ || watched != window_) return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::Close) {
        event->ignore();
        return true;
    }
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        return true;
    return QObject::eventFilter(watched, event);
}

} // namespace vtl
