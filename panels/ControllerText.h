#pragma once

#include <QString>

namespace vtl {

// The characters a controller keeps in its text fields (modem strings, passwords, BACnet names):
// printable ASCII, one byte each. Anything else would reach it as "?" or as a control byte.
bool isControllerText(const QString& text);

// Why `text` cannot go into a field of `maxLength` characters ("up to 32 plain characters"), or
// an empty text when it can.
QString controllerTextProblem(const QString& text, int maxLength);

} // namespace vtl
