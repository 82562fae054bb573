#pragma once

#include "cli/SettingsWindow.h"

#include <optional>

namespace vtl::cli {

// A settings template: what `settings --json` (or `modbus --json`, `bacnet --json`) printed,
// perhaps cut down to the keys to change. Applied with --apply, only the keys it holds change.
struct SettingsTemplate {
    // The kind of controller it was read from ("main panel", "sub panel", ...), when it says.
    std::optional<QString> controller;
    // The keys to change, as --set takes them: numbers in decimal, true and false as yes and no.
    // Keys that describe the controller and keys whose value is null (the window showed none)
    // are left out.
    SettingChanges changes;
};

struct TemplateRead {
    std::optional<SettingsTemplate> settings;
    QString problem;         // why not, when there is no template
    bool unreadable = false; // the file could not be read or is no JSON object (exit 1, not 2)
};

// Reads a template; `describing` are the keys that describe the controller.
TemplateRead readSettingsTemplate(const QString& path, const QStringList& describing);
// The same for a template's bytes; `path` names it in the problems.
TemplateRead parseSettingsTemplate(const QByteArray& bytes, const QString& path,
                                   const QStringList& describing);

// The kinds of controller a settings template may name.
QStringList templateControllerKinds();

} // namespace vtl::cli
