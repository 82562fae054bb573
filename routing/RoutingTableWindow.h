#pragma once

class QWidget;

namespace vtl {

struct Session;

// Opens the "IP Routing Table" window of the connected controller modally over parent, in the
// mode the connection gives; reads the table as it opens.
void openRoutingTableWindow(Session& session, QWidget* parent);

} // namespace vtl
