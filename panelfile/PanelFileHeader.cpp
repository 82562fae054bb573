#include "panelfile/PanelFileHeader.h"

#include "panelfile/DeviceRead.h"

namespace vtl {
namespace {

bool writeAll(QIODevice& file, const QByteArray& bytes) {
    return file.write(bytes) == bytes.size();
}

enum class StampRead { Ok, TooLongOrEnded, Error };

// Stamp texts are only skipped by readers, but kept for whoever wants to show them.
StampRead readStamp(QIODevice& file, QByteArray& text) {
    text.clear();
    for (;;) {
        char c = 0;
        const qint64 got = file.read(&c, 1);
        if (got < 0) return StampRead::Error;
        if (got == 0) return StampRead::TooLongOrEnded;
        if (c == 0) return StampRead::Ok;
        if (text.size() == MaxStampLength) return StampRead::TooLongOrEnded;
        text.append(c);
    }
}

// Reads exactly `size` bytes; a short read means the file ended.
HeaderStatus readExactly(QIODevice& file, qint64 size, QByteArray& bytes) {
    bytes.resize(size);
    const qint64 got = readFully(file, bytes.data(), size);
    bytes.resize(got < 0 ? 0 : got);
    if (got < 0) return HeaderStatus::ReadError;
    return got == size ? HeaderStatus::Ok : HeaderStatus::Invalid;
}

} // namespace

QByteArray panelFileSignature() {
    return {"QTZ PANEL FILE VERSION 01.00", PanelFileSignatureSize};
}

QByteArray timeStamp(const QTime& time) {
    int hour = time.hour();
    const char* suffix = " AM";
    if (hour > 12) {
        hour -= 12;
        suffix = " PM";
    }
    return QString::asprintf("%d:%02d:%02d%s", hour, time.minute(), time.second(), suffix)
        .toLatin1();
}

QByteArray dateStamp(const QDate& date) {
    return QString::asprintf("%d/%d/%02d", date.month(), date.day(), date.year() % 100).toLatin1();
}

QByteArray familyBlock(std::uint16_t familyCode, std::uint8_t anyAddress) {
    QByteArray block(FamilyBlockSize, '\0');
    block[0] = static_cast<char>(familyCode & 0xff);
    block[1] = static_cast<char>(familyCode >> 8);
    block[4] = static_cast<char>(anyAddress);
    return block;
}

bool writeSignature(QIODevice& file) {
    return writeAll(file, panelFileSignature());
}

bool writeStamps(QIODevice& file, const QDateTime& localTime) {
    QByteArray stamps = timeStamp(localTime.time());
    stamps.append('\0');
    stamps.append(dateStamp(localTime.date()));
    stamps.append('\0');
    return writeAll(file, stamps);
}

bool writeFamilyBlock(QIODevice& file, std::uint16_t familyCode, std::uint8_t anyAddress) {
    return writeAll(file, familyBlock(familyCode, anyAddress));
}

bool writeHeader(QIODevice& file, const QDateTime& localTime, std::uint16_t familyCode,
                 std::uint8_t anyAddress) {
    return writeSignature(file) && writeStamps(file, localTime) &&
           writeFamilyBlock(file, familyCode, anyAddress);
}

QString HeaderReadResult::message() const {
    switch (status) {
    case HeaderStatus::Ok:
        return {};
    case HeaderStatus::ReadError:
        return QStringLiteral("Error Reading File.");
    case HeaderStatus::Invalid:
        break;
    }
    return QStringLiteral("Invalid Panel File.");
}

HeaderReadResult readHeader(QIODevice& file, PanelFamily reader) {
    HeaderReadResult result;
    PanelFileHeader& h = result.header;

    result.status = readExactly(file, PanelFileSignatureSize, h.signature);
    if (result.status != HeaderStatus::Ok) return result;
    result.status = HeaderStatus::Invalid;
    if (h.signature.first(PanelFileSignatureCompared) !=
        panelFileSignature().first(PanelFileSignatureCompared))
        return result;

    for (QByteArray* stamp : {&h.timeStamp, &h.dateStamp}) {
        switch (readStamp(file, *stamp)) {
        case StampRead::Ok:
            break;
        case StampRead::Error:
            result.status = HeaderStatus::ReadError;
            return result;
        case StampRead::TooLongOrEnded:
            return result;
        }
    }

    QByteArray block;
    result.status = readExactly(file, FamilyBlockSize, block);
    if (result.status != HeaderStatus::Ok) return result;
    h.familyCode = static_cast<std::uint16_t>(static_cast<std::uint8_t>(block[0]) |
                                              (static_cast<std::uint8_t>(block[1]) << 8));
    h.anyAddress = static_cast<std::uint8_t>(block[4]);
    h.fileClass = classifyFamilyCode(h.familyCode, reader);
    result.status = h.fileClass == FileClass::Invalid ? HeaderStatus::Invalid : HeaderStatus::Ok;
    return result;
}

} // namespace vtl
