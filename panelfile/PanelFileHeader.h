#pragma once

#include "panelfile/FamilyCode.h"

#include <QByteArray>
#include <QDateTime>
#include <QIODevice>
#include <QString>
#include <cstdint>

namespace vtl {

// "QTZ PANEL FILE VERSION 01.00" and its zero byte.
QByteArray panelFileSignature();
inline constexpr int PanelFileSignatureSize = 29;
// Readers compare only this much: the version digits may differ.
inline constexpr int PanelFileSignatureCompared = 22;
// Longest stamp text a reader accepts.
inline constexpr int MaxStampLength = 21;
inline constexpr int FamilyBlockSize = 5;

// "3:07:45 PM"; the hour after midnight is 0 AM and the hour after noon 12 AM.
QByteArray timeStamp(const QTime& time);
// "6/9/08": month/day/two-digit year.
QByteArray dateStamp(const QDate& date);
// FamilyCode low byte, high byte, 0, 0, AnyAddress.
QByteArray familyBlock(std::uint16_t familyCode, std::uint8_t anyAddress);

// Each returns false when the device took fewer bytes than given.
bool writeSignature(QIODevice& file);
bool writeStamps(QIODevice& file, const QDateTime& localTime); // time stamp, 0, date stamp, 0
bool writeFamilyBlock(QIODevice& file, std::uint16_t familyCode, std::uint8_t anyAddress);
bool writeHeader(QIODevice& file, const QDateTime& localTime, std::uint16_t familyCode,
                 std::uint8_t anyAddress);

struct PanelFileHeader {
    QByteArray signature; // the 29 bytes as read
    QByteArray timeStamp; // without its zero byte
    QByteArray dateStamp;
    std::uint16_t familyCode = 0;
    std::uint8_t anyAddress = 0;
    FileClass fileClass = FileClass::Invalid;

    int address() const { return fileAddress(familyCode); }
    bool anyAddressAllowed() const { return anyAddress != 0; }
};

enum class HeaderStatus { Ok, ReadError, Invalid };

struct HeaderReadResult {
    HeaderStatus status = HeaderStatus::Invalid;
    PanelFileHeader header; // complete only when ok()

    bool ok() const { return status == HeaderStatus::Ok; }
    // "Error Reading File." or "Invalid Panel File."; empty when ok().
    QString message() const;
    static QString title() { return QStringLiteral("Error"); }
};

// Reads the header up to and including AnyAddress and leaves the device at the first record.
// A file that ends anywhere inside the header is invalid; a device error is a read error.
HeaderReadResult readHeader(QIODevice& file, PanelFamily reader);

} // namespace vtl
