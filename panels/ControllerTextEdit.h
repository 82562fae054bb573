#pragma once

class QLineEdit;

namespace vtl {

// Lets the field take only what the controller keeps: at most maxLength characters, each of the
// controller's character set. Text put in by the program (a read) is shown as it came.
void limitToControllerText(QLineEdit* edit, int maxLength);

} // namespace vtl
