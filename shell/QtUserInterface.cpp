#include "shell/QtUserInterface.h"

#include "link/ThreadCall.h"

#include <QApplication>
#include <QDebug>
#include <QDesktopServices>
#include <QMessageBox>
#include <QThread>

namespace vtl {
namespace {

QMessageBox::StandardButtons standardButtons(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    case MessageButtons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

MessageAnswer answerFor(int button, MessageButtons buttons) {
    switch (button) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Retry:
        return MessageAnswer::Retry;
    case QMessageBox::Abort:
        return MessageAnswer::Abort;
    case QMessageBox::Ignore:
        return MessageAnswer::Ignore;
    default:
        return safeAnswer(buttons);
    }
}

} // namespace

QtUserInterface::QtUserInterface() : windowThread_(std::make_unique<ThreadCall>()) {
    windowThread_->moveToThread(qApp->thread());
}

QtUserInterface::~QtUserInterface() {
    if (waiting_) QApplication::restoreOverrideCursor();
}

// Everything shown is shown on the window's thread; a worker waits until it has been.
void QtUserInterface::onWindowThread(const std::function<void()>& show) {
    windowThread_->run(show);
}

QWidget* QtUserInterface::parentForBoxes() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return titleWindow_.data();
}

MessageAnswer QtUserInterface::message(const QString& text, const QString& caption,
                                       MessageButtons buttons, MessageIcon icon,
                                       const QString& detail) {
    if (QThread::currentThread() != qApp->thread()) {
        MessageAnswer answer = safeAnswer(buttons);
        onWindowThread([&] { answer = message(text, caption, buttons, icon, detail); });
        return answer;
    }
    if (ending_.load()) {
        qInfo().noquote() << QStringLiteral("[%1] %2").arg(caption, text);
        return safeAnswer(buttons);
    }
    // A question must be answerable even while the protocol shows the wait cursor.
    const bool wasWaiting = waiting_;
    if (wasWaiting) setWaitCursor(false);
    QMessageBox box(boxIcon(icon), caption, text, standardButtons(buttons), parentForBoxes());
    if (!detail.isEmpty()) box.setInformativeText(detail);
    const QPointer<QMessageBox> outer = openBox_;
    openBox_ = &box;
    const int chosen = box.exec();
    openBox_ = outer;
    if (wasWaiting) setWaitCursor(true);
    // A box closed because the program ends gives no button: the safe answer.
    return answerFor(chosen, buttons);
}

void QtUserInterface::endProgram() {
    ending_.store(true);
    if (openBox_) openBox_->done(0);
}

void QtUserInterface::setTitle(const QString& title) {
    onWindowThread([&] {
        if (titleWindow_) titleWindow_->setWindowTitle(title);
    });
}

void QtUserInterface::setWaitCursor(bool on) {
    onWindowThread([&] {
        if (on == waiting_) return;
        waiting_ = on;
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
}

void QtUserInterface::setStatus(const QString& text) {
    onWindowThread([&] {
        if (statusLine_) statusLine_(text);
    });
}

void QtUserInterface::setProgress(const OperationProgress& progress) {
    onWindowThread([&] {
        if (progress_) progress_->showProgress(progress);
    });
}

// The display is set and replaced on the window's thread while no operation runs, so reading the
// pointer here races with nothing; the answer itself is the display's to keep safe.
bool QtUserInterface::cancelRequested() {
    return ending_.load() || (progress_ && progress_->cancelPressed());
}

ProgressDisplay* QtUserInterface::replaceProgressDisplay(ProgressDisplay* display) {
    std::swap(display, progress_);
    return display;
}

StatusLine QtUserInterface::replaceStatusLine(StatusLine line) {
    std::swap(line, statusLine_);
    return line;
}

void QtUserInterface::setStatusLine(QLineEdit* line) {
    statusLine_ = statusLineOf(line);
}

StatusLine statusLineOf(QLineEdit* line) {
    return [edit = QPointer<QLineEdit>(line)](const QString& text) {
        if (!edit) return;
        edit->setText(text);
        edit->repaint();
    };
}

void QtUserInterface::openHelpPage(const QString& page) {
    showHelpPage(*this, help_, page,
                 [](const QUrl& url) { return QDesktopServices::openUrl(url); });
}

} // namespace vtl
