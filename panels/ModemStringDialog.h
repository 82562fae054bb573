#pragma once

#include "panels/TextEntryDialog.h"

namespace vtl {

struct MainPanelMemory;

// Edits the remembered modem initialization string; the next Send takes it to the controller.
class ModemStringDialog final : public TextEntryDialog {
    Q_OBJECT
public:
    explicit ModemStringDialog(MainPanelMemory& memory, QWidget* parent = nullptr);
};

} // namespace vtl
