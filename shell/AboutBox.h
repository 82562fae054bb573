#pragma once

#include <QIcon>
#include <QWidget>

namespace vtl {

QIcon programIcon();

// The About box: the program icon, the version and OK.
void showAboutBox(QWidget* parent);

} // namespace vtl
