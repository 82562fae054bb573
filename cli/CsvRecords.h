#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace vtl::cli {

// One record of a CSV file and the line it starts on (a quoted field may run over several).
struct CsvRecord {
    int line = 0;
    QStringList fields;
};

struct CsvText {
    QList<CsvRecord> records;
    QString error; // why the text could not be read; empty when it was
    int errorLine = 0;
    bool ok() const { return error.isEmpty(); }
};

// Reads CSV text as spreadsheets write it: an optional UTF-8 byte order mark, lines ended by CRLF,
// LF or CR, fields in double quotes that may hold separators, line breaks and doubled quotes. The
// separator is a comma, or a semicolon when the first line has semicolons and no comma (what a
// spreadsheet writes where the comma is the decimal mark). Fields outside quotes are trimmed; a
// line with nothing but separators and blanks is no record. Every field must be UTF-8.
CsvText readCsv(const QByteArray& bytes);

} // namespace vtl::cli
