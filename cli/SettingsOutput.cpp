#include "cli/SettingsOutput.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <optional>

namespace vtl::cli {

namespace {

QString jsonString(const QString& text) {
    // A one-element array quotes and escapes the text as JSON does; its brackets go.
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

} // namespace

void printSettings(QTextStream& out, const SettingLines& lines, bool json) {
    if (!json) {
        for (const auto& [key, value] : lines)
            out << key << ": " << value << Qt::endl;
        return;
    }
    QStringList members;
    for (const auto& [key, value] : lines)
        members << jsonString(key) + QStringLiteral(": ") + jsonString(value);
    out << "{" << members.join(QStringLiteral(", ")) << "}" << Qt::endl;
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

} // namespace vtl::cli
