#pragma once

#include "cli/SettingsOutput.h"
#include "link/Connect.h"

#include <QPair>

#include <memory>

namespace vtl {
struct MainPanelMemory;
struct Session;
struct SubPanelMemory;
} // namespace vtl

namespace vtl::cli {

// What `settings`, `modbus` and `bacnet` show and change: one configuration window each.
enum class SettingsCommand { Settings, Modbus, Bacnet };

// KEY=VALUE changes, in the order given.
using SettingChanges = QList<QPair<QString, QString>>;

// A configuration window's settings on the command line: read as the window reads them when it
// opens, changed key by key as its controls could be, sent as its Send (or OK) does.
class SettingsWindow {
public:
    virtual ~SettingsWindow() = default;
    SettingsWindow() = default;
    SettingsWindow(const SettingsWindow&) = delete;
    SettingsWindow& operator=(const SettingsWindow&) = delete;

    // The window's reads; false when one was given up. `why` is set when the reason is not a
    // read given up (the window is not offered).
    virtual bool read(QString& why) = 0;
    // The read-out, with the changes made so far; after a send, what was sent.
    virtual SettingLines lines() const = 0;
    // Sets one control as the user could; why not when the window could not show the value.
    virtual QString set(const QString& key, const QString& value) = 0;
    virtual bool send() = 0;
    // Why a send that went through is still not whole (a sub panel's flag not written).
    virtual QString incomplete() const { return {}; }
    // A sub panel window shows what it read even when one of its reads was given up.
    virtual bool showsPartialRead() const { return false; }
};

// The window `command` opens on the controller found; nullptr, with `why`, when it has none.
std::unique_ptr<SettingsWindow> openSettingsWindow(SettingsCommand command, ControllerWindow window,
                                                   Session& session, MainPanelMemory& mainMemory,
                                                   SubPanelMemory& subMemory, QString& why);

// The keys of the read-out that describe the controller and cannot be set.
QStringList descriptiveKeys(SettingsCommand command, bool subLan);
// Why the value could not be set by the command, checked before connecting (the controller may
// be any kind the framing reaches); empty when some such controller's window could take it.
QString settingProblem(SettingsCommand command, bool subLan, const QString& key,
                       const QString& value);
// A problem of the changes taken together (a ModBus format of the other mode); empty if none.
QString changesProblem(SettingsCommand command, const SettingChanges& changes);

// What a run of a settings window came to.
struct SettingsResult {
    enum class Status { Done, Refused, Failed };
    Status status = Status::Failed;
    QString why;             // a refusal's or failure's reason, for "vtl-cli COMMAND: why"
    SettingLines lines;      // what to print: the read-out, or what was sent; may be empty
    SettingLines before;     // the read-out before the changes
    QStringList differences; // "key: old -> new", for a dry run or a template
    bool sent = false;
};

// How the changes are made.
struct SettingsRun {
    SettingChanges changes;
    bool dryRun = false;        // read and compare only
    bool skipUnchanged = false; // nothing sent when the changes change nothing (a template)
};

// Reads the window, makes the changes in the order of its read-out and sends (or compares).
SettingsResult runSettingsWindow(SettingsWindow& window, const SettingsRun& run);

} // namespace vtl::cli
