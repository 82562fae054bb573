#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace vtl::cli {

// One controller of a site: a row of the site file.
struct SiteRow {
    int line = 0; // where the row starts in the file
    QString name; // also the start of its backup files' names
    QString port; // as --port takes it
    bool subLan = false;
    int baudPosition = 0; // in the connection window's baud list; 0 is Auto Detect
    // The address the controller must answer at; none: whichever controller answers.
    std::optional<int> address;
    QString code; // the access code, the row's own or the one given with --code
};

// The header names, in the order the program writes them (a file may order them as it likes).
inline const QStringList SiteColumns = {QStringLiteral("name"),    QStringLiteral("port"),
                                        QStringLiteral("framing"), QStringLiteral("baud"),
                                        QStringLiteral("address"), QStringLiteral("code")};

struct SiteFile {
    QList<SiteRow> rows;
    QStringList problems; // "line N: why", every one found; the file is usable only without any
    bool ok() const { return problems.isEmpty(); }
};

// Checks the whole file before anything connects: the header, every row's values, names that are
// file names and unique, and rows that share a port telling apart the controllers on it.
// `defaultCode` is the access code for rows that leave theirs empty.
SiteFile readSiteFile(const QByteArray& bytes, const QString& defaultCode);

// Why `name` cannot start a file name on Windows or Linux; empty when it can.
QString fileNameProblem(const QString& name);
// What --port takes, for messages.
inline const QString PortForms = QStringLiteral(
    "a device (/dev/ttyUSB0, COM3), tcp://HOST:PORT or rfc2217://HOST:PORT with PORT "
    "from 1 to 65535");
// Why `port` is not a port --port takes; empty when it is.
QString portProblem(const QString& port);
// The line behind a port: two texts for one device server or one COM port give one key.
QString lineKey(const QString& port);

} // namespace vtl::cli
