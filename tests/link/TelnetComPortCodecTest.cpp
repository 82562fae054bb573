// The telnet layer of rfc2217:// ports on byte tables, split at every point where a read may end.
#include "link/TelnetComPortCodec.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

using Codec = TelnetComPortCodec;
using Request = Codec::Request;

QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

std::span<const std::uint8_t> bytesOf(const QByteArray& a) {
    return {reinterpret_cast<const std::uint8_t*>(a.constData()), std::size_t(a.size())};
}

// Decodes in pieces of `piece` bytes: the result must not depend on where reads end.
Codec::Decoded decodeInPieces(Codec& codec, const QByteArray& input, qsizetype piece) {
    Codec::Decoded out;
    for (qsizetype at = 0; at < input.size(); at += piece)
        codec.decode(bytesOf(input.mid(at, piece)), out);
    return out;
}

TEST(TelnetComPortCodec, RequestsOnTheWire) {
    struct Row {
        const char* name;
        QByteArray sent;
        const char* wire;
    };
    const Row rows[] = {
        {"rate 115200", Codec::setBaudRate(115200), "ff fa 2c 01 00 01 c2 00 ff f0"},
        {"rate 19200", Codec::setBaudRate(19200), "ff fa 2c 01 00 00 4b 00 ff f0"},
        {"8 data bits", Codec::request(Request::SetDataSize, 8), "ff fa 2c 02 08 ff f0"},
        {"no parity", Codec::request(Request::SetParity, Codec::ParityNone),
         "ff fa 2c 03 01 ff f0"},
        {"one stop bit", Codec::request(Request::SetStopSize, Codec::OneStopBit),
         "ff fa 2c 04 01 ff f0"},
        {"DTR on", Codec::request(Request::SetControl, Codec::DtrOn), "ff fa 2c 05 08 ff f0"},
        {"DTR off", Codec::request(Request::SetControl, Codec::DtrOff), "ff fa 2c 05 09 ff f0"},
        {"purge received", Codec::request(Request::PurgeData, Codec::PurgeReceived),
         "ff fa 2c 0c 01 ff f0"},
        // A rate holding 0xFF is doubled inside the request too.
        {"rate 0x0000ff00", Codec::setBaudRate(0xFF00), "ff fa 2c 01 00 00 ff ff 00 ff f0"},
        {"data", Codec::escape(bytesOf(hex("41 ff 00 ff ff 0d"))), "41 ff ff 00 ff ff ff ff 0d"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.sent.toHex(' '), hex(row.wire).toHex(' ')) << row.name;
    Codec codec;
    EXPECT_EQ(codec.offer(), hex("ff fb 2c"));
}

TEST(TelnetComPortCodec, NegotiationAcceptsOnlyTheComPortOption) {
    struct Row {
        const char* name;
        const char* received;
        const char* answer;
        Codec::Agreement agreement;
    };
    const Row rows[] = {
        // The greeting of a device server on Debian, as measured: echo, binary and go-ahead
        // suppression refused, the COM port option accepted.
        {"greeting", "ff fb 03 ff fd 03 ff fb 01 ff fe 01 ff fd 00 ff fb 00 ff fd 2c",
         "ff fe 03 ff fc 03 ff fe 01 ff fc 00 ff fe 00", Codec::Agreement::Accepted},
        {"unknown option", "ff fb 18 ff fd 1f", "ff fe 18 ff fc 1f", Codec::Agreement::Pending},
        {"refusals need no answer", "ff fc 03 ff fe 01", "", Codec::Agreement::Pending},
        {"option refused", "ff fe 2c", "", Codec::Agreement::Refused},
        {"server offers it", "ff fb 2c ff fb 2c", "ff fd 2c", Codec::Agreement::Pending},
    };
    for (const Row& row : rows)
        for (qsizetype piece : {1, 2, 64}) {
            Codec codec;
            codec.offer();
            const auto out = decodeInPieces(codec, hex(row.received), piece);
            EXPECT_EQ(out.reply.toHex(' '), hex(row.answer).toHex(' ')) << row.name << piece;
            EXPECT_EQ(codec.agreement(), row.agreement) << row.name << piece;
            EXPECT_TRUE(out.data.isEmpty()) << row.name << piece;
        }

    // Asked before offering: the offer goes out as the answer.
    Codec early;
    Codec::Decoded out;
    early.decode(bytesOf(hex("ff fd 2c")), out);
    EXPECT_EQ(out.reply, hex("ff fb 2c"));
    EXPECT_EQ(early.agreement(), Codec::Agreement::Accepted);
}

TEST(TelnetComPortCodec, ConfirmationsAndDataSplitAnywhere) {
    struct Row {
        const char* name;
        const char* received;
        const char* data;
        std::vector<Codec::Confirmation> confirmations;
    };
    const Row rows[] = {
        {"rate", "ff fa 2c 65 00 00 4b 00 ff f0", "", {{Request::SetBaudRate, hex("00004b00")}}},
        {"format",
         "ff fa 2c 66 08 ff f0 ff fa 2c 67 01 ff f0 ff fa 2c 68 01 ff f0",
         "",
         {{Request::SetDataSize, hex("08")},
          {Request::SetParity, hex("01")},
          {Request::SetStopSize, hex("01")}}},
        {"purge between data",
         "41 ff fa 2c 70 01 ff f0 42",
         "41 42",
         {{Request::PurgeData, hex("01")}}},
        {"doubled 0xff in a value",
         "ff fa 2c 65 00 00 ff ff 00 ff f0",
         "",
         {{Request::SetBaudRate, hex("0000ff00")}}},
        // A modem state notice is no answer to a request of ours; it passes as code 7.
        {"notice", "ff fa 2c 6b 00 ff f0", "", {{Request(7), hex("00")}}},
        {"fill bytes and sums", "ff ff ff ff 0d 00 ff ff", "ff ff 0d 00 ff", {}},
        {"other commands dropped", "41 ff f1 42 ff f9 43", "41 42 43", {}},
        {"foreign subnegotiation", "41 ff fa 18 01 ff f0 42", "41 42", {}},
        {"client code ignored", "ff fa 2c 01 00 00 4b 00 ff f0 44", "44", {}},
    };
    for (const Row& row : rows)
        for (qsizetype piece : {1, 2, 3, 64}) {
            Codec codec;
            const auto out = decodeInPieces(codec, hex(row.received), piece);
            EXPECT_EQ(out.data.toHex(' '), hex(row.data).toHex(' ')) << row.name << piece;
            EXPECT_EQ(out.confirmations, row.confirmations) << row.name << piece;
            EXPECT_TRUE(out.reply.isEmpty()) << row.name << piece;
        }
}

TEST(TelnetComPortCodec, DataRoundTripsThroughEscapeAndDecode) {
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    all += hex("ff ff ff");
    const QByteArray wire = Codec::escape(bytesOf(all));
    EXPECT_EQ(wire.size(), all.size() + 4);
    for (qsizetype piece : {1, 7, 1000}) {
        Codec codec;
        EXPECT_EQ(decodeInPieces(codec, wire, piece).data, all) << piece;
    }
    EXPECT_EQ(Codec::baudRateOf(hex("0001c200")), 115200u);
    EXPECT_EQ(Codec::baudRateOf(hex("01c200")), 0u); // not four bytes: no rate
}

TEST(TelnetComPortCodec, AnOverlongSubnegotiationIsCutNotKept) {
    Codec codec;
    Codec::Decoded out;
    QByteArray flood = hex("ff fa 2c 65") + QByteArray(100000, 'x') + hex("ff f0 41");
    codec.decode(bytesOf(flood), out);
    ASSERT_EQ(out.confirmations.size(), 1u);
    EXPECT_LE(out.confirmations[0].value.size(), 64);
    EXPECT_EQ(out.data, QByteArray("A"));
}

} // namespace
} // namespace vtl
