#pragma once

#include <QDialog>

class QLineEdit;

namespace vtl {

struct MainPanelMemory;

// Edits the remembered McQuay password (shown as typed); the next Send takes it to the controller.
class McQuayPasswordDialog final : public QDialog {
    Q_OBJECT
public:
    explicit McQuayPasswordDialog(MainPanelMemory& memory, QWidget* parent = nullptr);

    QLineEdit* field() const { return field_; }
    // OK: takes the field's text into the remembered copy.
    void accept() override;

private:
    MainPanelMemory& memory_;
    QLineEdit* field_;
};

} // namespace vtl
