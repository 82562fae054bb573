#include "link/UserInterface.h"

namespace vtl {

MessageAnswer SilentUserInterface::message(const QString&, const QString&, MessageButtons buttons,
                                           MessageIcon, const QString&) {
    return safeAnswer(buttons);
}

MessageAnswer safeAnswer(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::OkCancel:
    case MessageButtons::RetryCancel:
        return MessageAnswer::Cancel;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    case MessageButtons::AbortRetryIgnore:
        return MessageAnswer::Abort;
    }
    return MessageAnswer::Cancel;
}

QString toString(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return QStringLiteral("OK");
    case MessageButtons::OkCancel:
        return QStringLiteral("OK/Cancel");
    case MessageButtons::YesNo:
        return QStringLiteral("Yes/No");
    case MessageButtons::RetryCancel:
        return QStringLiteral("Retry/Cancel");
    case MessageButtons::AbortRetryIgnore:
        return QStringLiteral("Abort/Retry/Ignore");
    }
    return {};
}

QString toString(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::None:
        return QStringLiteral("none");
    case MessageIcon::Stop:
        return QStringLiteral("stop");
    case MessageIcon::Question:
        return QStringLiteral("question");
    case MessageIcon::Exclamation:
        return QStringLiteral("exclamation");
    case MessageIcon::Information:
        return QStringLiteral("information");
    }
    return {};
}

QString toString(MessageAnswer answer) {
    switch (answer) {
    case MessageAnswer::Ok:
        return QStringLiteral("OK");
    case MessageAnswer::Cancel:
        return QStringLiteral("Cancel");
    case MessageAnswer::Yes:
        return QStringLiteral("Yes");
    case MessageAnswer::No:
        return QStringLiteral("No");
    case MessageAnswer::Retry:
        return QStringLiteral("Retry");
    case MessageAnswer::Abort:
        return QStringLiteral("Abort");
    case MessageAnswer::Ignore:
        return QStringLiteral("Ignore");
    }
    return {};
}

} // namespace vtl
