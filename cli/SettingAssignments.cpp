#include "cli/SettingAssignments.h"

namespace vtl::cli {

std::optional<QMap<QString, QString>> parseAssignments(const QStringList& pairs,
                                                       const QStringList& keys, QTextStream& err) {
    QMap<QString, QString> assigned;
    for (const QString& pair : pairs) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        const QString key = pair.left(eq).trimmed().toLower();
        if (eq <= 0 || !keys.contains(key)) {
            err << "--set takes KEY=VALUE with KEY one of " << keys.join(QStringLiteral(", "))
                << ", not \"" << pair << "\"" << Qt::endl;
            return std::nullopt;
        }
        if (assigned.contains(key)) {
            err << "--set " << key << " is given twice" << Qt::endl;
            return std::nullopt;
        }
        assigned.insert(key, pair.mid(eq + 1).trimmed());
    }
    return assigned;
}

std::optional<bool> yesNo(const QString& value) {
    if (value.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0) return true;
    if (value.compare(QLatin1String("no"), Qt::CaseInsensitive) == 0) return false;
    return std::nullopt;
}

QString yesNoText(bool value) {
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

} // namespace vtl::cli
