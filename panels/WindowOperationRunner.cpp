#include "panels/WindowOperationRunner.h"

#include "link/ThreadCall.h"
#include "panels/OperationProgressBar.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSet>
#include <QTextEdit>
#include <QThread>
#include <QWindow>

#include <algorithm>
#include <memory>

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
    ThreadCall& calls() { return calls_; }
    bool isCurrent() const { return QThread::currentThread() == &thread_; }

private:
    LineThread() {
        thread_.setObjectName(QStringLiteral("line"));
        calls_.moveToThread(&thread_);
        thread_.start();
    }
    void stop() {
        thread_.quit();
        thread_.wait();
    }

    QThread thread_;
    ThreadCall calls_;
};

// The end of one piece of work, as the window's thread sees it.
struct Finish {
    bool finished = false;
    QEventLoop* loop = nullptr;
};

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::Close:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}

// The widget an event's receiver stands for: an action or shortcut counts as the widget it sits on.
QWidget* widgetOf(QObject* receiver) {
    for (QObject* o = receiver; o; o = o->parent())
        if (auto* widget = qobject_cast<QWidget*>(o)) return widget;
    return nullptr;
}

} // namespace

// Program-wide: which runner has work on the line, and the user's input held back meanwhile. A
// key whose press was held back stays held back until it is let go, so that a key held down
// through the work does not reach the window that opens after it.
class LineGuard final : public QObject {
public:
    // Lives as long as the line thread, which outlives the application object: the thread's last
    // hand-back may still be under way while that goes.
    static LineGuard& instance() {
        static auto* guard = [] {
            auto* made = new LineGuard;
            qApp->installEventFilter(made);
            return made;
        }();
        return *guard;
    }

    WindowOperationRunner* active() const { return active_; }
    // Runs what the line thread hands back on the window's thread.
    ThreadCall& windowCalls() { return windowCalls_; }

    void begin(WindowOperationRunner* runner) {
        active_ = runner;
        windowsBefore_.clear();
        for (QWidget* window : QApplication::topLevelWidgets())
            windowsBefore_.append(window);
    }
    void end() {
        active_ = nullptr;
        windowsBefore_.clear();
    }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (heldKey(event)) return true;
        if (!active_ || !isUserInput(event->type()) || allowed(receiver)) return false;
        if (event->type() == QEvent::KeyPress)
            heldKeys_.insert(static_cast<QKeyEvent*>(event)->key());
        if (event->type() == QEvent::Close) event->ignore();
        return true;
    }

private:
    // Auto-repeats of a key held back, and its release, are held back too.
    bool heldKey(QEvent* event) {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!heldKeys_.contains(key->key())) return false;
        if (key->isAutoRepeat()) return true;
        if (event->type() == QEvent::KeyRelease) {
            heldKeys_.remove(key->key());
            return true;
        }
        heldKeys_.remove(key->key()); // a fresh press
        return false;
    }

    // The running window's Cancel, and windows opened since the work began (its message boxes).
    bool allowed(QObject* receiver) const {
        QWidget* widget = widgetOf(receiver);
        // A window of the platform passes its events on to its widgets, which are asked then.
        if (!widget) return qobject_cast<QWindow*>(receiver) != nullptr;
        OperationProgressBar* progress = active_->progress_;
        if (progress && (widget == progress || progress->isAncestorOf(widget))) return true;
        QWidget* window = widget->window();
        return std::none_of(windowsBefore_.begin(), windowsBefore_.end(),
                            [window](const QPointer<QWidget>& w) { return w == window; });
    }

    WindowOperationRunner* active_ = nullptr;
    QList<QPointer<QWidget>> windowsBefore_;
    QSet<int> heldKeys_;
    ThreadCall windowCalls_{this};
};

// An input the running window's work must not see change: disabled or made read-only, and
// given back as it was.
struct WindowOperationRunner::Frozen {
    enum class How { Disabled, ReadOnly };
    QPointer<QWidget> widget;
    How how;
};

WindowOperationRunner::WindowOperationRunner(QWidget* window, UserInterface& ui, Clock& clock,
                                             QWidget* besides)
    : QObject(window), window_(window), ui_(ui) {
    if (besides) {
        progress_ = new OperationProgressBar(clock);
        placeBeside(besides, progress_);
        if (!progress_->parent()) progress_->setParent(window);
    }
    LineGuard::instance();
}

WindowOperationRunner::~WindowOperationRunner() = default;

bool WindowOperationRunner::lineBusy() {
    return LineGuard::instance().active() != nullptr;
}

QList<WindowOperationRunner::Frozen> WindowOperationRunner::freezeInputs() {
    QList<Frozen> frozen;
    const auto disable = [&frozen](QWidget* w) {
        if (!w->isEnabled()) return;
        w->setEnabled(false);
        frozen.append({w, Frozen::How::Disabled});
    };
    for (QWidget* w : window_->findChildren<QWidget*>()) {
        if (progress_ && (w == progress_ || progress_->isAncestorOf(w))) continue;
        if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w)) {
            disable(w);
            continue;
        }
        // Read-only rather than disabled: the text stays readable and the focus stays put.
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(w); spin && !spin->isReadOnly()) {
            spin->setReadOnly(true);
            frozen.append({w, Frozen::How::ReadOnly});
        } else if (auto* line = qobject_cast<QLineEdit*>(w);
                   line && !line->isReadOnly() &&
                   !qobject_cast<QAbstractSpinBox*>(w->parentWidget()) &&
                   !qobject_cast<QComboBox*>(w->parentWidget())) {
            line->setReadOnly(true);
            frozen.append({w, Frozen::How::ReadOnly});
        } else if (auto* text = qobject_cast<QTextEdit*>(w); text && !text->isReadOnly()) {
            text->setReadOnly(true);
            frozen.append({w, Frozen::How::ReadOnly});
        } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w); plain && !plain->isReadOnly()) {
            plain->setReadOnly(true);
            frozen.append({w, Frozen::How::ReadOnly});
        }
    }
    return frozen;
}

void WindowOperationRunner::thaw(const QList<Frozen>& frozen) {
    for (const Frozen& f : frozen) {
        QWidget* w = f.widget.data();
        if (!w) continue;
        if (f.how == Frozen::How::Disabled) {
            w->setEnabled(true);
        } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(w)) {
            spin->setReadOnly(false);
        } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
            line->setReadOnly(false);
        } else if (auto* text = qobject_cast<QTextEdit*>(w)) {
            text->setReadOnly(false);
        } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
            plain->setReadOnly(false);
        }
    }
}

bool WindowOperationRunner::run(const std::function<void()>& work) {
    if (QThread::currentThread() != qApp->thread() || LineThread::instance().isCurrent()) {
        work();
        return true;
    }
    LineGuard& guard = LineGuard::instance();
    if (guard.active()) return false;
    busy_ = true;
    guard.begin(this);
    const QList<Frozen> frozen = freezeInputs();
    if (progress_) progress_->begin();
    {
        ProgressDisplayScope display(ui_, progress_);
        runOnLine(work);
    }
    if (progress_) progress_->setVisible(false);
    thaw(frozen);
    guard.end();
    busy_ = false;
    return true;
}

// Waits, with the window's events running, until the work is over. The loop normally ends when
// the work says it is done; but QCoreApplication::exit() ends every loop (and every loop started
// after it at once), while the work still uses what lives in this frame: the wait goes on then.
void WindowOperationRunner::runOnLine(const std::function<void()>& work) {
    auto finish = std::make_shared<Finish>();
    QEventLoop loop;
    finish->loop = &loop;
    ThreadCall& back = LineGuard::instance().windowCalls();
    LineThread::instance().calls().post([finish, &work, &back] {
        work();
        back.post([finish] {
            finish->finished = true;
            if (finish->loop) finish->loop->quit();
        });
    });
    // A quit posted before exec() starts is delivered inside it.
    loop.exec();
    while (!finish->finished)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    finish->loop = nullptr;
}

} // namespace vtl
