#include "shell/PanelFileActions.h"

#include "history/HistoryFolder.h"
#include "panelfile/PanelBackup.h"
#include "panelfile/PanelRestore.h"
#include "panelfile/PanelVerify.h"
#include "panels/WindowOperationRunner.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>

namespace vtl {
namespace {

// More would not fit a message box on a small screen.
constexpr int MaxShownDifferences = 12;

// A system dialog takes no extra controls: the check box needs Qt's own dialog, whose grid has
// room below the file type row.
QCheckBox* addCheckBox(QFileDialog& dialog, const QString& text, bool checked) {
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (!grid) return nullptr;
    auto* box = new QCheckBox(text, &dialog);
    box->setChecked(checked);
    grid->addWidget(box, grid->rowCount(), 0, 1, grid->columnCount());
    return box;
}

QString runFileDialog(QWidget* window, QFileDialog::AcceptMode mode, const char* filter,
                      const char* suffix, bool* verify = nullptr, bool* backUpFirst = nullptr) {
    QFileDialog dialog(window);
    dialog.setAcceptMode(mode);
    dialog.setNameFilter(QString::fromLatin1(filter));
    dialog.setDefaultSuffix(QString::fromLatin1(suffix));
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setOption(QFileDialog::ReadOnly, false);
    QCheckBox* verifyBox =
        verify ? addCheckBox(dialog, QStringLiteral("Verify After Restore"), *verify) : nullptr;
    QCheckBox* backUpBox =
        backUpFirst ? addCheckBox(dialog, QStringLiteral("Back Up First"), *backUpFirst) : nullptr;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    if (verifyBox) *verify = verifyBox->isChecked();
    if (backUpBox) *backUpFirst = backUpBox->isChecked();
    return dialog.selectedFiles().first();
}

} // namespace

PanelFileActions::PanelFileActions(Session& session, PanelFamily family, QWidget* window,
                                   WindowOperationRunner* runner)
    : session_(session), family_(family), chooseSave_([window] { return askSaveFile(window); }),
      chooseOpen_(
          [this, window] { return askOpenFile(window, &verifyAfterRestore_, &backUpFirst_); }),
      backUpFolder_(HistoryFolder::standard().backupsPath()), runner_(runner) {}

void PanelFileActions::setChoosers(FileChooser save, FileChooser open) {
    chooseSave_ = std::move(save);
    chooseOpen_ = std::move(open);
}

QString PanelFileActions::askSaveFile(QWidget* window) {
    return runFileDialog(window, QFileDialog::AcceptSave, PanelFileDialog::Filter,
                         PanelFileDialog::DefaultSuffix);
}

QString PanelFileActions::askOpenFile(QWidget* window, bool* verify, bool* backUpFirst) {
    return runFileDialog(window, QFileDialog::AcceptOpen, PanelFileDialog::Filter,
                         PanelFileDialog::DefaultSuffix, verify, backUpFirst);
}

void PanelFileActions::backup() {
    const QString path = chooseSave_();
    if (!path.isEmpty()) run([&] { PanelBackup(session_, family_).run(path); });
}

void PanelFileActions::restore() {
    const QString path = chooseOpen_();
    if (path.isEmpty()) return;
    run([&] {
        PanelRestore restore(session_, family_);
        if (backUpFirst_) restore.setBackUpFirst(backUpFolder_);
        if (restore.run(path) == RestoreOutcome::Finished && verifyAfterRestore_)
            showVerification(path, restore.ethernetSent());
    });
}

// The reads of the check show in the status line like a backup's; the result comes in a message
// box, and the status line ends as the restore ended it.
void PanelFileActions::showVerification(const QString& path, bool ethernetSent) {
    QString why;
    const auto result =
        verifyController(session_, family_, path, ethernetSent, &why, VerifyCase::AfterRestore);
    session_.ui.setStatus(QStringLiteral("Finished Sending Panel File."));
    if (!result) {
        if (!why.isEmpty()) session_.ui.message(why, QStringLiteral("Error"));
        return;
    }
    const QString head = result->equal()
                             ? QStringLiteral("The Controller Holds What The Panel File Holds.")
                             : QStringLiteral("The Controller Differs From The Panel File:");
    session_.ui.message(head + QStringLiteral("\n\n") + verifySummary(*result, MaxShownDifferences),
                        QStringLiteral("VTL"), MessageButtons::Ok,
                        result->equal() ? MessageIcon::Information : MessageIcon::Exclamation);
}

void PanelFileActions::run(const std::function<void()>& work) {
    if (runner_)
        runner_->run(work);
    else
        work();
}

} // namespace vtl
