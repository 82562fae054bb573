#pragma once

#include "link/Session.h"
#include "link/UserInterface.h"

#include <QString>

namespace vtl {

// The caption of the settings windows' error boxes.
inline const QString ErrorCaption = QStringLiteral("Error");

// Asked when the controller did not answer: true when the technician chose Retry.
inline bool askRetry(Session& s, const QString& text) {
    return s.ui.message(text, QStringLiteral("VTL"), MessageButtons::RetryCancel,
                        MessageIcon::Exclamation) == MessageAnswer::Retry;
}

} // namespace vtl
