#pragma once

#include "cli/Commands.h"
#include "link/Session.h"
#include "panelfile/FamilyCode.h"
#include "panelfile/PanelVerify.h"

namespace vtl::cli {

// Compares the connected controller with a panel file and prints the result; the exit status.
int reportVerify(CommandContext& ctx, Session& session, PanelFamily family, const QString& path,
                 bool ethernetSent, VerifyCase verifyCase);

} // namespace vtl::cli
