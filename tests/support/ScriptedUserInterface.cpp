#include "tests/support/ScriptedUserInterface.h"

namespace vtl::test {

MessageAnswer ScriptedUserInterface::message(const QString& text, const QString& caption,
                                             MessageButtons buttons, MessageIcon icon,
                                             const QString& detail) {
    MessageAnswer a = safeAnswer(buttons);
    if (buttons != MessageButtons::Ok && !answers.empty()) {
        a = answers.front();
        answers.pop_front();
    } else if (buttons != MessageButtons::Ok && decide) {
        a = decide(text, buttons);
    }
    messages.append({text, caption, buttons, icon, a, detail});
    return a;
}

void ScriptedUserInterface::setStatus(const QString& text) {
    statuses.append(text);
    statusTimesUs.append(clock ? clock->nowUs() : 0);
    if (onStatus) onStatus(text);
}

std::int64_t ScriptedUserInterface::statusTimeUs(const QString& text) const {
    const qsizetype i = statuses.indexOf(text);
    return i < 0 ? -1 : statusTimesUs[i];
}

QStringList ScriptedUserInterface::briefs() const {
    QStringList list;
    for (const auto& m : messages)
        list.append(m.brief());
    return list;
}

} // namespace vtl::test
