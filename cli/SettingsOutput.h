#pragma once

#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <optional>

namespace vtl::cli {

// One setting as the command line shows it: its text on a "key: value" line, and the same value
// typed for JSON (a number, true or false, a string, or null where the window shows none).
struct Setting {
    QString key;
    QString text;
    QJsonValue json;

    // A number the window shows as digits; anything else ("????", empty) is null in JSON.
    static Setting number(const QString& key, const QString& digits);
    static Setting flag(const QString& key, bool on);
    static Setting words(const QString& key, const QString& text);
};

// A window's settings as the command line shows them, in the window's order.
using SettingLines = QList<Setting>;

// "key: value" lines, or one JSON object with the keys in the same order.
void printSettings(QTextStream& out, const SettingLines& lines, bool json);
// The same JSON object as text.
QString settingsJson(const SettingLines& lines);

// The settings whose text differs between two read-outs of one window, as "key: old -> new";
// a key only one of them shows counts too.
QStringList settingDifferences(const SettingLines& before, const SettingLines& after);

// The same as one JSON object: {"key": {"from": old, "to": new}}, typed as the read-outs are.
QString settingDifferencesJson(const SettingLines& before, const SettingLines& after);

// "yes" / "no".
QString yesNo(bool on);
// The value of a yes/no key, or nullopt for anything else.
std::optional<bool> parseYesNo(const QString& value);
// True when the text is a decimal number of at most `digits` digits.
bool isDigits(const QString& value, int digits, bool emptyAllowed = false);
// A value given on the command line, quoted and cut to a readable length for a message.
QString quotedValue(const QString& value);

} // namespace vtl::cli
