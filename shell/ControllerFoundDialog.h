#pragma once

#include "link/Connect.h"

#include <QDialog>

namespace vtl {

// Names the controller found and offers Close: the stand-in for the LAN controller and sub panel
// configuration windows.
class ControllerFoundDialog final : public QDialog {
    Q_OBJECT
public:
    ControllerFoundDialog(const ConnectionState& state, ControllerWindow window,
                          QWidget* parent = nullptr);
};

} // namespace vtl
