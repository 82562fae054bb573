#pragma once

#include "link/Clock.h"
#include "link/UserInterface.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <functional>

namespace vtl::test {

// A user-interface double: records every call and answers questions from a script. A question with
// no scripted answer gets the safe answer (No, Cancel, Abort).
class ScriptedUserInterface final : public UserInterface {
public:
    struct Message {
        QString text;
        QString caption;
        MessageButtons buttons;
        MessageIcon icon;
        MessageAnswer answer;
        QString detail;
        // "[Caption] Text" for compact assertions.
        QString brief() const { return QStringLiteral("[%1] %2").arg(caption, text); }
    };

    MessageAnswer message(const QString& text, const QString& caption, MessageButtons buttons,
                          MessageIcon icon, const QString& detail = {}) override;
    void setTitle(const QString& title) override { titles.append(title); }
    void setWaitCursor(bool on) override {
        waitCursor = on;
        ++cursorChanges;
    }
    void setStatus(const QString& text) override;
    void setFailureReason(const QString& reason) override {
        failureReason = reason;
        failures += reason.isEmpty() ? 0 : 1;
    }

    void openHelpPage(const QString& page) override { helpPages.append(page); }
    void setProgress(const OperationProgress& p) override { progress.append(p); }
    bool cancelRequested() override {
        return (cancelAfter >= 0 && progress.size() > cancelAfter) ||
               (cancelAtUs >= 0 && clock && clock->nowUs() >= cancelAtUs);
    }

    // Answers for the next questions, in order.
    void answer(MessageAnswer a) { answers.push_back(a); }

    QStringList briefs() const;
    // When the text first appeared on the clock, or -1.
    std::int64_t statusTimeUs(const QString& text) const;

    QList<Message> messages;
    QStringList titles;
    QStringList statuses;
    QStringList helpPages; // pages F1 or a Help button asked for
    std::deque<MessageAnswer> answers;
    bool waitCursor = false;
    int cursorChanges = 0;
    QString failureReason; // the last one given
    int failures = 0;      // failed exchanges so far
    // With a clock, every status text is stamped with the time it appeared.
    const Clock* clock = nullptr;
    QList<std::int64_t> statusTimesUs;
    // Runs after each status text, e.g. to make a controller misbehave at one particular block.
    std::function<void(const QString&)> onStatus;
    // Answers a question when no scripted answer is left.
    std::function<MessageAnswer(const QString& text, MessageButtons buttons)> decide;
    // Every progress report; Cancel counts as pressed once more than cancelAfter were made.
    QList<OperationProgress> progress;
    int cancelAfter = -1;
    // Cancel counts as pressed from this time on the clock (with a clock).
    std::int64_t cancelAtUs = -1;
};

} // namespace vtl::test
