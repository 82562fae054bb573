#include "cli/SiteOperations.h"

#include "cli/ConnectionOptions.h"
#include "cli/SettingsWindow.h"
#include "panelfile/PanelBackup.h"
#include "panelfile/PanelFileComparison.h"
#include "panelfile/PanelFileQuestions.h"
#include "panelfile/PanelVerify.h"
#include "panels/MainPanelOperations.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <tuple>

namespace vtl::cli {
namespace {

QRegularExpression backupPattern(const QString& name) {
    return QRegularExpression(
        QRegularExpression::anchoredPattern(QStringLiteral("%1-(\\d{8})-(\\d{4})(?:-(\\d+))?\\.PNL")
                                                .arg(QRegularExpression::escape(name))),
        QRegularExpression::CaseInsensitiveOption);
}

QString firmwareOf(std::uint32_t typeCode) {
    return MainPanelOperations::firmwareLine(typeCode).section(QLatin1Char(':'), 1).trimmed();
}

QJsonArray toJson(const QStringList& lines) {
    QJsonArray array;
    for (const QString& line : lines)
        array.append(line);
    return array;
}

} // namespace

// ---- identify ----------------------------------------------------------------------------------

RowOutcome IdentifyOperation::run(SiteController& c) const {
    const ConnectionState& state = c.session.state;
    RowOutcome outcome = RowOutcome::succeeded();
    const auto family = familyBase(familyOf(c.window), state);
    outcome.report.insert(QStringLiteral("family"), family);
    if (c.window == ControllerWindow::SubPanel) {
        outcome.detail = QStringLiteral("family %1").arg(family);
        return outcome;
    }
    const QString firmware = firmwareOf(state.PanelTypeCode);
    outcome.report.insert(QStringLiteral("firmware"), firmware);
    outcome.detail = QStringLiteral("type code %1, firmware %2, family %3")
                         .arg(state.PanelTypeCode)
                         .arg(firmware)
                         .arg(family);
    return outcome;
}

// ---- backup ------------------------------------------------------------------------------------

BackupOperation::BackupOperation(QDir folder, bool anyAddress)
    : folder_(std::move(folder)), anyAddress_(anyAddress),
      now_([] { return QDateTime::currentDateTime(); }) {}

void BackupOperation::presetAnswers(TerminalUserInterface& ui) const {
    ui.presetAnswer(PanelFileQuestions::MakeAddressSpecific,
                    anyAddress_ ? MessageAnswer::No : MessageAnswer::Yes);
}

RowOutcome BackupOperation::run(SiteController& c) const {
    const QDateTime time = now_();
    QString why;
    const QString path = reserveBackupFile(folder_, c.row.name, time, &why);
    if (path.isEmpty()) return RowOutcome::failed(why);
    PanelBackup backup(c.session, familyOf(c.window));
    backup.setTimeSource([time] { return time; });
    if (backup.run(path) != BackupOutcome::Finished) {
        // Only the empty file that held the name goes; a backup never replaces anything.
        if (QFileInfo(path).size() == 0) QFile::remove(path);
        return RowOutcome::failed();
    }
    const auto contents = readPanelFile(path, PanelFamily::Lan, &why);
    if (!contents) return RowOutcome::failed(QStringLiteral("%1: %2").arg(path, why));
    RowOutcome outcome = RowOutcome::succeeded();
    outcome.detail = QStringLiteral("%1, %2 records")
                         .arg(QFileInfo(path).fileName())
                         .arg(contents->records.size());
    outcome.report.insert(QStringLiteral("file"), path);
    outcome.report.insert(QStringLiteral("records"), int(contents->records.size()));
    return outcome;
}

QString reserveBackupFile(const QDir& folder, const QString& name, const QDateTime& time,
                          QString* why) {
    const QString stem = name + time.toString(QStringLiteral("-yyyyMMdd-HHmm"));
    for (int n = 1; n < 1000; ++n) {
        const QString file =
            n == 1 ? stem + QStringLiteral(".PNL") : QStringLiteral("%1-%2.PNL").arg(stem).arg(n);
        QFile reserved(folder.filePath(file));
        if (reserved.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return reserved.fileName();
        if (!reserved.exists()) {
            *why = QStringLiteral("cannot create %1: %2")
                       .arg(reserved.fileName(), reserved.errorString());
            return {};
        }
    }
    *why = QStringLiteral("too many backups of %1 in one minute").arg(name);
    return {};
}

QString newestBackupFile(const QDir& folder, const QString& name) {
    const QRegularExpression pattern = backupPattern(name);
    QString newest;
    std::tuple<QString, QString, int> newestKey;
    const QFileInfoList files = folder.entryInfoList(QDir::Files);
    for (const QFileInfo& file : files) {
        const auto match = pattern.match(file.fileName());
        if (!match.hasMatch() || file.size() == 0) continue;
        const int n = match.captured(3).isEmpty() ? 1 : match.captured(3).toInt();
        auto key = std::make_tuple(match.captured(1), match.captured(2), n);
        if (newest.isEmpty() || key > newestKey) {
            newest = file.filePath();
            newestKey = std::move(key);
        }
    }
    return newest;
}

// ---- verify ------------------------------------------------------------------------------------

VerifyOperation::VerifyOperation(QDir folder) : folder_(std::move(folder)) {}

QString VerifyOperation::prepare(const SiteRow& row) {
    const QString path = newestBackupFile(folder_, row.name);
    if (path.isEmpty())
        return QStringLiteral("no backup %1-YYYYMMDD-HHMM.PNL in %2").arg(row.name, folder_.path());
    QString why;
    if (!readPanelFile(path, PanelFamily::Lan, &why))
        return QStringLiteral("%1: %2").arg(path, why);
    files_.insert(row.name, path);
    return {};
}

RowOutcome VerifyOperation::run(SiteController& c) const {
    const QString path = files_.value(c.row.name);
    QString why;
    const auto comparison = verifyController(c.session, familyOf(c.window), path, true, &why);
    if (!comparison)
        return RowOutcome::failed(why.isEmpty() ? QString() : path + QStringLiteral(": ") + why);
    RowOutcome outcome = RowOutcome::succeeded();
    outcome.ok = comparison->equal();
    outcome.detail = QStringLiteral("%1: %2 records match, %3 differ, %4 as the restore rules "
                                    "leave them")
                         .arg(QFileInfo(path).fileName())
                         .arg(comparison->matching)
                         .arg(comparison->differences.size())
                         .arg(comparison->expected.size());
    outcome.report.insert(QStringLiteral("file"), path);
    outcome.report.insert(QStringLiteral("matching"), comparison->matching);
    outcome.report.insert(QStringLiteral("differences"), toJson(comparison->differences));
    outcome.report.insert(QStringLiteral("expected"), toJson(comparison->expected));
    return outcome;
}

// ---- settings ----------------------------------------------------------------------------------

SettingsOperation::SettingsOperation(SettingsTemplate settingsTemplate, bool dryRun)
    : template_(std::move(settingsTemplate)), dryRun_(dryRun) {}

QString SettingsOperation::prepare(const SiteRow& row) {
    // A sub panel answers only on a Sub LAN, the others only on a LAN.
    if (template_ && template_->controller &&
        (*template_->controller == QLatin1String("sub panel")) != row.subLan)
        return QStringLiteral("the template holds the settings of a %1, which a %2 row cannot "
                              "reach; nothing sent")
            .arg(*template_->controller,
                 row.subLan ? QStringLiteral("sub-lan") : QStringLiteral("lan"));
    return {};
}

RowOutcome SettingsOperation::run(SiteController& c) const {
    const QString kind = controllerKind(c.session.state, c.window);
    if (template_ && template_->controller && *template_->controller != kind)
        return RowOutcome::failed(QStringLiteral("the template holds the settings of a %1, and a "
                                                 "%2 answered; nothing sent")
                                      .arg(*template_->controller, kind));
    QString why;
    const auto window = openSettingsWindow(SettingsCommand::Settings, c.window, c.session,
                                           c.mainPanelMemory, c.subPanelMemory, why);
    if (!window) return RowOutcome::failed(why);
    SettingsRun request;
    if (template_) {
        request.changes = template_->changes;
        request.dryRun = dryRun_;
        request.skipUnchanged = true;
    }
    const SettingsResult result = runSettingsWindow(*window, request);
    // A failure's own message is the row's detail unless the window gave a reason of its own.
    if (result.status != SettingsResult::Status::Done) return RowOutcome::failed(result.why);

    RowOutcome outcome = RowOutcome::succeeded();
    const QJsonObject settings =
        QJsonDocument::fromJson(settingsJson(result.lines).toUtf8()).object();
    outcome.report.insert(QStringLiteral("settings"), settings);
    if (!template_) {
        for (const Setting& s : result.lines)
            outcome.output << s.key + QStringLiteral(": ") + s.text;
        outcome.detail = QStringLiteral("%1 settings").arg(settings.size());
        return outcome;
    }
    outcome.report.insert(
        QStringLiteral("changes"),
        QJsonDocument::fromJson(settingDifferencesJson(result.before, result.lines).toUtf8())
            .object());
    outcome.report.insert(QStringLiteral("sent"), result.sent);
    outcome.output = result.differences;
    const auto count = result.differences.size();
    outcome.detail = dryRun_       ? QStringLiteral("%1 to change, nothing sent").arg(count)
                     : result.sent ? QStringLiteral("%1 changed").arg(count)
                                   : QStringLiteral("nothing to change; nothing sent");
    return outcome;
}

QString siteTemplateProblem(const SettingsTemplate& settingsTemplate) {
    const auto& changes = settingsTemplate.changes;
    // Every controller of a site would take the same address.
    if (std::ranges::any_of(changes,
                            [](const auto& c) { return c.first == QLatin1String("address"); }))
        return QStringLiteral("a site's template must not hold an address: every controller would "
                              "take the same one (leave the key out)");
    const auto& kind = settingsTemplate.controller;
    for (const auto& [key, value] : changes) {
        // Checked as the windows of the kind it names take it, or as one of any kind could.
        const QString lanWhy = settingProblem(SettingsCommand::Settings, false, key, value);
        const QString subWhy = settingProblem(SettingsCommand::Settings, true, key, value);
        const QString why = !kind ? (lanWhy.isEmpty() || subWhy.isEmpty() ? QString() : lanWhy)
                            : *kind == QLatin1String("sub panel") ? subWhy
                                                                  : lanWhy;
        if (!why.isEmpty()) return why;
    }
    return {};
}

} // namespace vtl::cli
