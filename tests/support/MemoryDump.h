#pragma once

// Compares two dumps of a simulated controller's memory, as vtl-sim --dump writes them: one record
// a line, "command point table length hex".

#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QStringList>

#include <functional>

namespace vtl::test {

struct DumpedRecord {
    int command = 0, point = 0, table = 0;
    QByteArray line; // the whole line
};

inline QMap<QByteArray, DumpedRecord> parseDump(const QByteArray& dump) {
    QMap<QByteArray, DumpedRecord> records;
    for (const QByteArray& line : dump.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 4) continue;
        const QByteArray key = fields[0] + ' ' + fields[1] + ' ' + fields[2];
        records[key] = {fields[0].toInt(), fields[1].toInt(), fields[2].toInt(), line};
    }
    return records;
}

inline QByteArray readDump(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One text per record that differs, among those `compared` picks; "" when `compared` is empty.
inline QStringList dumpDifferences(const QByteArray& before, const QByteArray& after,
                                   const std::function<bool(const DumpedRecord&)>& compared = {}) {
    const auto a = parseDump(before);
    const auto b = parseDump(after);
    QStringList differences;
    QList<QByteArray> keys = a.keys() + b.keys();
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    for (const QByteArray& key : keys) {
        const DumpedRecord& record = a.contains(key) ? a[key] : b[key];
        if (compared && !compared(record)) continue;
        const QByteArray was = a.value(key).line, is = b.value(key).line;
        if (was != is)
            differences << QStringLiteral("record %1: before \"%2\", after \"%3\"")
                               .arg(QString::fromLatin1(key), QString::fromLatin1(was.left(80)),
                                    QString::fromLatin1(is.left(80)));
    }
    return differences;
}

} // namespace vtl::test
