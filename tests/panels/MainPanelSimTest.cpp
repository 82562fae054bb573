#include "panels/MainPanelOperations.h"
#include "tests/support/SimSession.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

// The window's operations against the simulated main panel, over the real frame exchange.
TEST(MainPanelWithSimulatedController, SendMovesControllerAndConnectionTogether) {
    test::SimSession s(test::simOptions(sim::Model::Main, 3, 19200));
    auto& state = s.state;
    auto& controller = s.controller;
    auto& ui = s.ui;
    state.LinkMode = LinkModeLan;
    state.BaudRate = 19200;
    state.PanelTypeCode = 320;
    MainPanelMemory memory;
    MainPanelOperations ops(s.session, memory);
    MainPanelView view;

    ops.open(view);
    ASSERT_TRUE(ui.messages.isEmpty()) << ui.briefs().join(u'\n').toStdString();
    EXPECT_EQ(view.addressText, "3");
    EXPECT_EQ(view.baudTexts[0], "19200");
    EXPECT_EQ(memory.passwordText(), "MCQ");
    EXPECT_EQ(memory.modemStringText(), "ATZ");

    view.addressText = "44";
    view.baudTexts[0] = "38400";
    memory.setModemStringText("AT&F");
    ASSERT_TRUE(ops.send(view));
    EXPECT_EQ(ui.briefs(), QStringList{"[VTL] Configuration Sent"});
    EXPECT_EQ(controller.address(), 44);
    EXPECT_EQ(state.PanelAddress, 44u);
    EXPECT_EQ(state.BaudRate, 38400);

    // The controller is found again where the window sent it.
    ui.messages.clear();
    MainPanelView again;
    ASSERT_TRUE(ops.load(again));
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.briefs().join(u'\n').toStdString();
    EXPECT_EQ(again.addressText, "44");
    EXPECT_EQ(again.baudTexts[0], "38400");
    EXPECT_EQ(controller.lineRate(), 38400);
    EXPECT_EQ(memory.modemStringText(), "AT&F");
    EXPECT_TRUE(controller.violations().isEmpty())
        << controller.violations().join(u'\n').toStdString();
}

} // namespace
} // namespace vtl
