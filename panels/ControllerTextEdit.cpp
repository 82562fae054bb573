#include "panels/ControllerTextEdit.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace vtl {

void limitToControllerText(QLineEdit* edit, int maxLength) {
    edit->setMaxLength(maxLength);
    // Printable ASCII, as isControllerText.
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[ -~]*")), edit));
}

} // namespace vtl
