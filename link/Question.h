#pragma once

#include "link/UserInterface.h"

namespace vtl {

// A question as the program asks it. The asking code and whatever answers it without a person
// (the command line's flags) share this one definition, so a flag answers exactly the question
// it names.
struct Question {
    const char* text;
    const char* caption;
    MessageButtons buttons;
    MessageIcon icon;

    QString textString() const { return QString::fromLatin1(text); }
};

inline MessageAnswer ask(UserInterface& ui, const Question& question) {
    return ui.message(question.textString(), QString::fromLatin1(question.caption),
                      question.buttons, question.icon);
}

} // namespace vtl
