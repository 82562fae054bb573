#include "shell/AboutBox.h"

#include <QMessageBox>

// The resources live in a static library, where nothing would pull them in otherwise.
static void loadShellResources() {
    Q_INIT_RESOURCE(shell);
}

namespace vtl {

QIcon programIcon() {
    static const bool loaded = (loadShellResources(), true);
    (void)loaded;
    return QIcon(QStringLiteral(":/vtl/vtl.png"));
}

void showAboutBox(QWidget* parent) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("About Vantrel"),
                    QStringLiteral("VTL Version " VTL_VERSION), QMessageBox::Ok, parent);
    box.setIconPixmap(programIcon().pixmap(32, 32));
    box.exec();
}

} // namespace vtl
