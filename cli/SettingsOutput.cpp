#include "cli/SettingsOutput.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <optional>

namespace vtl::cli {

namespace {

// A value as JSON text: a one-element array quotes and escapes it as JSON does; its brackets go.
QString jsonText(const QJsonValue& value) {
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

struct Difference {
    QString key;
    std::optional<Setting> before, after;
};

// The settings whose text differs, in the order of the read-outs.
QList<Difference> differingSettings(const SettingLines& before, const SettingLines& after) {
    auto find = [](const SettingLines& lines, const QString& key) -> std::optional<Setting> {
        for (const Setting& s : lines)
            if (s.key == key) return s;
        return std::nullopt;
    };
    QStringList keys;
    for (const SettingLines* lines : {&before, &after})
        for (const Setting& s : *lines)
            if (!keys.contains(s.key)) keys << s.key;
    QList<Difference> differences;
    for (const QString& key : keys) {
        Difference d{key, find(before, key), find(after, key)};
        if ((d.before ? d.before->text : QString()) != (d.after ? d.after->text : QString()) ||
            d.before.has_value() != d.after.has_value())
            differences.append(d);
    }
    return differences;
}

// Longest value echoed whole in a message; a longer one is cut and its length given.
constexpr qsizetype ShownValueLength = 40;

} // namespace

Setting Setting::number(const QString& key, const QString& digits) {
    // Up to nine digits always fit an int; no setting has more.
    const bool known = isDigits(digits, 9);
    return {key, digits, known ? QJsonValue(digits.toInt()) : QJsonValue(QJsonValue::Null)};
}

Setting Setting::flag(const QString& key, bool on) {
    return {key, yesNo(on), on};
}

Setting Setting::words(const QString& key, const QString& text) {
    return {key, text, text};
}

QString settingsJson(const SettingLines& lines) {
    QStringList members;
    for (const Setting& s : lines)
        members << jsonText(s.key) + QLatin1Char(':') + jsonText(s.json);
    return QLatin1Char('{') + members.join(QLatin1Char(',')) + QLatin1Char('}');
}

void printSettings(QTextStream& out, const SettingLines& lines, bool json) {
    if (json) {
        out << settingsJson(lines) << Qt::endl;
        return;
    }
    for (const Setting& s : lines)
        out << s.key << ": " << s.text << Qt::endl;
}

QStringList settingDifferences(const SettingLines& before, const SettingLines& after) {
    QStringList differences;
    for (const auto& [key, old, now] : differingSettings(before, after))
        differences << QStringLiteral("%1: %2 -> %3")
                           .arg(key, old ? old->text : QStringLiteral("(not shown)"),
                                now ? now->text : QStringLiteral("(not shown)"));
    return differences;
}

QString settingDifferencesJson(const SettingLines& before, const SettingLines& after) {
    QStringList members;
    for (const auto& [key, old, now] : differingSettings(before, after)) {
        const QJsonObject change{{QStringLiteral("from"), old ? old->json : QJsonValue()},
                                 {QStringLiteral("to"), now ? now->json : QJsonValue()}};
        members << jsonText(key) + QLatin1Char(':') +
                       QString::fromUtf8(QJsonDocument(change).toJson(QJsonDocument::Compact));
    }
    return QLatin1Char('{') + members.join(QLatin1Char(',')) + QLatin1Char('}');
}

QString yesNo(bool on) {
    return on ? QStringLiteral("yes") : QStringLiteral("no");
}

std::optional<bool> parseYesNo(const QString& value) {
    if (value == QLatin1String("yes")) return true;
    if (value == QLatin1String("no")) return false;
    return std::nullopt;
}

bool isDigits(const QString& value, int digits, bool emptyAllowed) {
    if (value.isEmpty()) return emptyAllowed;
    if (value.size() > digits) return false;
    return std::ranges::all_of(value, [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString quotedValue(const QString& value) {
    if (value.size() <= ShownValueLength) return QLatin1Char('"') + value + QLatin1Char('"');
    return QStringLiteral("\"%1...\" (%2 characters)")
        .arg(value.left(ShownValueLength))
        .arg(value.size());
}

} // namespace vtl::cli
