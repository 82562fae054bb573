#pragma once

#include "panels/TextEntryDialog.h"

namespace vtl {

struct MainPanelMemory;

// Edits the remembered McQuay password; the next Send takes it to the controller.
class McQuayPasswordDialog final : public TextEntryDialog {
    Q_OBJECT
public:
    explicit McQuayPasswordDialog(MainPanelMemory& memory, QWidget* parent = nullptr);
};

} // namespace vtl
