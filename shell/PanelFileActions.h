#pragma once

#include "link/Session.h"
#include "panelfile/FamilyCode.h"

#include <QString>

#include <functional>

class QWidget;

namespace vtl {

class WindowOperationRunner;

// The "Panel File Backup" and "Panel File Restore" buttons of a configuration window: ask for the
// file, then run the backup or restore of the window's controller family.
class PanelFileActions {
public:
    // Returns the chosen path, or an empty text when the user cancelled.
    using FileChooser = std::function<QString()>;

    // The backup and restore run through the window's runner, off the window's thread.
    PanelFileActions(Session& session, PanelFamily family, QWidget* window,
                     WindowOperationRunner* runner = nullptr);

    void backup();
    void restore();

    // The system's save and open dialogs unless replaced (tests).
    void setChoosers(FileChooser save, FileChooser open);
    // "Verify After Restore": read the controller back after a restore and compare it with the
    // file. The open dialog's check box sets it; it starts off.
    void setVerifyAfterRestore(bool on) { verifyAfterRestore_ = on; }
    bool verifyAfterRestore() const { return verifyAfterRestore_; }
    // "Back Up First": a backup into `backUpFolder` before the restore, which starts only when
    // that backup is complete. The open dialog's check box sets it; it starts off.
    void setBackUpFirst(bool on) { backUpFirst_ = on; }
    bool backUpFirst() const { return backUpFirst_; }
    // The history folder's "backups" unless replaced (tests).
    void setBackUpFolder(const QString& folder) { backUpFolder_ = folder; }

    static QString askSaveFile(QWidget* window);
    // With `verify` and `backUpFirst`, the dialog carries the "Verify After Restore" and "Back Up
    // First" check boxes, set from and into them.
    static QString askOpenFile(QWidget* window, bool* verify = nullptr,
                               bool* backUpFirst = nullptr);

private:
    void run(const std::function<void()>& work);

    Session& session_;
    PanelFamily family_;
    FileChooser chooseSave_;
    FileChooser chooseOpen_;
    bool verifyAfterRestore_ = false;
    bool backUpFirst_ = false;
    QString backUpFolder_;

    void showVerification(const QString& path, bool ethernetSent);
    WindowOperationRunner* runner_;
};

} // namespace vtl
