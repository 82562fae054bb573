#include "panels/ControllerText.h"

#include <algorithm>

namespace vtl {

bool isControllerText(const QString& text) {
    return std::ranges::all_of(text, [](QChar c) { return c >= u' ' && c <= u'~'; });
}

QString controllerTextProblem(const QString& text, int maxLength) {
    if (text.size() <= maxLength && isControllerText(text)) return {};
    return QStringLiteral("up to %1 plain characters (letters, digits, blanks and punctuation)")
        .arg(maxLength);
}

} // namespace vtl
