#pragma once

// What a command sent that writes or clears, read from its --trace file.
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace vtl::test {

// "command/point/table" of every frame the program sent that writes or clears. The trace is
// removed once read, so that the next run's check sees only what that run sent.
inline QStringList writesIn(const QString& traceFile) {
    QFile file(traceFile);
    if (!file.open(QIODevice::ReadOnly)) return {QStringLiteral("no trace")};
    QStringList writes;
    while (!file.atEnd()) {
        const QJsonObject line = QJsonDocument::fromJson(file.readLine()).object();
        if (line.value("dir") != QLatin1String("tx") || line.value("command").toInt() < 100)
            continue;
        writes << QStringLiteral("%1/%2/%3")
                      .arg(line.value("command").toInt())
                      .arg(line.value("point").toInt())
                      .arg(line.value("table").toInt());
    }
    file.remove();
    return writes;
}

} // namespace vtl::test
