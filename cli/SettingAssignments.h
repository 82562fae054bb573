#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <optional>

namespace vtl::cli {

// The KEY=VALUE pairs of repeated --set options. Nullopt, after saying why, when one is not of
// that form, names a key outside `keys` or is given twice.
std::optional<QMap<QString, QString>> parseAssignments(const QStringList& pairs,
                                                       const QStringList& keys, QTextStream& err);

// "yes" or "no" as a flag; nullopt for anything else.
std::optional<bool> yesNo(const QString& value);
QString yesNoText(bool value);

} // namespace vtl::cli
