#include "link/CommandSet.h"
#include "tests/support/SimSession.h"

#include <gtest/gtest.h>

namespace vtl::test {
namespace {

struct WriteRow {
    const char* name;
    sim::Model model;
    QByteArray data;
    bool sound;
};

QByteArray lanTable(QByteArray trailer = sim::bytesOf({165, 165, 1, 2, 4, 0})) {
    QByteArray b(2094, char(7));
    b.replace(17, 3, sim::bytesOf({0, 0, 1}));
    return b + trailer;
}

// A routing table of another layout than the controller's is a violation.
TEST(SimulatedRoutingTable, ATableOfAnotherLayoutIsAViolation) {
    const WriteRow rows[] = {
        {"main panel table", sim::Model::Main, QByteArray(1276, char(9)), true},
        {"LAN table to a main panel", sim::Model::Main, lanTable(), false},
        {"LAN table", sim::Model::Lan490, lanTable(), true},
        {"Brinlet table", sim::Model::Lan602, lanTable(), true},
        {"main panel table to a LAN controller", sim::Model::Lan490, QByteArray(1276, 0), false},
        {"LAN table without its end", sim::Model::Lan490, lanTable(QByteArray(6, 0)), false},
    };
    for (const WriteRow& row : rows) {
        SCOPED_TRACE(row.name);
        SimSession s(simOptions(row.model, 3, 19200));
        s.connectLan();
        s.state.BaudRate = 19200;
        const std::span<const std::uint8_t> data(
            reinterpret_cast<const std::uint8_t*>(row.data.constData()),
            std::size_t(row.data.size()));
        EXPECT_TRUE(s.session.exchange.write(3, commands::RoutingTable, data));
        EXPECT_EQ(s.controller.peek({50, 0, 21}), row.data);
        EXPECT_EQ(s.controller.violations().size(), row.sound ? 0 : 1);
    }
}

} // namespace
} // namespace vtl::test
