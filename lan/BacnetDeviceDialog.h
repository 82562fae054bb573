#pragma once

#include "lan/BacnetDeviceOperations.h"

#include <QDialog>

class QLineEdit;

namespace vtl {

class WindowOperationRunner;

class RangeSpinBox;
struct Session;

// The BACnet device settings of a LAN controller: a view of BacnetDeviceOperations. Whoever opens
// it calls start() (the read) and then exec(); OK closes it once the settings are sent.
class BacnetDeviceDialog final : public QDialog {
    Q_OBJECT
public:
    explicit BacnetDeviceDialog(Session& session, QWidget* parent = nullptr);

    void start();
    BacnetDeviceView view() const;
    void showView(const BacnetDeviceView& view);

    void ok();
    void clear();

private:
    void setRanges();

    BacnetDeviceOperations ops_;
    WindowOperationRunner* runner_ = nullptr;
    QLineEdit* instance_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* location_ = nullptr;
    QLineEdit* description_ = nullptr;
    RangeSpinBox* apdu_ = nullptr;
    RangeSpinBox* token_ = nullptr;
    RangeSpinBox* maxMaster_ = nullptr;
    class QPushButton* ok_ = nullptr;
};

} // namespace vtl
