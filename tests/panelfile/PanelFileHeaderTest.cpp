#include "panelfile/PanelFileHeader.h"
#include "tests/panelfile/PanelFileOnDisk.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

const QByteArray Signature("QTZ PANEL FILE VERSION 01.00\0", 29);

QByteArray header(const QByteArray& time, const QByteArray& date, const QByteArray& family) {
    return Signature + time + '\0' + date + '\0' + family;
}

QByteArray validHeader() {
    return header("3:07:45 PM", "6/9/08", QByteArray::fromHex("e903000000"));
}

HeaderReadResult readBytes(const QByteArray& bytes, PanelFamily reader = PanelFamily::Main) {
    test::PanelFileOnDisk disk(bytes);
    return readHeader(disk.file(), reader);
}

TEST(Stamps, HourRuleAndDate) {
    const std::pair<QTime, const char*> times[] = {
        {QTime(12, 30, 0), "12:30:00 AM"},  {QTime(0, 5, 9), "0:05:09 AM"},
        {QTime(13, 0, 0), "1:00:00 PM"},    {QTime(15, 7, 45), "3:07:45 PM"},
        {QTime(23, 59, 59), "11:59:59 PM"}, {QTime(9, 0, 1), "9:00:01 AM"},
    };
    for (const auto& [time, text] : times)
        EXPECT_EQ(timeStamp(time), QByteArray(text));
    EXPECT_EQ(dateStamp(QDate(2008, 6, 9)), "6/9/08");
    EXPECT_EQ(dateStamp(QDate(2000, 12, 31)), "12/31/00");
    EXPECT_EQ(dateStamp(QDate(2026, 1, 5)), "1/5/26");
}

TEST(HeaderReader, ReadsWhatTheWriterWroteAndStopsAtTheFirstRecord) {
    QByteArray bytes = header("12:30:00 AM", "6/9/08", QByteArray::fromHex("fd2a000001"));
    bytes += QByteArray::fromHex("0100000000");
    test::PanelFileOnDisk disk(bytes);
    const HeaderReadResult r = readHeader(disk.file(), PanelFamily::Lan);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.message(), "");
    EXPECT_EQ(r.header.timeStamp, "12:30:00 AM");
    EXPECT_EQ(r.header.dateStamp, "6/9/08");
    EXPECT_EQ(r.header.familyCode, 11005);
    EXPECT_EQ(r.header.address(), 5);
    EXPECT_EQ(r.header.fileClass, FileClass::Lan602);
    EXPECT_TRUE(r.header.anyAddressAllowed());
    EXPECT_EQ(disk.file().pos(), bytes.size() - 5);
}

TEST(HeaderReader, VersionDigitsAreNotCompared) {
    QByteArray bytes = validHeader();
    bytes.replace(23, 5, "02.00");
    EXPECT_TRUE(readBytes(bytes).ok());
    // Only "QTZ PANEL FILE VERSION" is compared; what follows it may be anything.
    bytes.replace(22, 7, QByteArray("_9.99\xff\x01", 7));
    EXPECT_TRUE(readBytes(bytes).ok());
}

TEST(HeaderReader, AnyDifferenceInTheFirst22BytesIsRefused) {
    for (int i = 0; i < 22; ++i) {
        QByteArray bytes = validHeader();
        bytes[i] = static_cast<char>(bytes[i] ^ 0x20);
        const HeaderReadResult r = readBytes(bytes);
        SCOPED_TRACE(i);
        EXPECT_EQ(r.status, HeaderStatus::Invalid);
        EXPECT_EQ(r.message(), "Invalid Panel File.");
        EXPECT_EQ(HeaderReadResult::title(), "Error");
    }
}

TEST(HeaderReader, StampsOf21AreAcceptedAnd22Refused) {
    const QByteArray family = QByteArray::fromHex("e903000000");
    const QByteArray s21(21, 'x'), s22(22, 'x');
    EXPECT_TRUE(readBytes(header(s21, "6/9/08", family)).ok());
    EXPECT_TRUE(readBytes(header("1:00:00 PM", s21, family)).ok());
    EXPECT_TRUE(readBytes(header("", "", family)).ok());
    EXPECT_EQ(readBytes(header(s22, "6/9/08", family)).status, HeaderStatus::Invalid);
    EXPECT_EQ(readBytes(header("1:00:00 PM", s22, family)).status, HeaderStatus::Invalid);
}

TEST(HeaderReader, FileEndingInsideTheHeaderIsInvalid) {
    const QByteArray full = validHeader();
    // Inside the signature, inside each stamp, before each stamp's zero, inside the family block.
    for (int size : {0, 1, 21, 28, 29, 33, 39, 40, 45, 46, 47, 49, 51}) {
        SCOPED_TRACE(size);
        const HeaderReadResult r = readBytes(full.first(size));
        EXPECT_EQ(r.status, HeaderStatus::Invalid);
        EXPECT_EQ(r.message(), "Invalid Panel File.");
    }
    EXPECT_EQ(full.size(), 52);
}

TEST(HeaderReader, InvalidFamilyCodesAreRefused) {
    for (const char* hex : {"e803000001", "d007000000", "b80b000000", "0000000000"}) {
        SCOPED_TRACE(hex);
        EXPECT_EQ(readBytes(header("1:00:00 PM", "6/9/08", QByteArray::fromHex(hex))).status,
                  HeaderStatus::Invalid);
    }
    const HeaderReadResult lan490 =
        readBytes(header("1:00:00 PM", "6/9/08", QByteArray::fromHex("d107000000")));
    ASSERT_TRUE(lan490.ok());
    EXPECT_EQ(lan490.header.fileClass, FileClass::Lan490);
    EXPECT_EQ(lan490.header.address(), 1);
}

TEST(HeaderReader, DeviceFailureIsAReadError) {
    QFile notOpen(QStringLiteral("/nonexistent/PANEL.PNL"));
    const HeaderReadResult r = readHeader(notOpen, PanelFamily::Sub);
    EXPECT_EQ(r.status, HeaderStatus::ReadError);
    EXPECT_EQ(r.message(), "Error Reading File.");
}

} // namespace
} // namespace vtl
