// Feeds arbitrary bytes to the panel file readers the way a restore does: the header for each
// kind of reader, then records to the end. Whatever is accepted must encode back to the same bytes,
// and a device that hands the bytes out a few at a time must give the same header and records.
// The whole-file reader a restore checks a file with must agree with the records read one by one:
// the same records, and the damage (a record cut short, bytes after the last) where they found it.
#include "panelfile/BlockRecord.h"
#include "panelfile/PanelFileHeader.h"
#include "panelfile/PanelFileRecords.h"
#include "tests/panelfile/ShortReadDevice.h"

#include <QBuffer>

#include <cstdlib>
#include <cstring>

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// What one reading of the file gave, to compare the whole file with short reads.
struct Reading {
    vtl::HeaderStatus header = vtl::HeaderStatus::Invalid;
    QList<QByteArray> records; // status, header and data in the buffer, each record

    bool operator==(const Reading&) const = default;
};

// What the whole-file reader should make of the records read one by one.
struct Expected {
    vtl::RecordsStatus status = vtl::RecordsStatus::Ok;
    QList<QByteArray> records; // header, sendable flag and data of those read whole
    vtl::BlockRecordHeader cutShort;
    qint64 bytesHeld = 0;
};

QByteArray summary(const vtl::BlockRecordHeader& header, bool sendable, const QByteArray& data) {
    return vtl::encodeBlockRecordHeader(header) + char(sendable) + data;
}

void compareWholeFile(const Expected& expected, const vtl::RecordsReadResult& got) {
    check(got.status == expected.status);
    QList<QByteArray> records;
    for (const vtl::PanelFileRecord& r : got.records) {
        check(r.sendable || r.data.isEmpty());
        records.append(summary(r.header, r.sendable, r.data));
    }
    check(records == expected.records);
    if (expected.status == vtl::RecordsStatus::CutShort) check(got.cutShort == expected.cutShort);
    if (expected.status != vtl::RecordsStatus::Ok) check(got.bytesHeld == expected.bytesHeld);
}

Reading readAll(const QByteArray& input, vtl::PanelFamily reader, QIODevice& file,
                Expected* expected = nullptr) {
    Reading reading;
    Expected ignored;
    Expected& whole = expected ? *expected : ignored;
    const vtl::HeaderReadResult header = vtl::readHeader(file, reader);
    reading.header = header.status;
    check(file.pos() <= input.size());
    if (!header.ok()) return reading;

    const vtl::PanelFileHeader& h = header.header;
    QByteArray again = h.signature + h.timeStamp + '\0' + h.dateStamp + '\0';
    check(h.timeStamp.size() <= vtl::MaxStampLength && h.dateStamp.size() <= vtl::MaxStampLength);
    check(h.fileClass != vtl::FileClass::Invalid);
    check(input.startsWith(again));
    const QByteArray family = vtl::familyBlock(h.familyCode, h.anyAddress);
    check(input.mid(again.size(), 2) == family.first(2));
    check(input.at(again.size() + 4) == family.at(4));
    check(file.pos() == again.size() + vtl::FamilyBlockSize);

    static std::array<std::uint8_t, vtl::TransferBuffers::Size> buffer;
    for (;;) {
        const qint64 start = file.pos();
        const vtl::RecordReadResult r = vtl::readBlockRecord(file, buffer);
        check(file.pos() <= input.size());
        if (!r.isRecord()) {
            check(r.status == vtl::RecordStatus::EndOfFile);
            check(input.size() - start < vtl::BlockRecordHeaderSize);
            check(r.headerBytes == input.size() - start);
            if (whole.status == vtl::RecordsStatus::Ok && r.headerBytes > 0) {
                whole.status = vtl::RecordsStatus::BytesAfterLastRecord;
                whole.bytesHeld = r.headerBytes;
            }
            return reading;
        }
        check(file.pos() == start + vtl::BlockRecordHeaderSize + r.bytesConsumed);
        check(r.bytesConsumed <= r.header.length && r.bytesInBuffer <= buffer.size());
        check(input.mid(start, vtl::BlockRecordHeaderSize) ==
              vtl::encodeBlockRecordHeader(r.header));
        if (r.sendable()) {
            check(r.bytesInBuffer == r.header.length);
            check(std::memcmp(buffer.data(), input.constData() + start + 5, r.bytesInBuffer) == 0);
        }
        const QByteArray data(reinterpret_cast<const char*>(buffer.data()),
                              qsizetype(r.bytesInBuffer));
        reading.records.append(char(r.status) + vtl::encodeBlockRecordHeader(r.header) + data);
        if (!expected || whole.status != vtl::RecordsStatus::Ok) continue;
        if (r.bytesConsumed < r.header.length) {
            whole.status = vtl::RecordsStatus::CutShort;
            whole.cutShort = r.header;
            whole.bytesHeld = r.bytesConsumed;
        } else {
            whole.records.append(
                summary(r.header, r.sendable(), r.sendable() ? data : QByteArray()));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // Pieces of 1 to 7 bytes, by the input's size, so that every piece size meets every input.
    const qint64 piece = 1 + qint64(size % 7);
    // The records do not depend on the reader: the whole-file reader is held to the first reader
    // that takes the header.
    bool wholeFileChecked = false;
    for (auto reader : {vtl::PanelFamily::Lan, vtl::PanelFamily::Main, vtl::PanelFamily::Sub}) {
        QBuffer file;
        file.setData(input);
        file.open(QIODevice::ReadOnly);
        Expected expected;
        const Reading whole = readAll(input, reader, file, wholeFileChecked ? nullptr : &expected);
        vtl::test::ShortReadDevice device(input, piece);
        check(readAll(input, reader, device) == whole);

        if (whole.header != vtl::HeaderStatus::Ok || wholeFileChecked) continue;
        check(file.seek(0) && vtl::readHeader(file, reader).ok());
        compareWholeFile(expected, vtl::readPanelFileRecords(file));
        wholeFileChecked = true;
    }
    return 0;
}
