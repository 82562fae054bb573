#include "tests/support/ScriptedUserInterface.h"

namespace vtl::test {

MessageAnswer ScriptedUserInterface::message(const QString& text, const QString& caption,
                                             MessageButtons buttons, MessageIcon icon,
                                             const QString& detail) {
    MessageAnswer a = safeAnswer(buttons);
    if (buttons != MessageButtons::Ok && !answers.empty()) {
        a = answers.front();
        answers.pop_front();
    }
    messages.append({text, caption, buttons, icon, a, detail});
    return a;
}

QStringList ScriptedUserInterface::briefs() const {
    QStringList list;
    for (const auto& m : messages)
        list.append(m.brief());
    return list;
}

} // namespace vtl::test
