#include "panels/ModemStringDialog.h"

#include "panels/ControllerTextEdit.h"
#include "panels/MainPanelMemory.h"

#include <QLineEdit>

namespace vtl {

ModemStringDialog::ModemStringDialog(MainPanelMemory& memory, QWidget* parent)
    : TextEntryDialog(
          {QStringLiteral("Modem Initialization"),
           QStringLiteral("Enter New Modem Initialization String :"), QStringLiteral("&OK"),
           QStringLiteral("&Cancel")},
          memory.ModemStringKnown ? memory.modemStringText() : QString(), 36,
          [&memory](const QString& text) { memory.setModemStringText(text); }, parent) {
    field()->setObjectName(QStringLiteral("modemString"));
    limitToControllerText(field(), int(MainPanelMemory::ModemStringSize));
}

} // namespace vtl
