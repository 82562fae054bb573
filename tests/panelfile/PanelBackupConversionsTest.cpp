#include "panelfile/SubPanelConversions.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>

namespace vtl {
namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

// A reply buffer whose bytes at `length` and beyond are left over from an earlier, longer reply.
struct StaleBuffer {
    std::unique_ptr<std::array<std::uint8_t, 10240>> bytes =
        std::make_unique<std::array<std::uint8_t, 10240>>();
    StaleBuffer() { bytes->fill(0xEE); }
    SubPanelReply reply(const QByteArray& data) {
        std::copy(data.begin(), data.end(), bytes->begin());
        return {*bytes, std::uint32_t(data.size())};
    }
};

QByteArray counting(int n, int from = 1) {
    QByteArray b;
    for (int i = 0; i < n; ++i)
        b += char(from + i);
    return b;
}

struct Case {
    const char* name;
    std::function<QByteArray(const SubPanelReply&)> convert;
    QByteArray reply;
    QByteArray record;
};

TEST(SubPanelConversions, FixedPositionsAndZerosWhereNothingArrived) {
    using namespace subpanel;
    const Case cases[] = {
        {"programs, 1 byte", [](auto& r) { return programsRecord(3, r); }, hex("aa"),
         hex("0703000200aa00")},
        {"programs, long", [](auto& r) { return programsRecord(0, r); }, hex("a1a2a3"),
         hex("0700000200a1a2")},
        {"program code, empty",
         [](auto& r) { return programCodeRecord(4, r); },
         {},
         hex("10 04 00 07 00 00 00 00 00 03 00 ff")},
        {"program code, odd", [](auto& r) { return programCodeRecord(1, r); }, hex("010203"),
         hex("1001000300010203")},
        {"system groups, 17 bytes", [](auto& r) { return systemGroupDataRecord(2, r); },
         counting(17), hex("13 02 00 04 00 01 02 09 0a")},
        {"system groups, 7 bytes", [](auto& r) { return systemGroupDataRecord(0, r); }, counting(7),
         hex("1300000000")},
        {"plain, empty", [](auto& r) { return plainRecord(57, 0, 0, r); }, {}, hex("3900000000")},
        {"type",
         [](auto&) { return subPanelTypeRecord(storedSubPanelType(100)); },
         {},
         hex("37fd000000")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StaleBuffer buffer;
        EXPECT_EQ(c.convert(buffer.reply(c.reply)).toHex(' '), c.record.toHex(' '));
    }
}

TEST(SubPanelConversions, ShortEntriesArePaddedWithZerosNotOldBytes) {
    using namespace subpanel;
    StaleBuffer buffer;
    // PID: 30 bytes arrived of 44; entry 2 starts at 22 and has 8 of its 18 bytes.
    const QByteArray pid = counting(30);
    EXPECT_EQ(pidControllersRecord(1, buffer.reply(pid), false),
              hex("0401002400") + pid.left(18) + pid.mid(22, 8) + QByteArray(10, '\0'));
    // Extended: 34-byte entries, 30 kept.
    const QByteArray extended = counting(68);
    EXPECT_EQ(pidControllersRecord(0, buffer.reply(extended), true),
              hex("0400003c00") + extended.left(30) + extended.mid(34, 30));
    // Runtime logs: 4 entries of 15, first 10 kept; 47 bytes arrived.
    const QByteArray runtime = counting(47);
    EXPECT_EQ(runtimeLogsRecord(0, buffer.reply(runtime)),
              hex("0900002800") + runtime.left(10) + runtime.mid(15, 10) + runtime.mid(30, 10) +
                  runtime.mid(45, 2) + QByteArray(8, '\0'));
    // Tables: padded to 360, or cut.
    EXPECT_EQ(tablesRecord(0, buffer.reply(counting(5))),
              hex("0800006801") + counting(5) + QByteArray(355, '\0'));
    const QByteArray longTables(400, 'T');
    EXPECT_EQ(tablesRecord(1, buffer.reply(longTables)), hex("0801006801") + longTables.left(360));
    // Trend log half: 2 entries of 23, first 11 kept; 12 bytes arrived.
    EXPECT_EQ(trendLogHalf(buffer.reply(counting(12))), counting(11) + QByteArray(11, '\0'));
    EXPECT_EQ(trendLogsRecord(2, QByteArray(22, 'a'), QByteArray(22, 'b')),
              hex("0a02002c00") + QByteArray(22, 'a') + QByteArray(22, 'b'));
}

TEST(SubPanelConversions, DescriptorsAndCustomUnits) {
    using namespace subpanel;
    StaleBuffer buffer;
    const QByteArray full = QByteArray(1000, 'h') + QByteArray(692, 't');
    EXPECT_EQ(descriptorsRecords(buffer.reply(full)), hex("185279ea03") + hex("9c06") +
                                                          QByteArray(1000, 'h') +
                                                          hex("183c7db402") + QByteArray(692, 't'));
    const QByteArray shortOne(1001, 'h');
    EXPECT_EQ(descriptorsRecords(buffer.reply(shortOne)).mid(1007),
              hex("183c7db402") + QByteArray(1, 'h') + QByteArray(691, '\0'));
    EXPECT_EQ(customUnitsRecord(buffer.reply(QByteArray(90, 'u'))),
              hex("18f9785900") + hex("5700") + QByteArray(87, 'u'));
    EXPECT_EQ(customUnitsRecord(buffer.reply(QByteArray(3, 'u'))),
              hex("18f9785900") + hex("5700") + QByteArray(3, 'u') + QByteArray(84, '\0'));
}

TEST(SubPanelConversions, TypeRange) {
    for (const auto& [read, stored] :
         std::initializer_list<std::pair<std::uint32_t, int>>{{0, 253},
                                                              {100, 253},
                                                              {127, 253},
                                                              {128, 128},
                                                              {200, 200},
                                                              {253, 253},
                                                              {254, 253},
                                                              {255, 253},
                                                              {300, 253}})
        EXPECT_EQ(subpanel::storedSubPanelType(read), stored) << read;
}

} // namespace
} // namespace vtl
