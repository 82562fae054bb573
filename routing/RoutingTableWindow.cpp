#include "routing/RoutingTableWindow.h"

#include "routing/RoutingTableDialog.h"

namespace vtl {

void openRoutingTableWindow(Session& session, QWidget* parent) {
    RoutingTableDialog dialog(session, parent);
    dialog.start();
    dialog.exec();
}

} // namespace vtl
