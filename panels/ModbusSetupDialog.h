#pragma once

#include "panels/ModbusSetupOperations.h"

#include <QDialog>

class QPushButton;
class QRadioButton;

namespace vtl {

class WindowOperationRunner;

// The ModBus Setup window: a view of ModbusSetupOperations. Whoever opens it calls start() (the
// read) and then exec(); OK writes and closes, Cancel closes.
class ModbusSetupDialog final : public QDialog {
    Q_OBJECT
public:
    explicit ModbusSetupDialog(ModbusSetupOperations& operations, QWidget* parent = nullptr);

    void start();

    ModbusView view() const;
    void showView(const ModbusView& view);

    void accept() override;

private:
    void chooseMode(bool ascii);

    ModbusSetupOperations& ops_;
    WindowOperationRunner* runner_ = nullptr;
    QRadioButton* rtu_ = nullptr;
    QRadioButton* ascii_ = nullptr;
    QPushButton* baud_ = nullptr;
    QPushButton* data_ = nullptr;
    QPushButton* ok_ = nullptr;
    // The mode the data button's format belongs to: only a change of it resets the format.
    bool asciiMode_ = false;
};

} // namespace vtl
