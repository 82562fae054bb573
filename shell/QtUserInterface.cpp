#include "shell/QtUserInterface.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>

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

QtUserInterface::~QtUserInterface() {
    if (waiting_) QApplication::restoreOverrideCursor();
}

QWidget* QtUserInterface::parentForBoxes() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return titleWindow_.data();
}

MessageAnswer QtUserInterface::message(const QString& text, const QString& caption,
                                       MessageButtons buttons, MessageIcon icon,
                                       const QString& detail) {
    // A question must be answerable even while the protocol shows the wait cursor.
    const bool wasWaiting = waiting_;
    if (wasWaiting) setWaitCursor(false);
    QMessageBox box(boxIcon(icon), caption, text, standardButtons(buttons), parentForBoxes());
    if (!detail.isEmpty()) box.setInformativeText(detail);
    const int chosen = box.exec();
    if (wasWaiting) setWaitCursor(true);
    return answerFor(chosen, buttons);
}

void QtUserInterface::setTitle(const QString& title) {
    if (!titleWindow_) return;
    titleWindow_->setWindowTitle(title);
}

void QtUserInterface::setWaitCursor(bool on) {
    if (on == waiting_) return;
    waiting_ = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void QtUserInterface::setStatus(const QString& text) {
    if (statusLine_) statusLine_(text);
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
