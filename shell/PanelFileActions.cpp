#include "shell/PanelFileActions.h"

#include "panelfile/PanelBackup.h"
#include "panelfile/PanelRestore.h"
#include "panels/WindowOperationRunner.h"

#include <QFileDialog>

namespace vtl {
namespace {

QString runFileDialog(QWidget* window, QFileDialog::AcceptMode mode, const char* filter,
                      const char* suffix) {
    QFileDialog dialog(window);
    dialog.setAcceptMode(mode);
    dialog.setNameFilter(QString::fromLatin1(filter));
    dialog.setDefaultSuffix(QString::fromLatin1(suffix));
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

} // namespace

PanelFileActions::PanelFileActions(Session& session, PanelFamily family, QWidget* window,
                                   WindowOperationRunner* runner)
    : session_(session), family_(family), chooseSave_([window] { return askSaveFile(window); }),
      chooseOpen_([window] { return askOpenFile(window); }), runner_(runner) {}

void PanelFileActions::setChoosers(FileChooser save, FileChooser open) {
    chooseSave_ = std::move(save);
    chooseOpen_ = std::move(open);
}

QString PanelFileActions::askSaveFile(QWidget* window) {
    return runFileDialog(window, QFileDialog::AcceptSave, PanelFileDialog::Filter,
                         PanelFileDialog::DefaultSuffix);
}

QString PanelFileActions::askOpenFile(QWidget* window) {
    return runFileDialog(window, QFileDialog::AcceptOpen, PanelFileDialog::Filter,
                         PanelFileDialog::DefaultSuffix);
}

void PanelFileActions::backup() {
    const QString path = chooseSave_();
    if (!path.isEmpty()) run([&] { PanelBackup(session_, family_).run(path); });
}

void PanelFileActions::restore() {
    const QString path = chooseOpen_();
    if (!path.isEmpty()) run([&] { PanelRestore(session_, family_).run(path); });
}

void PanelFileActions::run(const std::function<void()>& work) {
    if (runner_)
        runner_->run(work);
    else
        work();
}

} // namespace vtl
