#pragma once

#include "link/Session.h"
#include "panelfile/PanelFileComparison.h"

#include <QString>
#include <optional>

namespace vtl {

// Whether the connected controller holds what a panel file holds: backs the controller up into
// memory (never to a file) and compares the two as the restore rules say it should hold them.
// nullopt when the file cannot be read or is not one this controller takes (`error` says why), or
// when the backup did not finish (it has said why itself; `error` is then empty).
std::optional<Comparison> verifyController(Session& session, PanelFamily family,
                                           const QString& path, bool ethernetSent, QString* error);

// The result in a few lines for a message box or the terminal: the differences (at most
// `maxLines`), then "N records match, M differ, K as the restore rules leave them".
QString verifySummary(const Comparison& comparison, int maxLines);

} // namespace vtl
