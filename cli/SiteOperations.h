#pragma once

#include "cli/SettingsTemplate.h"
#include "cli/SiteOperation.h"

#include <QDateTime>
#include <QDir>
#include <QHash>

#include <functional>

namespace vtl::cli {

// The census: who answers, what it is, its firmware, address and rate.
class IdentifyOperation final : public SiteOperation {
public:
    RowOutcome run(SiteController& c) const override;
};

// Each controller's whole memory into NAME-YYYYMMDD-HHMM.PNL in a folder; an existing file is
// never replaced (a second backup in the same minute is NAME-YYYYMMDD-HHMM-2.PNL).
class BackupOperation final : public SiteOperation {
public:
    BackupOperation(QDir folder, bool anyAddress);
    // The local time the file names and stamps are taken from; the current time unless replaced.
    void setTimeSource(std::function<QDateTime()> now) { now_ = std::move(now); }

    void presetAnswers(TerminalUserInterface& ui) const override;
    RowOutcome run(SiteController& c) const override;

private:
    QDir folder_;
    bool anyAddress_;
    std::function<QDateTime()> now_;
};

// Each controller against its newest backup in a folder, as verify compares them; the Ethernet
// configuration is compared too, since the backup holds what the controller held.
class VerifyOperation final : public SiteOperation {
public:
    explicit VerifyOperation(QDir folder);
    QString prepare(const SiteRow& row) override;
    RowOutcome run(SiteController& c) const override;

private:
    QDir folder_;
    QHash<QString, QString> files_; // row name -> its newest backup
};

// Each controller's settings as settings shows them; the report holds them as JSON, and the text
// lines in the window's order for printing. With a template, its keys are changed on every
// controller as settings --apply changes them (or, in a dry run, compared); the report then also
// holds the changes, and the printed lines are they.
class SettingsOperation final : public SiteOperation {
public:
    SettingsOperation() = default;
    SettingsOperation(SettingsTemplate settingsTemplate, bool dryRun);
    QString prepare(const SiteRow& row) override;
    RowOutcome run(SiteController& c) const override;

private:
    std::optional<SettingsTemplate> template_;
    bool dryRun_ = false;
};

// Why a template cannot go to every controller of a site, before anything connects; empty when
// it can.
QString siteTemplateProblem(const SettingsTemplate& settingsTemplate);

// NAME-YYYYMMDD-HHMM.PNL, or with -2, -3, ... before the extension when that is taken; the file
// is created empty at once, so that no other backup can take the name. Empty with `why` set when
// no file could be made.
QString reserveBackupFile(const QDir& folder, const QString& name, const QDateTime& time,
                          QString* why);
// The newest file of that pattern for `name` that is not empty; empty when there is none.
QString newestBackupFile(const QDir& folder, const QString& name);

} // namespace vtl::cli
