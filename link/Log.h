#pragma once

#include <QLoggingCategory>

// Protocol events in words, and every byte on the line in hex; each switchable with
// QT_LOGGING_RULES.
Q_DECLARE_LOGGING_CATEGORY(lcLink)
Q_DECLARE_LOGGING_CATEGORY(lcLinkBytes)
