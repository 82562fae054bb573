#pragma once

#include "link/Session.h"
#include "panelfile/PanelFileComparison.h"

#include <QString>
#include <optional>

namespace vtl {

// Right after a restore of the file, a file of another controller kind that the restore took (a
// main panel file sent to a LAN controller) is compared as the restore left it. On its own, such a
// file holds nothing to compare the controller with and is refused before the controller is read.
enum class VerifyCase { AfterRestore, OnItsOwn };

// Whether the connected controller holds what a panel file holds: backs the controller up into
// memory (never to a file) and compares the two as the restore rules say it should hold them.
// nullopt when the file cannot be read or is not one this controller takes (`error` says why), or
// when the backup did not finish (it has said why itself; `error` is then empty).
std::optional<Comparison> verifyController(Session& session, PanelFamily family,
                                           const QString& path, bool ethernetSent, QString* error,
                                           VerifyCase verifyCase = VerifyCase::OnItsOwn);

// The result in a few lines for a message box or the terminal: the differences (at most
// `maxLines`), then "N records match, M differ, K as the restore rules leave them".
QString verifySummary(const Comparison& comparison, int maxLines);

} // namespace vtl
