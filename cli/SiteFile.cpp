#include "cli/SiteFile.h"

#include "cli/CsvRecords.h"
#include "link/Connect.h"
#include "link/DeviceServerSocket.h"
#include "panels/SubPanelSettings.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace vtl::cli {
namespace {

constexpr int MaxNameLength = 64;
constexpr int MaxLanAddress = 125; // the main panel window's address box

const QStringList BaudNames = {
    QStringLiteral("auto"),  QStringLiteral("115200"), QStringLiteral("57600"),
    QStringLiteral("38400"), QStringLiteral("19200"),  QStringLiteral("9600"),
    QStringLiteral("4800"),  QStringLiteral("2400"),   QStringLiteral("1200")};

bool isReservedOnWindows(const QString& name) {
    static const QRegularExpression reserved(QRegularExpression::anchoredPattern(QStringLiteral(
                                                 "(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])(\\..*)?")),
                                             QRegularExpression::CaseInsensitiveOption);
    return reserved.match(name).hasMatch();
}

bool isDeviceServer(const QString& port, QString* host, quint16* number) {
    return parseServerName(port, QStringLiteral("tcp"), host, number) ||
           parseServerName(port, QStringLiteral("rfc2217"), host, number);
}

// Where the columns are in the file's header; problems go to `problems`.
QHash<QString, int> readHeader(const CsvRecord& header, QStringList& problems) {
    QHash<QString, int> columns;
    const auto problem = [&](const QString& why) {
        problems << QStringLiteral("line %1: %2").arg(header.line).arg(why);
    };
    for (int i = 0; i < header.fields.size(); ++i) {
        const QString name = header.fields[i].trimmed().toLower();
        if (!SiteColumns.contains(name))
            problem(QStringLiteral("unknown column \"%1\" (the columns are %2)")
                        .arg(header.fields[i], SiteColumns.join(QStringLiteral(", "))));
        else if (columns.contains(name))
            problem(QStringLiteral("column \"%1\" is given twice").arg(name));
        else
            columns.insert(name, i);
    }
    for (const QString& name : SiteColumns)
        if (!columns.contains(name)) problem(QStringLiteral("no column \"%1\"").arg(name));
    return columns;
}

class RowReader {
public:
    RowReader(const QHash<QString, int>& columns, const QString& defaultCode)
        : columns_(columns), defaultCode_(defaultCode) {}

    // The row, or nullopt after adding why not to `problems`.
    std::optional<SiteRow> read(const CsvRecord& record, QStringList& problems) {
        problems_ = &problems;
        line_ = record.line;
        if (record.fields.size() != columns_.size()) {
            problem(QStringLiteral("%1 fields where the header has %2")
                        .arg(record.fields.size())
                        .arg(columns_.size()));
            return std::nullopt;
        }
        fields_ = &record.fields;
        const qsizetype before = problems.size();
        SiteRow row;
        row.line = record.line;
        row.name = value("name");
        row.port = value("port");
        if (row.name.isEmpty())
            problem(QStringLiteral("no name"));
        else if (const QString why = fileNameProblem(row.name); !why.isEmpty())
            problem(why);
        if (const QString why = portProblem(row.port); !why.isEmpty()) problem(why);
        framing(row);
        baud(row);
        address(row);
        code(row);
        if (problems.size() != before) return std::nullopt;
        return row;
    }

private:
    QString value(const char* column) const {
        return (*fields_)[columns_.value(QString::fromLatin1(column))].trimmed();
    }
    void problem(const QString& why) {
        *problems_ << QStringLiteral("line %1: %2").arg(line_).arg(why);
    }

    void framing(SiteRow& row) {
        const QString text = value("framing").toLower();
        if (text == QLatin1String("lan") || text == QLatin1String("sub-lan"))
            row.subLan = text == QLatin1String("sub-lan");
        else
            problem(
                QStringLiteral("framing must be lan or sub-lan, not \"%1\"").arg(value("framing")));
    }

    void baud(SiteRow& row) {
        const QString text = value("baud");
        row.baudPosition = int(BaudNames.indexOf(text.toLower()));
        if (row.baudPosition < 0)
            problem(QStringLiteral("baud must be auto or one of %1, not \"%2\"")
                        .arg(BaudNames.mid(1).join(QStringLiteral(", ")), text));
    }

    void address(SiteRow& row) {
        const QString text = value("address");
        if (text.isEmpty()) return;
        const int highest = row.subLan ? SubPanelMaxAddress : MaxLanAddress;
        bool ok = false;
        const int number = text.toInt(&ok);
        if (ok && number >= 1 && number <= highest) {
            row.address = number;
            return;
        }
        problem(QStringLiteral("address must be empty or a number from 1 to %1 on a %2, not \"%3\"")
                    .arg(highest)
                    .arg(row.subLan ? QStringLiteral("Sub LAN") : QStringLiteral("LAN"), text));
    }

    void code(SiteRow& row) {
        const QString text = value("code");
        // The access code box turns what is typed into capitals and holds this many characters.
        row.code = (text.isEmpty() ? defaultCode_ : text).toUpper().left(AccessCodeLength);
        if (row.code.isEmpty())
            problem(QStringLiteral("no code, and no --code for the rows without one"));
        else if (row.code != OrdinaryAccessCode && row.code != PrivilegedAccessCode)
            problem(QStringLiteral("the access code is not accepted"));
    }

    const QHash<QString, int>& columns_;
    QString defaultCode_;
    const QStringList* fields_ = nullptr;
    QStringList* problems_ = nullptr;
    int line_ = 0;
};

// Names are file names, and two names that differ only in case are one file on Windows. Rows
// that share a line are told apart by their addresses.
void checkAcrossRows(const QList<SiteRow>& rows, QStringList& problems) {
    QHash<QString, int> names;
    QHash<QString, const SiteRow*> lines;
    for (const SiteRow& row : rows) {
        const QString name = row.name.toLower();
        if (names.contains(name))
            problems << QStringLiteral("line %1: name \"%2\" is already on line %3")
                            .arg(row.line)
                            .arg(row.name)
                            .arg(names.value(name));
        else
            names.insert(name, row.line);
        const QString key = lineKey(row.port);
        const SiteRow* first = lines.value(key);
        if (!first) {
            lines.insert(key, &row);
            continue;
        }
        if (!first->address || !row.address)
            problems << QStringLiteral("line %1: port %2 is also on line %3: rows on one line "
                                       "need an address each, to tell their controllers apart")
                            .arg(row.line)
                            .arg(row.port)
                            .arg(first->line);
    }
    // Two rows for one controller: the same line and address.
    QHash<QString, int> controllers;
    for (const SiteRow& row : rows) {
        if (!row.address) continue;
        const QString key = lineKey(row.port) + QLatin1Char('#') + QString::number(*row.address);
        if (controllers.contains(key))
            problems << QStringLiteral("line %1: address %2 on port %3 is already on line %4")
                            .arg(row.line)
                            .arg(*row.address)
                            .arg(row.port)
                            .arg(controllers.value(key));
        else
            controllers.insert(key, row.line);
    }
}

// The N of "line N: why", read in place: the sort asks for it twice a comparison.
int lineOf(const QString& problem) {
    const qsizetype colon = problem.indexOf(QLatin1Char(':'));
    return QStringView(problem).mid(5, colon - 5).toInt();
}

} // namespace

QString fileNameProblem(const QString& name) {
    static const QRegularExpression forbidden(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1F\\x7F]"));
    if (name.size() > MaxNameLength)
        return QStringLiteral("name \"%1\" is longer than %2 characters")
            .arg(name)
            .arg(MaxNameLength);
    if (forbidden.match(name).hasMatch())
        return QStringLiteral("name \"%1\" cannot be part of a file name: no / \\ : * ? \" < > | "
                              "or control characters")
            .arg(name);
    if (name.endsWith(QLatin1Char('.')) || name.startsWith(QLatin1Char('.')))
        return QStringLiteral("name \"%1\" cannot start or end with a dot").arg(name);
    if (isReservedOnWindows(name))
        return QStringLiteral("name \"%1\" is a device on Windows, not a file").arg(name);
    return {};
}

QString portProblem(const QString& port) {
    if (port.isEmpty()) return QStringLiteral("no port");
    static const QRegularExpression com(
        QRegularExpression::anchoredPattern(QStringLiteral("COM[1-9][0-9]{0,2}")),
        QRegularExpression::CaseInsensitiveOption);
    if (port.contains(QLatin1String("://"))) {
        if (isDeviceServer(port, nullptr, nullptr)) return {};
        return QStringLiteral("port \"%1\" must be tcp://HOST:PORT or rfc2217://HOST:PORT")
            .arg(port);
    }
    if (com.match(port).hasMatch() || port.startsWith(QLatin1Char('/')) ||
        port.startsWith(QLatin1String("\\\\.\\")))
        return {};
    return QStringLiteral("port \"%1\" is not a device (/dev/ttyUSB0, COM3), tcp://HOST:PORT or "
                          "rfc2217://HOST:PORT")
        .arg(port);
}

QString lineKey(const QString& port) {
    QString host;
    quint16 number = 0;
    if (isDeviceServer(port, &host, &number))
        return host.toLower() + QLatin1Char(':') + QString::number(number);
    if (port.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) return port.toUpper();
    return port;
}

SiteFile readSiteFile(const QByteArray& bytes, const QString& defaultCode) {
    SiteFile site;
    const CsvText csv = readCsv(bytes);
    if (!csv.ok()) {
        site.problems << QStringLiteral("line %1: %2").arg(csv.errorLine).arg(csv.error);
        return site;
    }
    if (csv.records.isEmpty()) {
        site.problems
            << QStringLiteral("line 1: no header (%1)").arg(SiteColumns.join(QLatin1Char(',')));
        return site;
    }
    const QHash<QString, int> columns = readHeader(csv.records.first(), site.problems);
    if (!site.ok()) return site;
    if (csv.records.size() == 1) {
        site.problems << QStringLiteral("line %1: no controllers below the header")
                             .arg(csv.records.first().line + 1);
        return site;
    }
    RowReader reader(columns, defaultCode);
    for (const CsvRecord& record : csv.records.mid(1))
        if (auto row = reader.read(record, site.problems)) site.rows << *row;
    checkAcrossRows(site.rows, site.problems);
    // In the order of the file, whichever check found them.
    std::stable_sort(site.problems.begin(), site.problems.end(),
                     [](const QString& a, const QString& b) { return lineOf(a) < lineOf(b); });
    if (!site.ok()) site.rows.clear();
    return site;
}

} // namespace vtl::cli
