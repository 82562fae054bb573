#include "panelfile/BlockRecord.h"
#include "panelfile/PanelFileHeader.h"
#include "tests/panelfile/PanelFileOnDisk.h"
#include "tests/panelfile/ShortReadDevice.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <algorithm>

namespace vtl {
namespace {

using Buffer = std::array<std::uint8_t, TransferBuffers::Size>;

QByteArray record(const char* headerHex, const QByteArray& data = {}) {
    return QByteArray::fromHex(headerHex) + data;
}

// Bytes whose value tells which 10240-byte piece of a record they came from.
QByteArray pieces(int length) {
    QByteArray data(length, '\0');
    for (int i = 0; i < length; ++i)
        data[i] = static_cast<char>(1 + i / TransferBuffers::Size);
    return data;
}

TEST(BlockRecordWriter, HeaderIsCommandPointTableAndLittleEndianLength) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    EXPECT_TRUE(writeBlockRecord(out, 71, 0, 0, QByteArray::fromHex("c0a80101")));
    EXPECT_TRUE(writeBlockRecord(out, 55, 253, 0, {}));
    EXPECT_TRUE(writeBlockRecord(out, 24, 60, 125, QByteArray(692, '\x11')));
    EXPECT_EQ(out.data().first(25).toHex(' '),
              "47 00 00 04 00 c0 a8 01 01 37 fd 00 00 00 18 3c 7d b4 02 11 11 11 11 11 11");
    EXPECT_EQ(out.data().size(), 9 + 5 + 5 + 692);
}

TEST(BlockRecordWriter, HeaderAloneForDataWrittenInPieces) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    EXPECT_TRUE(writeBlockRecordHeader(out, {10, 1, 0, 44}));
    EXPECT_EQ(out.data().toHex(' '), "0a 01 00 2c 00");
}

TEST(BlockRecordWriter, RefusesMoreThan65535BytesWithoutWritingAnything) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    EXPECT_FALSE(writeBlockRecord(out, 16, 0, 0, QByteArray(65536, '\0')));
    EXPECT_TRUE(out.data().isEmpty());
    EXPECT_TRUE(writeBlockRecord(out, 16, 0, 0, QByteArray(65535, '\0')));
    EXPECT_EQ(out.data().first(5).toHex(' '), "10 00 00 ff ff");
}

// A record cut short by the end of the file and a failing device are tested on whole restores.
TEST(BlockRecordReader, LengthZeroThenDataThenNormalEnd) {
    const QByteArray bytes = record("0102000000") + record("1003000300", "\xaa\xbb\xcc") +
                             QByteArray("\x01\x02\x03\x04", 4);
    test::PanelFileOnDisk disk(bytes);
    Buffer buffer{};

    RecordReadResult r = readBlockRecord(disk.file(), buffer);
    EXPECT_EQ(r.status, RecordStatus::Complete);
    EXPECT_EQ(r.header, (BlockRecordHeader{1, 2, 0, 0}));
    EXPECT_EQ(r.bytesInBuffer, 0u);
    EXPECT_EQ(disk.file().pos(), 5);

    r = readBlockRecord(disk.file(), buffer);
    EXPECT_EQ(r.status, RecordStatus::Complete);
    EXPECT_TRUE(r.sendable());
    EXPECT_EQ(r.header, (BlockRecordHeader{16, 3, 0, 3}));
    EXPECT_EQ(r.bytesInBuffer, 3u);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(buffer.data()), 3).toHex(), "aabbcc");

    // Four bytes left over are not a record.
    r = readBlockRecord(disk.file(), buffer);
    EXPECT_EQ(r.status, RecordStatus::EndOfFile);
    EXPECT_FALSE(r.isRecord());
    EXPECT_EQ(disk.file().pos(), bytes.size());
}

TEST(BlockRecordReader, TenThousand239BytesFitAndAreSent) {
    test::PanelFileOnDisk disk(record("1000000000", QByteArray()).replace(3, 2, "\xff\x27") +
                               pieces(10239));
    Buffer buffer{};
    const RecordReadResult r = readBlockRecord(disk.file(), buffer);
    EXPECT_EQ(r.status, RecordStatus::Complete);
    EXPECT_EQ(r.header.length, 10239);
    EXPECT_EQ(r.bytesInBuffer, 10239u);
}

TEST(BlockRecordReader, RecordsOf10240OrMoreAreReadInPiecesAndNotSent) {
    // 25000 = 10240 + 10240 + 4520 (0x61a8); 10240 = 0x2800.
    const QByteArray bytes = record("1001000000").replace(3, 2, "\xa8\x61") + pieces(25000) +
                             record("1000000028") + pieces(10240) + record("0200000100", "\x5a");
    test::PanelFileOnDisk disk(bytes);
    Buffer buffer{};
    std::fill(buffer.begin(), buffer.end(), 0xee);

    RecordReadResult r = readBlockRecord(disk.file(), buffer);
    EXPECT_EQ(r.status, RecordStatus::Oversized);
    EXPECT_TRUE(r.isRecord());
    EXPECT_FALSE(r.sendable());
    EXPECT_EQ(r.header.length, 25000);
    EXPECT_EQ(r.bytesConsumed, 25000u);
    EXPECT_EQ(r.bytesInBuffer, 4520u);
    // The last piece lies over the second one.
    EXPECT_EQ(buffer[0], 3);
    EXPECT_EQ(buffer[4519], 3);
    EXPECT_EQ(buffer[4520], 2);

    r = readBlockRecord(disk.file(), buffer);
    EXPECT_EQ(r.status, RecordStatus::Oversized);
    EXPECT_EQ(r.bytesConsumed, 10240u);

    r = readBlockRecord(disk.file(), buffer);
    EXPECT_EQ(r.status, RecordStatus::Complete);
    EXPECT_EQ(r.header, (BlockRecordHeader{2, 0, 0, 1}));
    EXPECT_EQ(buffer[0], 0x5a);
    EXPECT_EQ(readBlockRecord(disk.file(), buffer).status, RecordStatus::EndOfFile);
}

TEST(BlockRecordReader, AnOversizedRecordCutShortStaysOversized) {
    test::PanelFileOnDisk disk(record("1000000030") + pieces(10300));
    Buffer buffer{};
    const RecordReadResult r = readBlockRecord(disk.file(), buffer);
    EXPECT_EQ(r.status, RecordStatus::Oversized);
    EXPECT_EQ(r.bytesConsumed, 10300u);
    EXPECT_EQ(r.bytesInBuffer, 60u);
    EXPECT_EQ(disk.file().pos(), disk.file().size());
}

// A device that hands out a few bytes per read must give the same header and records as a file.
TEST(BlockRecordReader, ShortReadsGiveTheSameRecords) {
    QBuffer whole;
    whole.open(QIODevice::ReadWrite);
    ASSERT_TRUE(writeHeader(whole, QDateTime(QDate(2008, 6, 9), QTime(15, 7, 45)), 1005, 0));
    whole.write(record("0102000000") + record("1003000300", "\xaa\xbb\xcc") +
                record("0201002c01", pieces(300)) + record("1000000028") + pieces(10240) +
                record("1000ffff27") + pieces(10239));
    const QByteArray bytes = whole.data();

    for (const qint64 piece : {1, 2, 3, 7, 4096}) {
        SCOPED_TRACE(piece);
        test::ShortReadDevice device(bytes, piece);
        whole.seek(0);
        ASSERT_TRUE(readHeader(whole, PanelFamily::Main).ok());
        const HeaderReadResult header = readHeader(device, PanelFamily::Main);
        ASSERT_TRUE(header.ok());
        EXPECT_EQ(header.header.familyCode, 1005);

        Buffer expected{};
        Buffer got{};
        for (int n = 0;; ++n) {
            const RecordReadResult a = readBlockRecord(whole, expected);
            const RecordReadResult b = readBlockRecord(device, got);
            ASSERT_EQ(b.status, a.status) << "record " << n;
            EXPECT_EQ(b.header, a.header);
            ASSERT_EQ(b.bytesInBuffer, a.bytesInBuffer);
            EXPECT_TRUE(std::equal(got.begin(), got.begin() + b.bytesInBuffer, expected.begin()))
                << "record " << n;
            if (a.status == RecordStatus::EndOfFile) {
                EXPECT_EQ(n, 5);
                break;
            }
        }
    }
}

} // namespace
} // namespace vtl
