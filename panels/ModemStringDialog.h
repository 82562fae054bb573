#pragma once

#include <QDialog>

class QLineEdit;

namespace vtl {

struct MainPanelMemory;

// Edits the remembered modem initialization string; the next Send takes it to the controller.
class ModemStringDialog final : public QDialog {
    Q_OBJECT
public:
    explicit ModemStringDialog(MainPanelMemory& memory, QWidget* parent = nullptr);

    QLineEdit* field() const { return field_; }
    // OK: takes the field's text into the remembered copy.
    void accept() override;

private:
    MainPanelMemory& memory_;
    QLineEdit* field_;
};

} // namespace vtl
