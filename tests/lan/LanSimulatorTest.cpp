#include "lan/LanControllerOperations.h"
#include "tests/lan/LanRig.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

using test::LanRig;

TEST(LanSimulator, ReportsItsResultValueAfterTheBlockAndKeepsSettingsWrites) {
    LanRig rig(sim::Model::Lan602, -1, 4000000000u); // as vtl-sim --result starts it
    auto& controller = rig.sim.controller;
    rig.sim.state.Privileged = 1;
    LanControllerOperations ops(rig.sim.session);
    LanControllerView view;
    ASSERT_TRUE(ops.load(view));
    EXPECT_EQ(view.status, "Result: 4000000000");
    EXPECT_EQ(rig.sim.buffers.TransferLength, 100u);

    view.mainNetwork = "E-8-1";
    ASSERT_TRUE(ops.send(view));
    EXPECT_EQ(rig.settings().size(), 96);
    EXPECT_EQ(rig.settings()[53], 0);
    EXPECT_TRUE(controller.violations().isEmpty())
        << controller.violations().join(u'\n').toStdString();
}

TEST(LanSimulator, WritesOfTheWrongSizeAreViolations) {
    LanRig rig;
    rig.sim.state.PanelAddress = 12;
    const std::uint8_t shortBlock[10] = {0, 0, 6, 6, 6, 6, 6, 6, 0, 12};
    ASSERT_TRUE(rig.sim.session.exchange.write(12, commands::Status, shortBlock));
    ASSERT_TRUE(rig.sim.session.exchange.write(12, commands::BacnetSettings, shortBlock));
    const QStringList violations = rig.sim.controller.violations();
    ASSERT_EQ(violations.size(), 2);
    EXPECT_TRUE(violations[0].endsWith("settings write of 10 bytes, not 96"));
    EXPECT_TRUE(violations[1].endsWith("BACnet write of 10 bytes, fewer than 164"));
}

} // namespace
} // namespace vtl
