#include "link/Log.h"

Q_LOGGING_CATEGORY(lcLink, "vtl.link", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLinkBytes, "vtl.link.bytes", QtWarningMsg)
