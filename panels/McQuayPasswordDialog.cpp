#include "panels/McQuayPasswordDialog.h"

#include "panels/ControllerTextEdit.h"
#include "panels/MainPanelMemory.h"

#include <QLineEdit>

namespace vtl {

McQuayPasswordDialog::McQuayPasswordDialog(MainPanelMemory& memory, QWidget* parent)
    : TextEntryDialog(
          {QStringLiteral("McQuay"), QStringLiteral("Enter New McQuay Password :"),
           QStringLiteral("OK"), QStringLiteral("Cancel")},
          memory.passwordText(), 16,
          [&memory](const QString& text) { memory.setPasswordText(text); }, parent) {
    field()->setObjectName(QStringLiteral("password"));
    limitToControllerText(field(), int(MainPanelMemory::PasswordSize));
}

} // namespace vtl
