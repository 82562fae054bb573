#include "routing/RoutingTableCsv.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

QString lanCsv() {
    RoutingTable t = RoutingTable::labelled(RoutingMode::Lan);
    for (int slot = 0; slot < routing::LanRows; ++slot) {
        RoutingRow& r = t.rows[std::size_t(slot)];
        r.ip = QStringLiteral("10.0.0.%1").arg(slot + 1);
        r.mac = QStringLiteral("00-00-00-00-00-01");
        r.gateway = QStringLiteral("10.0.0.254");
        r.intervalMs = 7000;
        r.broadcast = slot == 4;
    }
    t.subnetMask = QStringLiteral("255.0.0.0");
    t.mtu = QStringLiteral("1500");
    return RoutingTableCsv::write(RoutingMode::Lan, t);
}

TEST(RoutingTableCsv, WrittenTableReadsBackTheSame) {
    const QString text = lanCsv();
    // As a spreadsheet saves it: a byte order mark and CR LF line ends.
    const auto read =
        RoutingTableCsv::read(QChar(0xFEFF) + QString(text).replace('\n', QStringLiteral("\r\n")));
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    EXPECT_EQ(read.mode, RoutingMode::Lan);
    EXPECT_EQ(RoutingTableCsv::write(RoutingMode::Lan, read.table), text);
}

TEST(RoutingTableCsv, BadLinesAreRefusedWithTheirNumber) {
    const std::pair<const char*, const char*> edits[] = {
        {"5,10.0.0.5,00-00-00-00-00-01,10.0.0.254,1,7000", ""},
        {"5,10.0.0.300,00-00-00-00-00-01,10.0.0.254,0,0",
         "line 6: \"10.0.0.300\" is no IP address"},
        {"5,10.0.0.5,00-00-00-00-01,10.0.0.254,0,0", "line 6: \"00-00-00-00-01\" is no MAC"},
        {"5,10.0.0.5,00-00-00-00-00-01,10.0.0.254,0,70000", "line 6: the interval is 0 to 65535"},
        {"5,0.0.0.0,00-00-00-00-00-01,10.0.0.254,1,0", "line 6: 0.0.0.0 cannot be a broadcast"},
        {"126,10.0.0.5,00-00-00-00-00-01,10.0.0.254,0,0", "line 6: no row is labelled \"126\""},
        {"", "no row \"5\""},
        {"5,10.2,00-00-00-00-00-01,10.0.0.254,0,0", "line 6: \"10.2\" is no IP address (four"},
        {"5,10.0.0.5,00-00-00-00-00-01,10.0.0,0,0", "line 6: \"10.0.0\" is no gateway address"},
        {"5,10.0.0.5,00-00-00-00-00-01,10.0.0.254,0,+5", "line 6: the interval is 0 to 65535"},
        {"MTU,65536", "line 6: the MTU is a number from 0 to 65535, not \"65536\""},
        {"MTU,99999", "line 6: the MTU is a number from 0 to 65535, not \"99999\""},
        {"MTU,", "line 6: the MTU is a number from 0 to 65535, not \"\""},
        {"MTU,1500,1400", "line 6: \"MTU\" takes one value, not 2"},
        {"Subnet Mask,255.255", "line 6: \"255.255\" is no subnet mask (four numbers"},
        {"Subnet Mask,255.255.255.256", "line 6: \"255.255.255.256\" is no subnet mask"},
    };
    for (const auto& [line, error] : edits) {
        SCOPED_TRACE(line);
        QStringList lines = lanCsv().split('\n');
        lines[5] = QString::fromLatin1(line);
        const auto read = RoutingTableCsv::read(lines.join('\n'));
        EXPECT_TRUE(read.error.contains(QLatin1String(error)) && read.ok() == !*error)
            << read.error.toStdString();
    }
    EXPECT_EQ(RoutingTableCsv::read(QStringLiteral("Label,IP\n")).error.left(24),
              "line 1: the header must ");
}

} // namespace
} // namespace vtl
