#pragma once

#include "panels/SubPanelOperations.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace vtl {

class AddressSpinBox;
class WindowOperationRunner;

// The configuration window of a sub panel: a view of SubPanelOperations. Whoever opens it calls
// start() (the values found while connecting, the compatibility read) and then exec().
class SubPanelDialog final : public QDialog {
    Q_OBJECT
public:
    explicit SubPanelDialog(SubPanelOperations& operations, QWidget* parent = nullptr);

    void start();

    SubPanelView view() const;
    void showView(const SubPanelView& view);

    // The line between the backup and restore buttons, where their progress is written.
    QLineEdit* statusLine() const { return status_; }
    WindowOperationRunner& runner() const { return *runner_; }

    void load();
    void send();
    void clear();
    void openModbusSetup();

Q_SIGNALS:
    // The buttons whose work lives elsewhere: backup and restore.
    void backupRequested();
    void restoreRequested();

private:
    void build();

    SubPanelOperations& ops_;
    AddressSpinBox* address_ = nullptr;
    QPushButton* baud_ = nullptr;
    QCheckBox* lastPanel_ = nullptr;
    QCheckBox* kestrom_ = nullptr;
    QPushButton* modbus_ = nullptr;
    QPushButton* send_ = nullptr;
    QLineEdit* status_ = nullptr;
    WindowOperationRunner* runner_ = nullptr;
};

} // namespace vtl
