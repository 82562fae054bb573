#include "cli/SettingsTemplate.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace vtl::cli {
namespace {

// A value as --set would take it; nullopt when JSON gives a kind no setting has.
std::optional<QString> valueText(const QJsonValue& value) {
    if (value.isBool()) return yesNo(value.toBool());
    if (value.isString()) return value.toString();
    if (value.isDouble()) {
        const double number = value.toDouble();
        // Every number a read-out shows is a whole one of at most nine digits.
        if (number != std::floor(number) || std::fabs(number) >= 1e9) return std::nullopt;
        return QString::number(qint64(number));
    }
    return std::nullopt;
}

} // namespace

QStringList templateControllerKinds() {
    return {QStringLiteral("main panel"), QStringLiteral("LAN controller"),
            QStringLiteral("Brinlet controller"), QStringLiteral("sub panel")};
}

TemplateRead readSettingsTemplate(const QString& path, const QStringList& describing) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        TemplateRead read;
        read.problem = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        read.unreadable = true;
        return read;
    }
    return parseSettingsTemplate(file.readAll(), path, describing);
}

TemplateRead parseSettingsTemplate(const QByteArray& bytes, const QString& path,
                                   const QStringList& describing) {
    TemplateRead read;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (!document.isObject()) {
        read.problem =
            QStringLiteral("%1 is not a settings template (a JSON object as --json "
                           "prints): %2")
                .arg(path, error.error == QJsonParseError::NoError ? QStringLiteral("not an object")
                                                                   : error.errorString());
        read.unreadable = true;
        return read;
    }
    SettingsTemplate settings;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString key = it.key();
        if (key == QLatin1String("controller") && describing.contains(key)) {
            if (!it.value().isString() ||
                !templateControllerKinds().contains(it.value().toString())) {
                read.problem = QStringLiteral("%1: controller must be one of %2")
                                   .arg(path, templateControllerKinds().join(QStringLiteral(", ")));
                return read;
            }
            settings.controller = it.value().toString();
            continue;
        }
        // What describes the controller is its own (type code, firmware, form): not compared, so
        // that one template serves controllers of other firmware.
        if (describing.contains(key) || it.value().isNull()) continue;
        const auto text = valueText(it.value());
        if (!text) {
            read.problem = QStringLiteral("%1: %2 must be a whole number, a text, true or false")
                               .arg(path, key);
            return read;
        }
        settings.changes.append({key, *text});
    }
    read.settings = settings;
    return read;
}

} // namespace vtl::cli
