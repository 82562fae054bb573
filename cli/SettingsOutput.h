#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QTextStream>

#include <optional>

namespace vtl::cli {

// A window's settings as the command line shows them, in the window's order.
using SettingLines = QList<QPair<QString, QString>>;

// "key: value" lines, or one JSON object whose values are all strings.
void printSettings(QTextStream& out, const SettingLines& lines, bool json);

// "yes" / "no".
QString yesNo(bool on);
// The value of a yes/no key, or nullopt for anything else.
std::optional<bool> parseYesNo(const QString& value);
// True when the text is a decimal number of at most `digits` digits.
bool isDigits(const QString& value, int digits, bool emptyAllowed = false);

} // namespace vtl::cli
