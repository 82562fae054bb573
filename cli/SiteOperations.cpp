#include "cli/SiteOperations.h"

#include "cli/ConnectionOptions.h"
#include "cli/LanSettingsKeys.h"
#include "cli/MainPanelSettingsKeys.h"
#include "cli/SubPanelCommands.h"
#include "lan/LanControllerOperations.h"
#include "panelfile/PanelBackup.h"
#include "panelfile/PanelFileComparison.h"
#include "panelfile/PanelFileQuestions.h"
#include "panelfile/PanelVerify.h"
#include "panels/MainPanelOperations.h"
#include "panels/SubPanelOperations.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <tuple>

namespace vtl::cli {
namespace {

QRegularExpression backupPattern(const QString& name) {
    return QRegularExpression(QStringLiteral("^%1-(\\d{8})-(\\d{4})(?:-(\\d+))?\\.PNL$")
                                  .arg(QRegularExpression::escape(name)),
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

// The read-out of vtl-cli settings, once as text and once as JSON.
struct SettingsReadout {
    QString text;
    QString json;
};

std::optional<SettingsReadout> readSettings(SiteController& c) {
    SettingsReadout readout;
    QTextStream text(&readout.text);
    QTextStream json(&readout.json);
    switch (c.window) {
    case ControllerWindow::MainPanel: {
        MainPanelOperations ops(c.session, c.mainPanelMemory);
        MainPanelView view;
        if (!ops.load(view)) return std::nullopt;
        const SettingLines lines = mainPanelSettingLines(c.session.state, view, ops.memory());
        printSettings(text, lines, false);
        printSettings(json, lines, true);
        break;
    }
    case ControllerWindow::LanController: {
        LanControllerOperations ops(c.session);
        LanControllerView view;
        if (!ops.load(view)) return std::nullopt;
        const SettingLines lines = lanSettingLines(c.session.state, view);
        printSettings(text, lines, false);
        printSettings(json, lines, true);
        break;
    }
    case ControllerWindow::SubPanel: {
        SubPanelOperations ops(c.session, c.subPanelMemory);
        SubPanelView view;
        if (!ops.open(view)) return std::nullopt;
        // The read-out prints no messages; what a job shows goes through its user interface.
        QString unused;
        QTextStream err(&unused);
        CommandContext textContext{{}, text, err};
        CommandContext jsonContext{{}, json, err};
        print(textContext, false, subPanelFields(view));
        print(jsonContext, true, subPanelFields(view));
        break;
    }
    }
    return readout;
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

RowOutcome SettingsOperation::run(SiteController& c) const {
    const auto readout = readSettings(c);
    if (!readout) return RowOutcome::failed();
    const QJsonDocument json = QJsonDocument::fromJson(readout->json.toUtf8());
    RowOutcome outcome = RowOutcome::succeeded();
    outcome.report.insert(QStringLiteral("settings"), json.object());
    outcome.output = readout->text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    outcome.detail = QStringLiteral("%1 settings").arg(json.object().size());
    return outcome;
}

} // namespace vtl::cli
